#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Compressed texts of dictionary articles: bytes 1 to 31 other than tab and
// line feed are token codes that the engine expands from its token table;
// code 4 binds a key to a form of the same article by the form's index.

// The highest form index a binding can name (its byte is index + 1, 1..127).
constexpr size_t max_bound_form_index = 126;

class text_compressor {
 public:
  text_compressor();

  // The text with every token expansion it contains replaced by the token's
  // code. Control bytes that the engine would read as codes are refused.
  std::string Compress(std::string_view cp1251) const;

 private:
  struct token {
    char code;
    std::string expansion;  // code page 1251
  };
  // Longest expansion first, so "\ndefkey=#" is not cut into smaller matches.
  std::vector<token> tokens_;

  const token* TokenAt(std::string_view text) const;
};

// Appends a form binding: the key of form `form_index` of the same article.
// The key runs up to the next byte 0..32, so it may hold none of them.
void AppendFormBinding(std::string& compressed, size_t form_index, std::string_view key_cp1251);
