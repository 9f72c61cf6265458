#include "line_escape.h"

std::u16string line_escaped(std::u16string_view text) {
  std::u16string out;
  for (char16_t unit : text) {
    if (unit == u'\\')
      out += u"\\\\";
    else if (unit == u'\n')
      out += u"\\n";
    else if (unit == u'\r')
      out += u"\\r";
    else
      out += unit;
  }
  return out;
}

std::optional<std::u16string> line_unescaped(std::u16string_view line) {
  std::u16string out;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] != u'\\') {
      out += line[i];
      continue;
    }
    if (++i == line.size()) return std::nullopt;
    switch (line[i]) {
      case u'\\': out += u'\\'; break;
      case u'n': out += u'\n'; break;
      case u'r': out += u'\r'; break;
      default: return std::nullopt;
    }
  }
  return out;
}
