// Finding a method's text in an entity's source for the development
// environment.

#include "method_source.h"

namespace {

bool is_header_mark(char16_t c) { return c == u'=' || c == u'-' || c == u'*'; }

// A header: two equal marks in front and some other character after them.
// Indented headers count, as the code reads them the same.
bool is_header(const wstring& line) {
  if (line.Length() < 3 || !is_header_mark(line[0]) || line[1] != line[0]) return false;
  for (int i = 2; i < line.Length(); ++i)
    if (line[i] != line[0]) return true;
  return false;
}

wstring header_name(const wstring& header) {
  const char16_t mark[2] = {header[0], 0};
  wstring name(header);
  name.Replace(mark, u"");
  name.Trim();
  name.Replace(u' ', u"_");
  name.ToLower(true);
  return name;
}

}  // namespace

wstring method_source(const wstring& source, const wstring& method) {
  wstring collected;
  bool found = false;
  int start = 0;
  while (start < source.Length()) {
    int end = source.Find(u'\n', start);
    if (end < 0) end = source.Length();
    wstring line = source.Mid(start, end - start);
    line.Replace(u"\r", u"");
    start = end + 1;
    wstring trimmed(line);
    trimmed.Trim();
    if (is_header(trimmed)) {
      if (found) break;
      found = header_name(trimmed) == method;
    }
    if (!found) continue;
    if (!collected.IsEmpty()) collected += u"\r\n";
    collected += line;
  }
  return collected;
}
