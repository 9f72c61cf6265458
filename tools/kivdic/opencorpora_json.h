#pragma once

#include <string>
#include <string_view>
#include <vector>

// The little JSON the morphology data needs: arrays of strings (gramtab,
// suffixes) and one such array found by its member name (meta.json).
// `what` names the data in error messages; malformed input throws
// std::runtime_error.

std::vector<std::string> ParseJsonStringArray(std::string_view json, const std::string& what);

// The array of strings that follows the first occurrence of the string
// `name` and a colon, e.g. "paradigm_prefixes": ["", "по"].
std::vector<std::string> ParseJsonStringArrayAfter(std::string_view json, std::string_view name,
                                                   const std::string& what);
