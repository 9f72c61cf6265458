#include "typographic_quotes.h"

wstring typographic_quotes(const wstring& text) {
  wstring out;
  bool open = false;
  bool in_tag = false;
  for (int pos = 0; pos < text.Length(); ++pos) {
    const char16_t c = text[pos];
    if (in_tag) {
      in_tag = c != u'>';
      out += c;
    } else if (c == u'<') {
      in_tag = true;
      out += c;
    } else if (c == u'"') {
      open = !open;
      out += open ? u'«' : u'»';
    } else if (c == u'.' && pos + 2 < text.Length() && text[pos + 1] == u'.' && text[pos + 2] == u'.') {
      out += u'…';
      pos += 2;
    } else {
      out += c;
    }
  }
  return out;
}
