#pragma once

#include <optional>
#include <string>
#include <string_view>

// A text on one line of a file: "\" becomes "\\", line feed "\n" and
// carriage return "\r".
std::u16string line_escaped(std::u16string_view text);
// The text back; none when an escape is unknown or cut off.
std::optional<std::u16string> line_unescaped(std::u16string_view line);
