#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "wstring.h"

class dic_loader;

// An article of the dictionary as far as its form list: the forms are read
// first, the texts after them only when the article is taken.
struct dic_article {
  uint16_t number = 0;
  uint64_t start = 0;                     // image offset of the first form
  std::vector<std::string_view> forms;    // 8-bit, views into the image
  uint64_t texts = 0;                     // image offset of the main text
};

// The compressed texts of an article, views into the image.
struct dic_article_texts {
  struct tagged_text {
    uint16_t tag = 0;  // the article whose presence adds the text
    std::string_view text;
  };
  std::string_view main;
  std::vector<tagged_text> tagged;
  std::vector<uint16_t> cross_references;
};

// Reads the form list of article n; false when the article would start
// outside the image. Raises the structure message (a form list that does
// not end in ";" within the image) and the form-count message, which names
// the word looked up.
bool ReadArticleForms(const dic_loader& dic, uint16_t n, const wstring& word, dic_article& article);

// Reads the main text, the tagged texts and the cross-article references;
// raises the structure message when a section runs off the image.
dic_article_texts ReadArticleTexts(const dic_loader& dic, const dic_article& article);

// The text that cross article m keeps for article n; raises the addressing
// message when m has none (or is not inside the image).
std::string_view CrossArticleText(const dic_loader& dic, uint16_t m, uint16_t n);
