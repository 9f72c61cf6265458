#include "dictionary_text.h"

#include <stdexcept>

#include "codepage.h"
#include "wstring.h"

std::string ToCp1251(std::string_view utf8) {
  std::u16string units;
  if (!decode_utf8(utf8.data(), utf8.size(), units))
    throw std::invalid_argument("malformed UTF-8 text: " + std::string(utf8));
  std::string bytes = encode_windows1251(units.data(), units.size());
  // Unmappable characters come back as "?", so a round trip tells them apart.
  if (decode_windows1251(bytes.data(), bytes.size()) != units)
    throw std::invalid_argument("text has characters outside code page 1251: " + std::string(utf8));
  return bytes;
}

std::string Cp1251ToUtf8(std::string_view cp1251) {
  std::u16string units = decode_windows1251(cp1251.data(), cp1251.size());
  return encode_utf8(units.data(), units.size());
}

std::string NormalisedCp1251(std::string_view cp1251) {
  std::u16string units = decode_windows1251(cp1251.data(), cp1251.size());
  wstring text;
  text.Assign(units.data(), int(units.size()));
  text.ToLower(true);
  return encode_windows1251(text.Text(), size_t(text.Length()));
}
