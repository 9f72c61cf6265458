#pragma once

#include <string>
#include <string_view>

// Small text chores of the host on UTF-16 and 8-bit strings.

// Replaces every `from` by `to`; returns how many were replaced.
int replace_all(std::u16string& text, std::u16string_view from, std::u16string_view to);
int replace_all(std::string& text, std::string_view from, std::string_view to);
// Replaces the first `from` by `to`; false when there is none.
bool replace_first(std::u16string& text, std::u16string_view from, std::u16string_view to);
// A whole number in decimal.
std::u16string decimal(long long number);
bool starts_with(std::u16string_view text, std::u16string_view prefix);

std::string to_utf8(std::u16string_view text);
std::u16string from_utf8(std::string_view bytes);
// 8-bit text in the code page of logs and other 8-bit texts.
std::string to_ansi(std::u16string_view text);
std::u16string from_ansi(std::string_view bytes);

// `Trim(0)`: blanks removed from both ends.
std::u16string trimmed(const std::u16string& text);
// Backslashes doubled and quotes escaped, as a JSON string needs them.
std::u16string json_escaped(std::u16string_view text);
// Control characters, which a JSON string must not hold raw, written as
// \u escapes.
std::u16string controls_escaped(std::u16string_view text);
