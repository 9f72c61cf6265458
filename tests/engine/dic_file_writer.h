#pragma once

// Builds dictionary files byte by byte for tests: header, stem hash
// entries, the two ending tables and articles at the places their numbers
// give. Texts are written in UTF-8 here and stored in code page 1251;
// token codes (bytes 1 to 31) pass through unchanged.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "codepage.h"
#include "stem_key.h"

inline std::string cp1251(const std::string& utf8) {
  std::u16string wide = decode_utf8_replacing(utf8.data(), utf8.size());
  return encode_windows1251(wide.data(), wide.size());
}

struct dic_test_article {
  dic_test_article() = default;
  dic_test_article(std::vector<std::string> forms_of, std::string main_text)
      : forms(std::move(forms_of)), main(std::move(main_text)) {}
  // Bytes laid down as they are.
  static dic_test_article Raw(std::string bytes) {
    dic_test_article article;
    article.raw = std::move(bytes);
    return article;
  }

  std::vector<std::string> forms;
  std::string main;
  std::vector<std::pair<uint16_t, std::string>> tagged;
  std::vector<uint16_t> cross_references;
  // Raw bytes instead of the sections above, for cross articles and damage.
  std::string raw;
};

class dic_file_writer {
 public:
  std::string version = "2.a.5.3";
  uint32_t granule = 256;
  // Endings as the tests' stem keys use them.
  std::vector<std::string> noun_endings = {"ами", "ой", "ою", "ы", "а", "е", "у", "ом"};
  std::vector<std::pair<std::string, std::string>> verb_rules = {{"ать", "а"}, {"ешь", ""}, {"ет", ""},
                                                                 {"у", ""},    {"ь", ""},   {"я", ""}};

  // Article n; it is filed under the noun key of each of its forms.
  void Add(uint16_t n, const dic_test_article& article) {
    articles_[n] = article;
    for (const std::string& form : article.forms) File(NounKey(form), n);
  }
  // Article n, reached only by its number (a cross article).
  void AddUnfiled(uint16_t n, const dic_test_article& article) { articles_[n] = article; }

  void File(uint16_t key, uint16_t n) {
    std::vector<uint16_t>& entry = entries_[key];
    for (uint16_t filed : entry)
      if (filed == n) return;
    if (entry.size() == 3) throw std::logic_error("a stem key holds three articles at most");
    entry.push_back(n);
  }

  uint16_t NounKey(const std::string& utf8) const {
    std::vector<std::string> storage;
    for (const std::string& e : noun_endings) storage.push_back(cp1251(e));
    std::vector<std::string_view> views(storage.begin(), storage.end());
    return NounStemKey(cp1251(utf8), views);
  }
  uint16_t VerbKey(const std::string& utf8) const {
    std::vector<std::pair<std::string, std::string>> storage;
    for (const auto& [e, r] : verb_rules) storage.push_back({cp1251(e), cp1251(r)});
    std::vector<verb_ending_rule> rules;
    for (const auto& [e, r] : storage) rules.push_back({e, r});
    return VerbStemKey(cp1251(utf8), rules);
  }

  std::string Bytes() const {
    std::string tables;
    for (const auto& [ending, replacement] : verb_rules) tables += cp1251(ending) + '\0' + cp1251(replacement) + '\0';
    tables += '\0';
    const size_t noun_offset = 28 + 8 * entries_.size() + tables.size();
    for (const std::string& ending : noun_endings) tables += cp1251(ending) + '\0' + '\x01';
    tables += '\0';
    const size_t area_offset = 28 + 8 * entries_.size() + tables.size();

    std::string out = version;
    out.resize(8, '\0');
    Number(out, 0);
    Number(out, uint32_t(entries_.size()));
    Number(out, uint32_t(noun_offset));
    Number(out, uint32_t(area_offset));
    Number(out, granule);
    for (const auto& [key, numbers] : entries_) {
      Word(out, key);
      for (size_t i = 0; i < 3; ++i) Word(out, i < numbers.size() ? numbers[i] : 0xFFFF);
    }
    out += tables;
    for (const auto& [n, article] : articles_) {
      std::string bytes = ArticleBytes(article);
      size_t at = area_offset + size_t(n) * granule;
      if (out.size() > at) throw std::logic_error("articles overlap: raise the granule");
      out.resize(at, '\0');
      out += bytes;
    }
    return out;
  }

  void Write(const std::filesystem::path& path) const { WriteBytes(path, Bytes()); }

  static void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  static void Word(std::string& out, uint16_t word) {
    out += char(word & 0xFF);
    out += char(word >> 8);
  }

 private:
  static void Number(std::string& out, uint32_t number) {
    for (int i = 0; i < 4; ++i) out += char((number >> (8 * i)) & 0xFF);
  }

  static std::string ArticleBytes(const dic_test_article& article) {
    if (!article.raw.empty()) return article.raw;
    std::string out;
    for (const std::string& form : article.forms) out += cp1251(form) + ';';
    out += ';';
    out += cp1251(article.main) + '\0';
    for (const auto& [tag, text] : article.tagged) {
      Word(out, tag);
      out += cp1251(text) + '\0';
    }
    Word(out, 0xFFFF);
    for (uint16_t m : article.cross_references) Word(out, m);
    Word(out, 0xFFFF);
    return out;
  }

  std::map<uint16_t, std::vector<uint16_t>> entries_;
  std::map<uint16_t, dic_test_article> articles_;
};
