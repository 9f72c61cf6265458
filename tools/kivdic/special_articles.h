#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "article.h"
#include "text_compression.h"

// Every world looks up the words «конструктор» and «библиотека» when it
// loads; their articles carry game-language source in front of the word's
// own declaration.

struct special_text {
  std::string word;    // UTF-8
  std::string source;  // code page 1251, lines ended by line feeds
};

// Reads constructor.kvs and library.kvs (UTF-8, an optional byte-order
// mark) from the folder. A missing or unreadable file, or a text the
// dictionary cannot carry, is an error (std::runtime_error).
std::vector<special_text> ReadSpecialTexts(const std::filesystem::path& folder);

// Puts the source in front of the article's main text.
void PrefixMainText(const special_text& special, const text_compressor& compressor, article& entry);

// The article of a special word that has no lexeme: just that form and the
// source.
article SpecialOnlyArticle(const special_text& special, const text_compressor& compressor);
