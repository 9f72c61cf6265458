#pragma once

#include <cstdint>
#include <memory>

#include "c_array.h"
#include "keyword_table.h"
#include "tokenizer.h"
#include "wstring.h"

// One classified lexeme of an expression. Classes:
//   L word, N number, D dice term, " quoted string (quotes kept),
//   ( [ { bracketed group (brackets kept), # key literal, $ word reference,
//   @ class reference, + binary operator, - prefix operator (text: the
//   operator code), b truth or direction keyword, k other keyword,
//   , punctuation.
// Keywords and operators carry their canonical spelling as text.
class lxms_data {
 public:
  char16_t cls = 0;
  wstring text;
  // Index into the keyword table; null when the lexeme is no keyword.
  uint8_t keyword = kw::type_null;
  // A word of Russian letters.
  bool cyrillic = false;

  // The expression text after this lexeme, trimmed of white space; empty
  // for an element made elsewhere.
  wstring Rest() const;

  // Makes a relation keyword (is .. part, text its English name) a binary
  // operator: and, inside, outside and part are upper-cased so that their
  // codes are A, I, O, P.
  void MakeBinaryOperator();

 private:
  friend class lxms;

  // The rest is cut from the whole expression on demand: a copy in every
  // element would cost the square of the expression's length.
  std::shared_ptr<const wstring> expression_;
  int rest_start_ = 0;
};

// One alternative of an expression.
using lxms_line = c_array<lxms_data>;

// An expression cut into classified lexemes, split into alternatives at
// single "|" or "&" signs. Parse raises on malformed text:
//   "После @ ожидалось имя класса!", "Между знаками | или & должно быть
//   выражение!", "В выражении нельзя смешивать знаки | и &!" (const
//   char16_t*), and the tokenizer's messages;
// nothing of a failed parse is kept. Copies share the lexemes until one
// of them is changed.
class lxms : private tokenizer {
 public:
  lxms();

  // The expression table.
  static wchar_set ExpressionTable();

  // Replaces the contents by the lexemes of expression and starts the
  // iteration afresh.
  void Parse(const wstring& expression);

  // Moves to the next alternative; false when there is none. Alternatives
  // separated by "&" start with one chosen at random, then the others in
  // order; otherwise they come in order.
  bool Next();
  // The current alternative; "lxms::Line() не итерировано!" before Next.
  const lxms_line& Line() const;

  int Count() const { return alternatives_->Count(); }
  const lxms_line& Alternative(int i) const { return (*alternatives_)[i]; }
  // An alternative to change: this copy stops sharing the lexemes.
  lxms_line& ChangeAlternative(int i);
  // 0, "|" or "&".
  char16_t ListSign() const { return list_sign_; }

 private:
  bool OnLexeme(const char16_t* start, int length, bool pure_russian, char16_t kind) override;

  void Reset();
  lxms_line& CurrentLine() { return (*alternatives_)[-1]; }
  // The last element of the current alternative, or null.
  lxms_data* Previous();
  // Whether the element before the last one of the current alternative
  // is an operand.
  bool OperandBeforePrevious();

  // Each answers false when the lexeme is not to be added.
  bool ClassifyWord(lxms_data& item, char16_t next);
  bool ClassifyKeyword(lxms_data& item, int code);
  bool ClassifyOperator(lxms_data& item, char16_t next);
  void StartAlternative(char16_t sign);

  std::shared_ptr<c_array<lxms_line>> alternatives_;
  char16_t list_sign_ = 0;
  int current_ = -1;
  int random_ = -1;
  std::shared_ptr<const wstring> expression_;
};
