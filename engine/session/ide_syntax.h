#pragma once

#include "wstring.h"

class parsed_string;

// The parser's last line as a JSON array for the development environment:
// the words as typed, then every reading the search completed; per reading
// its characters, whether it was the chosen one, its tokens with their
// meanings, and its errors.
wstring syntax_json(parsed_string& input);
