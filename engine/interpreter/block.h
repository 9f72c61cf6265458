#pragma once

#include <memory>

#include "c_array.h"
#include "tokenizer.h"
#include "wstring.h"

class context;
class interpreter;
class value;

// A piece of game code (a function body, an object's code, a text block)
// cut into code lines: one statement each, up to a line break or a ";"
// outside round or curly brackets and double quotes, bracketed sub-blocks
// kept whole.
//
// Section lines (a run of at least two "-", "=" or "*") steer the cutting:
// after "=" or "*" lines a ";" no longer ends a line (text), after "-"
// lines it does again (code), and in code a piece beginning with "{", "|"
// or "&" continues the line before it. The first section line carrying a
// label splits the text: the part before it stays the source, the rest is
// the section text.
class block : private tokenizer {
 public:
  // Kinds: a text block, and a block run from its first line whatever
  // section is asked for; 0 for any other block.
  static constexpr char16_t text_kind = u't';
  static constexpr char16_t first_line_kind = u'f';

  // The text less one pair of enclosing brackets or quotes; a text that
  // opens one without closing it raises "скобки или кавычки не закрыты!"
  // (const char*).
  explicit block(const wstring& text = wstring());

  // The line table: where code lines end.
  static wchar_set LineTable();

  // At least two characters, the first one of "-", "=", "*", the second the
  // same.
  static bool IsSectionLine(const wstring& line);
  // A section line with any character other than its mark: a label.
  static bool IsLabelledSection(const wstring& line);

  // More code (stripped like the constructor's text) after the source,
  // before any section text; the lines are cut again on next use.
  void Append(const wstring& text);

  // The code lines, cut on first use.
  const c_array<wstring, wstring>& Lines();

  // Runs the lines in ctx: from the first line when no section is named or
  // the kind is first_line_kind, else only the sections whose header names
  // one of the two; default_result when none does.
  value Execute(interpreter& in, context& ctx, const value& default_result,
                const wstring& first_section = wstring(), const wstring& second_section = wstring());

  const wstring& Source() const { return source_; }
  const wstring& SectionText() const { return section_text_; }
  char16_t Kind() const { return kind_; }
  void SetKind(char16_t kind) { kind_ = kind; }

 private:
  bool OnLexeme(const char16_t* start, int length, bool pure_russian, char16_t kind) override;

  using line_array = c_array<wstring, wstring>;

  void Parse();
  void Cut(const wstring& text);
  void FollowSectionLine(const wstring& piece, int position);
  void AddPiece(const wstring& piece, bool after_semicolon);

  // Null until cut; replaced, never changed, so that a line being run stays
  // alive when running code adds to the text.
  std::shared_ptr<const line_array> lines_;
  // The lines being cut.
  line_array cut_lines_;
  wstring source_;
  wstring section_text_;
  char16_t kind_ = 0;
  // State of a cut: code (true) or text, and the source position of the
  // first labelled section line (-1 for none).
  bool joining_ = true;
  int first_header_ = -1;
  const char16_t* cut_text_ = nullptr;
};
