#include "block.h"

namespace {

bool is_blank(char16_t c) { return c <= u' '; }

bool is_section_mark(char16_t c) { return c == u'-' || c == u'=' || c == u'*'; }

bool continues_line(char16_t c) { return c == u'{' || c == u'|' || c == u'&'; }

}  // namespace

block::block(const wstring& text) : tokenizer(LineTable()), source_(StripBrackets(text)) {}

wchar_set block::LineTable() {
  class_table t;
  t.Range(u'L', 0x0020, 0x007E)
      .Range(u'_', 0x0000, 0x001F)
      .Char(u'_', u';')
      .Char(u'`', u'"')
      .Chars(u'{', u"({")
      .Chars(u'}', u")}")
      .Char(u'?', 0x007F)
      .Cyrillic(u'L');
  return wchar_set(t.Text(), u"(){}[]");
}

bool block::IsSectionLine(const wstring& line) {
  return line.Length() >= 2 && is_section_mark(line[0]) && line[1] == line[0];
}

bool block::IsLabelledSection(const wstring& line) {
  if (!IsSectionLine(line)) return false;
  for (int i = 2; i < line.Length(); ++i)
    if (line[i] != line[0]) return true;
  return false;
}

void block::Append(const wstring& text) {
  if (!source_.IsEmpty()) source_ += u'\n';
  source_ += StripBrackets(text);
  lines_.reset();
}

const c_array<wstring, wstring>& block::Lines() {
  if (!lines_) Parse();
  return *lines_;
}

void block::Parse() {
  joining_ = true;
  first_header_ = -1;
  if (!section_text_.IsEmpty()) {
    // The line break keeps code appended to the source off the header.
    Cut(source_ + u"\n" + section_text_.Text());
    return;
  }
  Cut(source_);
  if (first_header_ < 0) return;
  section_text_ = source_.Mid(first_header_, source_.Length());
  source_ = source_.Left(first_header_);
}

void block::Cut(const wstring& text) {
  cut_text_ = text.Text();
  cut_lines_.Clear();
  try {
    Scan(cut_text_);
  } catch (...) {
    // Half the lines would run as if they were the whole block.
    cut_lines_.Clear();
    throw;
  }
  lines_ = std::make_shared<const line_array>(std::move(cut_lines_));
  cut_lines_.Clear();
}

bool block::OnLexeme(const char16_t* start, int length, bool, char16_t) {
  int first = 0;
  while (first < length && is_blank(start[first])) ++first;
  int end = length;
  while (end > first && is_blank(start[end - 1])) --end;
  if (first == end) return false;
  wstring piece;
  piece.Assign(start + first, end - first);
  FollowSectionLine(piece, int(start - cut_text_) + first);
  AddPiece(piece, start > cut_text_ && start[-1] == u';');
  return false;
}

void block::FollowSectionLine(const wstring& piece, int position) {
  if (!IsSectionLine(piece)) return;
  joining_ = piece[0] == u'-';
  if (first_header_ < 0 && IsLabelledSection(piece)) first_header_ = position;
}

void block::AddPiece(const wstring& piece, bool after_semicolon) {
  if (cut_lines_.Count() > 0 && joining_ && continues_line(piece[0])) {
    cut_lines_[-1] += piece;
  } else if (cut_lines_.Count() > 0 && !joining_ && after_semicolon) {
    cut_lines_[-1] += u"; ";
    cut_lines_[-1] += piece;
  } else {
    cut_lines_.Insert(cut_lines_.Count(), piece);
  }
}
