#pragma once

#include "key_matrix.h"
#include "object.h"
#include "wstring.h"

// A word or a preposition. A preposition's description (its code) lists its
// forms before following words and its uses.
class obj_word : public object {
 public:
  // One use of a preposition: with a value of a type and keys, it gives a
  // result key.
  struct prep_data_item {
    int value_type = 0;
    key_matrix keys;
    wstring result_key;
    wstring text;
    wstring base_key;
    void SetKey(int type) { value_type = type; }
    int CompareKey(int type) const { return value_type - type; }
  };

  obj_word(context* where, int type, bool inside, const wstring& name);
  std::unique_ptr<object> CopyFor(world& home) const override;

  // The preposition's form before the next word.
  wstring GetPreposition(const wstring& next_word) const;
  // Reads a preposition description: forms and uses (raises its format
  // messages).
  void SetDescription(const wstring& text);

  c_array<prep_data_item, int> uses;

 private:
  obj_word(world& home, const obj_word& original) : object(home, original), uses(original.uses) {}
};
