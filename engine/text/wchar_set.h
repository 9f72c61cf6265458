#pragma once

#include <string_view>

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
// (The computed classes assume that "d", "D" and "/" are not brackets or
// quotes in a table; none of the engine's tables makes them so.)
class wchar_set {
 public:
  static constexpr int table_size = 210;

  // The table entry of c, or -1 for characters outside the two ranges.
  static constexpr int TableIndex(char16_t c) {
    if (c < 0x80) return int(c);
    if (c >= 0x400 && c <= 0x451) return 128 + int(c - 0x400);
    return -1;
  }

  // class_table: exactly table_size class letters (else a wide message is
  // raised); bracket_pairs: opening and closing characters in pairs, such
  // as "(){}[]<>".
  wchar_set(const char16_t* class_table, const char16_t* bracket_pairs);

  // The game-code table, brackets "(){}[]<>".
  static wchar_set GameCode();
  // The output table, brackets "<>[]".
  static wchar_set Output();

  // The class of c followed by next; remembers it as the previous class.
  char16_t GetClass(char16_t c, char16_t next) {
    previous_class_ = Classify(c, next, previous_class_);
    return previous_class_;
  }
  // The class GetClass would give c followed by next after a character of
  // class previous, without remembering anything.
  char16_t Classify(char16_t c, char16_t next, char16_t previous) const {
    if ((c == u'd' || c == u'D') && previous == u'N' && next >= u'0' && next <= u'9') return u'D';
    if (c == u'/' && next == u'/') return u'/';
    return TableClass(c);
  }
  // The table class of c alone, with no computed classes and no memory.
  char16_t TableClass(char16_t c) const {
    int index = TableIndex(c);
    return index < 0 ? u'@' : classes_[index];
  }
  // The partner of an opening quote, bracket, brace or angle bracket; 0 for
  // characters of other classes.
  char16_t GetCloseBracket(char16_t c) const;
  // Forgets the previous class (at the start of each text).
  void ResetPrevious() { previous_class_ = 0; }

  // The class letters, table_size of them followed by a zero.
  const char16_t* Classes() const { return classes_; }
  const wstring& BracketPairs() const { return bracket_pairs_; }

 private:
  char16_t classes_[table_size + 1];
  wstring bracket_pairs_;
  char16_t previous_class_ = 0;
};

// Builds a class table from "class -> characters" lists, the way tables
// are written down:
//
//   class_table t;
//   t.Range(u'_', 0, 0x20).Chars(u',', u"!,.:;?").Range(u'R', u'А', u'я');
//   wchar_set set(t.Text(), u"(){}[]");
//
// A character given twice keeps the class given last. Entries never given
// keep the fill letter (0 by default, which the wchar_set constructor
// refuses, so an incomplete table is noticed at once).
class class_table {
 public:
  explicit class_table(char16_t fill = 0) {
    for (char16_t& letter : letters_) letter = fill;
    letters_[wchar_set::table_size] = 0;
  }

  // Gives class cls to every character of chars; a character outside the
  // table raises "class_table::Chars() символ вне таблицы!".
  class_table& Chars(char16_t cls, std::u16string_view chars);
  // Gives class cls to the characters first..last, both included; a range
  // reaching outside the table raises "class_table::Range() символ вне
  // таблицы!".
  class_table& Range(char16_t cls, char16_t first, char16_t last);
  // Gives class cls to the one character c.
  class_table& Char(char16_t cls, char16_t c) { return Chars(cls, std::u16string_view(&c, 1)); }
  // The Cyrillic block up to "ё" as every table has it: the Russian
  // letters (Ё, А..я, ё) of class letter_cls, the other characters
  // (U+0400, U+0402..U+040F, U+0450) forbidden.
  class_table& Cyrillic(char16_t letter_cls);

  // True when every entry has a class letter other than the fill 0.
  bool Complete() const;
  // The table_size class letters followed by a zero.
  const char16_t* Text() const { return letters_; }

 private:
  char16_t letters_[wchar_set::table_size + 1];
};
