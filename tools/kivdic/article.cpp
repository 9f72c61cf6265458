#include "article.h"

void AppendUint16(std::string& out, uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}

size_t EncodedSize(const article& entry) {
  size_t size = 1;  // the ";" that ends the form list
  for (const std::string& form : entry.forms) size += form.size() + 1;
  size += entry.main_text.size() + 1;
  for (const tagged_text& tagged : entry.tagged_texts) size += 2 + tagged.text.size() + 1;
  return size + 2 + 2;  // the two list ends
}

void AppendEncodedArticle(const article& entry, std::span<const uint16_t> numbers, std::string& out) {
  for (const std::string& form : entry.forms) {
    out += form;
    out += ';';
  }
  out += ';';
  out += entry.main_text;
  out += '\0';
  for (const tagged_text& tagged : entry.tagged_texts) {
    AppendUint16(out, numbers[tagged.tag_article]);
    out += tagged.text;
    out += '\0';
  }
  AppendUint16(out, no_article);
  AppendUint16(out, no_article);  // no cross-article references
}
