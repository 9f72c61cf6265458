#pragma once

#include "wstring.h"

// A character-class table: every character has a one-letter class that
// tells the tokenizer what to do with it, and opening brackets know their
// partners. Entries 0..127 are U+0000..U+007F, entries 128..209 are
// U+0400..U+0451; every other character is of class "@".
//
// Classes: "_" separator, "," punctuation, "+" sign, "'" quote, "`" quote
// continuing the lexeme, "(" ")" brackets, "{" "}" braces continuing the
// lexeme, "<" ">" angle brackets, "L" Latin letter, "R" Russian letter, "@"
// other word character, "N" digit, "?" forbidden. Computed: "D" for a d or
// D between a digit and a digit (2d6), "/" for the first of two slashes.
class wchar_set {
 public:
  static constexpr int table_size = 210;

  // class_table: exactly table_size class letters; bracket_pairs: opening
  // and closing characters in pairs, such as "(){}[]<>".
  wchar_set(const char16_t* class_table, const char16_t* bracket_pairs);

  // The game-code table, brackets "(){}[]<>".
  static wchar_set GameCode();
  // The output table, brackets "<>[]".
  static wchar_set Output();

  // The class of c followed by next; remembers it as the previous class.
  char16_t GetClass(char16_t c, char16_t next);
  // The table class of c alone, with no computed classes and no memory.
  char16_t TableClass(char16_t c) const;
  // The partner of an opening quote, bracket, brace or angle bracket; 0 for
  // characters of other classes.
  char16_t GetCloseBracket(char16_t c) const;
  // Forgets the previous class (at the start of each text).
  void ResetPrevious() { previous_class_ = 0; }

 private:
  char16_t classes_[table_size];
  wstring bracket_pairs_;
  char16_t previous_class_ = 0;
};
