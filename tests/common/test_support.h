#pragma once

#include <ostream>
#include <string>

#include "codepage.h"
#include "wstring.h"

// Readable failure output for wide texts.
inline void PrintTo(const wstring& text, std::ostream* out) {
  *out << '"' << encode_utf8(text.Text(), size_t(text.Length())) << '"';
}

inline std::string utf8(const std::u16string& text) { return encode_utf8(text.data(), text.size()); }

// The payload of the exception f raises, or a marker when it raises none.
template <class F>
std::string narrow_message(F&& f) {
  try {
    f();
  } catch (const char* message) {
    return message;
  }
  return "<nothing thrown>";
}

template <class F>
std::string wide_message(F&& f) {
  try {
    f();
  } catch (const char16_t* message) {
    return utf8(message);
  }
  return "<nothing thrown>";
}

// The text of a message built at run time (a wstring) that f raises.
template <class F>
std::string built_message(F&& f) {
  try {
    f();
  } catch (const wstring& message) {
    return encode_utf8(message.Text(), size_t(message.Length()));
  }
  return "<nothing thrown>";
}
