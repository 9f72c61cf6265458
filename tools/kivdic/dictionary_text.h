#pragma once

#include <string>
#include <string_view>

// Texts as the dictionary file holds them: 8-bit code page 1251. Every
// conversion refuses what the file could not carry, with std::invalid_argument.

// UTF-8 to code page 1251; malformed UTF-8 or a character without a byte in
// the code page is refused.
std::string ToCp1251(std::string_view utf8);

// Code page 1251 back to UTF-8, for reports.
std::string Cp1251ToUtf8(std::string_view cp1251);

// The engine compares words after lower-casing with normalisation ("ё" read
// as "е", back-quote removed, double blanks single); stem keys are computed
// from that form too, so a typed word finds the keys its form was filed under.
std::string NormalisedCp1251(std::string_view cp1251);
