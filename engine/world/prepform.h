#pragma once

#include "c_index.h"
#include "value.h"
#include "wstring.h"

class obj_word;

// A text that stands for a preposition: its name or one of its forms.
struct prepform {
  wstring text;  // normalised
  value meaning;  // the preposition

  void SetKey(const char16_t* key) { text = key; }
  int CompareKey(const char16_t* key) const { return text.Compare(key); }
};

// The texts of the world's prepositions; a text keeps the preposition it
// was first entered for while that one is in the world.
class prepform_index : public c_index<prepform, const char16_t*> {
 public:
  void Enter(const wstring& text, obj_word* preposition);
  // One line per entry: the English type name of its meaning, then the
  // forms of that entity in brackets, each as number, text, "#" and key.
  wstring Listing() const;
};
