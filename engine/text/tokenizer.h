#pragma once

#include "wchar_set.h"
#include "wstring.h"

// The table-driven scanner that cuts text into lexemes: words, numbers,
// dice numbers, single signs, quoted strings, bracketed groups and mark-up
// tags. Each lexeme goes to the owner's callback as a pointer into the
// scanned text. Errors abandon the scan by raising their message:
//   u"недопустимый символ в строке!"                     (const char16_t*)
//   u"wchar_set::GetCloseBracket() закрывающая скобка не найдена!"
//   "В коде есть незакрытые скобки {}"                    (const char*)
//   lexeme + u" \n- неверно закрыта скобка " + opener + closer   (wstring)
//   u"лексема '" + lexeme + u"' содержит и русские и латинские буквы!"
//                                                          (wstring)
// Lexemes already handed on stay with the owner.
//
// How the scan settles the finer points:
// - a word's first character counts for the mixed-alphabet check like the
//   others; a number continued by a letter or "@" becomes a word (kind L);
// - a group is handed on whole when its stack empties and the group's
//   opening character (the first entry of the stack) is not of class "{" or
//   "`"; groups of those classes continue the lexeme, also when it began
//   with letters ("if (x) y" is one lexeme of the statement tables);
// - when a group never closes, the lexeme's first character is handed on
//   alone with kind "," and the scan starts again after it: for a group
//   that began the lexeme that is its opening character;
// - the wrong-bracket message quotes the lexeme up to and including the
//   wrong closing character.
//
// The scan takes time linear in the length of the text, whatever the text:
// a group that is never closed is handed on as its opening character alone
// and the text after it is scanned again, and what was learnt about the
// brackets the first time is remembered, so that deep or repeated unclosed
// nesting is not walked over and over. Nesting depth costs no stack.
//
// Each call of Scan keeps its own bookkeeping; the previous class asked of
// the wchar_set is kept by the set. A callback must not change the text
// being scanned.
class tokenizer {
 public:
  explicit tokenizer(const wchar_set& set) : set_(set) {}
  virtual ~tokenizer() = default;

  // Scans text up to its terminating zero or until the callback answers
  // true. A null text is an empty text.
  void Scan(const char16_t* text);

  // True when no character of text is of class N, L, R or @.
  bool HasNoWordChars(const char16_t* text);
  // Removes leading and trailing separators (class "_").
  void TrimSeparators(wstring& text);
  // The text without its enclosing quotes or brackets, which must pair:
  // when the first character has a partner (wchar_set::GetCloseBracket),
  // the last must be that partner, else "скобки или кавычки не закрыты!"
  // (const char*) is raised; both are removed.
  wstring StripBrackets(const wstring& text);

 protected:
  // One lexeme: its start in the scanned text, its length, whether it is a
  // word of Russian letters only, and its kind (L word, N number, D dice
  // number, the opening character of a group, "," for an opening character
  // whose group is never closed, or the class letter of a single
  // character). True stops the scan.
  virtual bool OnLexeme(const char16_t* start, int length, bool pure_russian, char16_t kind) = 0;

  wchar_set& Set() { return set_; }

 private:
  class scanner;
  friend class scanner;

  wchar_set set_;
};
