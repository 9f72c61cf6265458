#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// One article of the dictionary before it is laid out: everything but the
// article numbers, which are known only once all sizes are.

struct tagged_text {
  size_t tag_article;  // index of the article whose number is the tag
  std::string text;    // compressed, without its NUL
};

struct article {
  std::string lemma;               // UTF-8, for reports
  std::vector<std::string> forms;  // distinct form texts in code page 1251
  std::string main_text;           // compressed, without its NUL
  std::vector<tagged_text> tagged_texts;
};

constexpr uint16_t no_article = 0xFFFF;

// Bytes the article takes in the file; independent of the article numbers,
// since a tag is always two bytes.
size_t EncodedSize(const article& entry);

// Appends the article: its forms each followed by ";" and one more ";", the
// main text, the tagged texts ended by the tag 0xFFFF and an empty list of
// cross-article references. `numbers` maps article indexes to numbers.
void AppendEncodedArticle(const article& entry, std::span<const uint16_t> numbers, std::string& out);

// Appends a 16-bit little-endian number.
void AppendUint16(std::string& out, uint16_t value);
