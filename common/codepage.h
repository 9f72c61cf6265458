#pragma once

#include <cstddef>
#include <string>

// Conversions between UTF-16 and 8-bit text. "ANSI" is the 8-bit code page
// chosen once per process by the environment variable KIV_CODEPAGE: UTF-8
// by default, Windows-1251 when it is "1251".

enum class codepage { utf8, windows1251 };

codepage ansi_codepage();

// Under UTF-8, bytes that are not valid UTF-8 are read as Windows-1251, so
// texts written on either platform arrive intact.
std::u16string decode_ansi(const char* bytes, size_t n);
std::string encode_ansi(const char16_t* units, size_t n);

// Strict UTF-8: false (and `out` unspecified) for malformed input.
bool decode_utf8(const char* bytes, size_t n, std::u16string& out);
// Malformed sequences become U+FFFD.
std::u16string decode_utf8_replacing(const char* bytes, size_t n);
// Lone surrogates become U+FFFD.
std::string encode_utf8(const char16_t* units, size_t n);

std::u16string decode_windows1251(const char* bytes, size_t n);
// Characters outside Windows-1251 become "?".
std::string encode_windows1251(const char16_t* units, size_t n);
