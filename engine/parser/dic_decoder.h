#pragma once

#include <string_view>
#include <vector>

#include "wstring.h"

// Expands a compressed article text into game-language source: token codes
// become their texts and form bindings lines that bind a key to a form.
// forms: the article's forms (8-bit) that bindings name by index; null for
// a cross-article text, where a binding is an error. Raises the binding
// messages.
wstring Decoder(std::string_view text, const std::vector<std::string_view>* forms);
