#pragma once

#include "wchar_set.h"
#include "wstring.h"

// The table-driven scanner that cuts text into lexemes: words, numbers,
// dice numbers, single signs, quoted strings, bracketed groups and mark-up
// tags. Each lexeme goes to the owner's callback as a pointer into the
// scanned text. Errors abandon the scan by raising their message.
class tokenizer {
 public:
  explicit tokenizer(const wchar_set& set) : set_(set) {}
  virtual ~tokenizer() = default;

  // Scans text up to its terminating zero or until the callback answers
  // true.
  void Scan(const char16_t* text);

  // True when no character of text is of class N, L, R or @.
  bool HasNoWordChars(const char16_t* text);
  // Removes leading and trailing separators (class "_").
  void TrimSeparators(wstring& text);
  // The text without its enclosing quotes or brackets, which must pair.
  wstring StripBrackets(const wstring& text);

 protected:
  // One lexeme: its start in the scanned text, its length, whether it is a
  // word of Russian letters only, and its kind (L word, N number, D dice
  // number, the opening character of a group, or the class letter of a
  // single character). True stops the scan.
  virtual bool OnLexeme(const char16_t* start, int length, bool pure_russian, char16_t kind) = 0;

  wchar_set& Set() { return set_; }

 private:
  wchar_set set_;
};
