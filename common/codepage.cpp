#include "codepage.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Windows-1251, bytes 0x80 .. 0xFF. 0x98 has no character in the code page;
// it maps to U+0098 so that every byte survives a round trip.
constexpr char16_t high_half[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

unsigned char encode_1251_unit(char16_t unit) {
  if (unit < 0x80) return static_cast<unsigned char>(unit);
  if (unit >= 0x0410 && unit <= 0x044F) return static_cast<unsigned char>(unit - 0x0410 + 0xC0);
  for (int i = 0; i < 64; ++i)
    if (high_half[i] == unit) return static_cast<unsigned char>(0x80 + i);
  return '?';
}

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

void append_code_point(std::u16string& out, char32_t code) {
  if (code < 0x10000) {
    out.push_back(static_cast<char16_t>(code));
  } else {
    code -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
  }
}

// Reads one well-formed sequence at bytes[i]; 0 when there is none.
size_t utf8_sequence(const unsigned char* bytes, size_t n, size_t i, char32_t& code) {
  unsigned char lead = bytes[i];
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  size_t length;
  char32_t minimum;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
    minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
    minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
    minimum = 0x10000;
  } else {
    return 0;  // continuation byte, overlong two-byte lead or beyond U+10FFFF
  }
  if (n - i < length) return 0;
  for (size_t j = 1; j < length; ++j) {
    if (!is_continuation(bytes[i + j])) return 0;
    code = (code << 6) | (bytes[i + j] & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

codepage read_codepage_setting() {
  const char* setting = std::getenv("KIV_CODEPAGE");
  if (setting && std::strcmp(setting, "1251") == 0) return codepage::windows1251;
  return codepage::utf8;
}

}  // namespace

codepage ansi_codepage() {
  static const codepage setting = read_codepage_setting();
  return setting;
}

std::u16string decode_ansi(const char* bytes, size_t n) {
  if (ansi_codepage() == codepage::windows1251) return decode_windows1251(bytes, n);
  std::u16string out;
  if (decode_utf8(bytes, n, out)) return out;
  return decode_windows1251(bytes, n);
}

std::string encode_ansi(const char16_t* units, size_t n) {
  if (ansi_codepage() == codepage::windows1251) return encode_windows1251(units, n);
  return encode_utf8(units, n);
}

bool decode_utf8(const char* bytes, size_t n, std::u16string& out) {
  out.clear();
  out.reserve(n);
  auto data = reinterpret_cast<const unsigned char*>(bytes);
  for (size_t i = 0; i < n;) {
    char32_t code;
    size_t length = utf8_sequence(data, n, i, code);
    if (length == 0) return false;
    append_code_point(out, code);
    i += length;
  }
  return true;
}

std::u16string decode_utf8_replacing(const char* bytes, size_t n) {
  std::u16string out;
  out.reserve(n);
  auto data = reinterpret_cast<const unsigned char*>(bytes);
  for (size_t i = 0; i < n;) {
    char32_t code;
    size_t length = utf8_sequence(data, n, i, code);
    if (length == 0) {
      // One replacement for a broken sequence: its lead and the
      // continuation bytes that follow it.
      out.push_back(0xFFFD);
      bool lead = data[i] >= 0xC0;
      ++i;
      for (int j = 0; lead && j < 3 && i < n && is_continuation(data[i]); ++j) ++i;
      continue;
    }
    append_code_point(out, code);
    i += length;
  }
  return out;
}

std::string encode_utf8(const char16_t* units, size_t n) {
  std::string out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    char32_t code = units[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < n && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

std::u16string decode_windows1251(const char* bytes, size_t n) {
  std::u16string out(n, u'\0');
  for (size_t i = 0; i < n; ++i) {
    auto byte = static_cast<unsigned char>(bytes[i]);
    out[i] = byte < 0x80 ? char16_t(byte) : high_half[byte - 0x80];
  }
  return out;
}

std::string encode_windows1251(const char16_t* units, size_t n) {
  std::string out(n, '\0');
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<char>(encode_1251_unit(units[i]));
  return out;
}
