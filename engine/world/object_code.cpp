// An entity's game code: its source text and the methods its section
// headers declare.

#include "keyword_table.h"
#include "object.h"
#include "world.h"

namespace {

// Without an interpreter the code lines are taken to be the source lines;
// the interpreter's own cutting (statements, brace blocks) replaces this.
c_array<wstring, wstring> source_lines(const wstring& text) {
  c_array<wstring, wstring> lines;
  int start = 0;
  while (start <= text.Length()) {
    int end = text.FindAny(u"\r\n", start);
    if (end < 0) end = text.Length();
    wstring line = text.Mid(start, end - start);
    line.Trim();
    if (!line.IsEmpty()) lines.Insert(lines.Count(), line);
    start = end + 1;
  }
  return lines;
}

bool is_header_mark(char16_t c) { return c == u'=' || c == u'-' || c == u'*'; }

// A section header: a run of one of "=", "-", "*" (at least two) with a
// label; the label, with the mark deleted throughout, names the method.
bool section_name(const wstring& line, wstring& name) {
  if (line.Length() < 3 || !is_header_mark(line[0]) || line[1] != line[0]) return false;
  int after_run = 2;
  while (after_run < line.Length() && line[after_run] == line[0]) ++after_run;
  if (after_run == line.Length()) return false;
  char16_t mark[2] = {line[0], 0};
  name = line;
  name.Replace(mark, u"");
  name.Trim();
  name.Replace(u' ', u"_");
  return !name.IsEmpty();
}

}  // namespace

void object::SetCode(const wstring& text) {
  code_runner* runner = world_->Runner();
  c_array<wstring, wstring> lines = runner ? runner->CodeLines(text) : source_lines(text);
  // Code with no line at all adds nothing; a single statement is code like
  // any other (object bodies of one line are common).
  if (lines.Count() == 0) return;
  if (!source_text_.IsEmpty()) source_text_ += u'\n';
  source_text_ += text;
  // The unlabelled beginning runs; once a labelled section has begun, code
  // added later lies in it. Code run before is not run again, so an
  // object declared again and again costs what it adds, not all it has.
  const bool in_beginning = !sectioned_;
  wstring name;
  for (const wstring& line : lines)
    if (section_name(line, name)) {
      DeclareMethod(name);
      sectioned_ = true;
    }
  // A world without an interpreter runs nothing.
  if (runner && in_beginning) runner->RunSource(text, *this);
}

void object::DeclareMethod(const wstring& name) {
  int pos;
  Variables().Add(context::NormalisedName(name), pos);
  variable& method = Variables()[pos];
  method.is_property = true;
  method.is_computed = true;
}
