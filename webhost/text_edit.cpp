#include "text_edit.h"

#include "codepage.h"
#include "wstring.h"

namespace {

template <typename text_type, typename view_type>
int replace_in(text_type& text, view_type from, view_type to, bool first_only) {
  if (from.empty()) return 0;
  int count = 0;
  for (size_t pos = text.find(from); pos != text_type::npos; pos = text.find(from, pos + to.size())) {
    text.replace(pos, from.size(), to);
    ++count;
    if (first_only) break;
  }
  return count;
}

}  // namespace

int replace_all(std::u16string& text, std::u16string_view from, std::u16string_view to) {
  return replace_in(text, from, to, false);
}

int replace_all(std::string& text, std::string_view from, std::string_view to) {
  return replace_in(text, from, to, false);
}

bool replace_first(std::u16string& text, std::u16string_view from, std::u16string_view to) {
  return replace_in(text, from, to, true) > 0;
}

std::u16string decimal(long long number) {
  std::string digits = std::to_string(number);
  return std::u16string(digits.begin(), digits.end());
}

bool starts_with(std::u16string_view text, std::u16string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string to_utf8(std::u16string_view text) { return encode_utf8(text.data(), text.size()); }

std::u16string from_utf8(std::string_view bytes) { return decode_utf8_replacing(bytes.data(), bytes.size()); }

std::string to_ansi(std::u16string_view text) { return encode_ansi(text.data(), text.size()); }

std::u16string from_ansi(std::string_view bytes) { return decode_ansi(bytes.data(), bytes.size()); }

std::u16string trimmed(const std::u16string& text) {
  wstring trimmed_text(text.c_str());
  trimmed_text.Trim(0);
  return trimmed_text.Text();
}

std::u16string json_escaped(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t unit : text) {
    if (unit == u'\\' || unit == u'"') out += u'\\';
    out += unit;
  }
  return out;
}

std::u16string controls_escaped(std::u16string_view text) {
  static constexpr char16_t hex[] = u"0123456789abcdef";
  std::u16string out;
  out.reserve(text.size());
  for (char16_t unit : text) {
    if (unit >= 0x20) {
      out += unit;
      continue;
    }
    out += u"\\u00";
    out += hex[unit >> 4];
    out += hex[unit & 15];
  }
  return out;
}
