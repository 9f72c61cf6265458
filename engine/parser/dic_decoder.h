#pragma once

#include <string_view>
#include <vector>

#include "wstring.h"

#include <string>

// Expands a compressed article text into game-language source, appended to
// out: token codes become their texts and form bindings lines that bind a
// key to a form. forms: the article's forms (8-bit) that bindings name by
// index; null for a cross-article text, where a binding is an error. Raises
// the binding messages, and the length message when out would grow past
// max_expanded_article: a binding costs two bytes and may repeat a long
// form, so a damaged file could otherwise expand without bound.
void Decoder(std::string_view text, const std::vector<std::string_view>* forms, std::u16string& out);

// Far above any real article (a few thousand characters).
constexpr size_t max_expanded_article = size_t(1) << 20;
