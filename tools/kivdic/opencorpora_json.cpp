#include "opencorpora_json.h"

#include <stdexcept>

#include "codepage.h"

namespace {

class json_cursor {
 public:
  json_cursor(std::string_view text, size_t position, const std::string& what)
      : text_(text), position_(position), what_(what) {}

  std::vector<std::string> StringArray() {
    std::vector<std::string> items;
    Expect('[');
    if (Peek() == ']') {
      ++position_;
      return items;
    }
    for (;;) {
      items.push_back(String());
      char next = Peek();
      ++position_;
      if (next == ']') return items;
      if (next != ',') Fail("expected \",\" or \"]\"");
    }
  }

  void Expect(char c) {
    if (Peek() != c) Fail(std::string("expected \"") + c + "\"");
    ++position_;
  }

  void ExpectEnd() {
    SkipSpace();
    if (position_ != text_.size()) Fail("text follows the array");
  }

 private:
  char Peek() {
    SkipSpace();
    if (position_ >= text_.size()) Fail("it ends too early");
    return text_[position_];
  }

  void SkipSpace() {
    while (position_ < text_.size() && std::string_view(" \t\r\n").find(text_[position_]) != std::string_view::npos)
      ++position_;
  }

  char Next() {
    if (position_ >= text_.size()) Fail("a string does not end");
    return text_[position_++];
  }

  std::string String() {
    Expect('"');
    std::u16string units;
    std::string out;
    for (;;) {
      char c = Next();
      if (c == '"') break;
      if (c != '\\') {
        FlushUnits(units, out);
        out.push_back(c);
        continue;
      }
      char escaped = Next();
      if (escaped == 'u') {
        units.push_back(HexUnit());
        continue;
      }
      FlushUnits(units, out);
      out.push_back(Unescape(escaped));
    }
    FlushUnits(units, out);
    return out;
  }

  // \uXXXX escapes are gathered so that surrogate pairs join.
  static void FlushUnits(std::u16string& units, std::string& out) {
    if (units.empty()) return;
    out += encode_utf8(units.data(), units.size());
    units.clear();
  }

  char16_t HexUnit() {
    char16_t unit = 0;
    for (int i = 0; i < 4; ++i) {
      char c = Next();
      int digit = c >= '0' && c <= '9'   ? c - '0'
                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                         : -1;
      if (digit < 0) Fail("bad \\u escape");
      unit = static_cast<char16_t>(unit * 16 + digit);
    }
    return unit;
  }

  char Unescape(char escaped) {
    switch (escaped) {
      case '"': return '"';
      case '\\': return '\\';
      case '/': return '/';
      case 'b': return '\b';
      case 'f': return '\f';
      case 'n': return '\n';
      case 'r': return '\r';
      case 't': return '\t';
      default: Fail("bad escape");
    }
  }

  [[noreturn]] void Fail(const std::string& problem) const {
    throw std::runtime_error(what_ + " is damaged: " + problem + " (at byte " + std::to_string(position_) + ")");
  }

  std::string_view text_;
  size_t position_;
  const std::string& what_;
};

}  // namespace

std::vector<std::string> ParseJsonStringArray(std::string_view json, const std::string& what) {
  json_cursor cursor(json, 0, what);
  std::vector<std::string> items = cursor.StringArray();
  cursor.ExpectEnd();
  return items;
}

std::vector<std::string> ParseJsonStringArrayAfter(std::string_view json, std::string_view name,
                                                   const std::string& what) {
  std::string quoted(1, '"');
  quoted.append(name).push_back('"');
  size_t found = json.find(quoted);
  if (found == std::string_view::npos) throw std::runtime_error(what + " has no \"" + std::string(name) + "\"");
  json_cursor cursor(json, found + quoted.size(), what);
  cursor.Expect(':');
  return cursor.StringArray();
}
