#pragma once

#include "c_array.h"
#include "wstring.h"

// One piece of a turn's output: its kind ("<" a mark-up tag, "F" a recorded
// host-function call, "f" that call's second argument, anything else text),
// the text shown and the text spoken.
struct output_pool_item {
  char16_t kind = 0;
  wstring print_text;
  wstring speech_text;

  void SetKey(char16_t key) { kind = key; }
  int CompareKey(char16_t key) const { return int(kind) - int(key); }
};

// Everything a session prints during one turn.
//
// This is the minimal pool the engine interface needs: printed text is cut
// only into mark-up tags and text runs, and finishing only removes escapes.
// The tokenizer-driven pool with its punctuation, spacing and location
// rules replaces it.
class output_pool {
 public:
  static constexpr char16_t tag_kind = u'<';
  static constexpr char16_t call_kind = u'F';
  static constexpr char16_t call_argument_kind = u'f';
  static constexpr char16_t text_kind = u'T';

  // Printed text, cut into tags and the text between them.
  void Add(const wstring& text);
  void AddItem(char16_t kind, const wstring& print_text, const wstring& speech_text);
  // End-of-turn processing of the items.
  void Finish();
  // The speech texts of all items but host-function calls, stress marks
  // written as "<".
  wstring GetSpeechText() const;

  c_array<output_pool_item, char16_t>& Items() { return items_; }
  void Clear() { items_.Clear(); }

 private:
  c_array<output_pool_item, char16_t> items_;
};
