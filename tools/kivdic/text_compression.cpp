#include "text_compression.h"

#include <algorithm>
#include <stdexcept>

#include "dictionary_text.h"

namespace {

struct token_text {
  char code;
  std::string_view utf8;
};

// The engine's token table (expansions); code 4 is the form binding and has
// no fixed text, codes 22 to 31 expand to nothing and are of no use here.
constexpr token_text token_table[] = {
    {1, "word "},
    {2, "\nkey=#"},
    {3, "\ndefkey=#"},
    {5, "preposition "},
    {6, "attribute "},
    {7, "var "},
    {8, "property "},
    {11, "@существительное"},
    {12, "@прилагательное"},
    {13, "@совершенный_глагол"},
    {14, "@несовершенный_глагол"},
    {15, "synonym=$"},
    {16, "act "},
    {17, "action("},
    {18, "\n--parsing--\n"},
    {19, "\n--check--\n"},
    {20, "\n--execute--\n"},
    {21, "fail, "},
};

constexpr char form_binding_code = 4;

bool is_token_code(unsigned char byte) { return byte >= 1 && byte <= 31 && byte != '\t' && byte != '\n'; }

}  // namespace

text_compressor::text_compressor() {
  for (const token_text& entry : token_table) tokens_.push_back({entry.code, ToCp1251(entry.utf8)});
  std::stable_sort(tokens_.begin(), tokens_.end(),
                   [](const token& a, const token& b) { return a.expansion.size() > b.expansion.size(); });
}

const text_compressor::token* text_compressor::TokenAt(std::string_view text) const {
  for (const token& candidate : tokens_)
    if (text.starts_with(candidate.expansion)) return &candidate;
  return nullptr;
}

std::string text_compressor::Compress(std::string_view cp1251) const {
  std::string compressed;
  compressed.reserve(cp1251.size());
  for (size_t at = 0; at < cp1251.size();) {
    if (const token* match = TokenAt(cp1251.substr(at))) {
      compressed += match->code;
      at += match->expansion.size();
      continue;
    }
    unsigned char byte = static_cast<unsigned char>(cp1251[at]);
    if (byte == 0 || is_token_code(byte))
      throw std::invalid_argument("control byte " + std::to_string(byte) + " in a dictionary text");
    compressed += cp1251[at++];
  }
  return compressed;
}

void AppendFormBinding(std::string& compressed, size_t form_index, std::string_view key_cp1251) {
  if (form_index > max_bound_form_index)
    throw std::invalid_argument("form index " + std::to_string(form_index) + " cannot be bound");
  if (key_cp1251.empty()) throw std::invalid_argument("empty key in a form binding");
  for (char c : key_cp1251)
    if (static_cast<unsigned char>(c) <= 32)
      throw std::invalid_argument("key with a blank or control byte: " + Cp1251ToUtf8(key_cp1251));
  compressed += form_binding_code;
  compressed += static_cast<char>(form_index + 1);
  compressed += key_cp1251;
}
