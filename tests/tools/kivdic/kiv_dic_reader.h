#pragma once

// Reads a kiv.dic image the way the engine does, written here apart from the
// builder so that the tests check the file against the format rather than
// against the builder's own idea of it: the header, a binary search of the
// stem hash entries, trying the articles of the noun key and then of the
// verb key, and expanding compressed texts with the token table and the
// form bindings. Texts go in and come out in UTF-8.

#include <cstdint>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"
#include "stem_key.h"
#include "wstring.h"

class kiv_dic_reader {
 public:
  explicit kiv_dic_reader(std::string_view image) : image_(image) {
    if (image.size() < 28 || std::string(image.data()) != "2.a.5.3") throw std::runtime_error("version");
    entry_count_ = U32(12);
    noun_table_ = U32(16);
    area_ = U32(20);
    granule_ = U32(24);
    size_t at = 28 + size_t(entry_count_) * 8;
    for (std::string_view ending = String(at); !ending.empty(); ending = String(at))
      verb_rules_.push_back({ending, String(at)});
    at = noun_table_;
    for (std::string_view ending = String(at); !ending.empty(); ending = String(at)) {
      noun_endings_.push_back(ending);
      ++at;
    }
  }

  uint32_t Granule() const { return granule_; }
  uint32_t EntryCount() const { return entry_count_; }
  uint32_t AreaOffset() const { return area_; }
  const std::vector<std::string_view>& NounEndings() const { return noun_endings_; }
  const std::vector<verb_ending_rule>& VerbRules() const { return verb_rules_; }

  uint16_t EntryKey(size_t i) const { return U16(28 + i * 8); }
  // The article numbers listed under entry i, up to the first 0xFFFF.
  std::vector<uint16_t> EntryArticles(size_t i) const {
    std::vector<uint16_t> numbers;
    for (size_t slot = 0; slot < 3 && U16(28 + i * 8 + 2 + slot * 2) != 0xFFFF; ++slot)
      numbers.push_back(U16(28 + i * 8 + 2 + slot * 2));
    return numbers;
  }
  std::vector<uint16_t> ArticlesOfKey(uint16_t key) const {
    size_t low = 0, high = entry_count_;
    while (low < high) {
      size_t middle = (low + high) / 2;
      if (EntryKey(middle) == key) return EntryArticles(middle);
      if (EntryKey(middle) < key)
        low = middle + 1;
      else
        high = middle;
    }
    return {};
  }

  // The article the engine's lookup finds for the word in a world that has
  // taken the articles in `taken`, which it then marks as taken.
  std::optional<uint16_t> Find(const std::string& utf8_word, std::set<uint16_t>& taken) const {
    std::string word = Lower(utf8_word);
    std::string bytes = ToCp1251(word);
    for (uint16_t key : {NounStemKey(bytes, noun_endings_), VerbStemKey(bytes, verb_rules_)})
      for (uint16_t number : ArticlesOfKey(key)) {
        std::vector<std::string> forms = Forms(number);
        bool has = false;
        for (const std::string& form : forms) has = has || Lower(form) == word;
        if (has && taken.insert(number).second) return number;
      }
    return std::nullopt;
  }
  std::optional<uint16_t> Find(const std::string& utf8_word) const {
    std::set<uint16_t> taken;
    return Find(utf8_word, taken);
  }

  std::vector<std::string> Forms(uint16_t number) const {
    size_t at = Start(number);
    std::vector<std::string> forms;
    while (image_.at(at) != ';') {
      size_t end = image_.find(';', at);
      if (end == std::string_view::npos || forms.size() == 255) throw std::runtime_error("form list");
      forms.push_back(ToUtf8(image_.substr(at, end - at)));
      at = end + 1;
    }
    return forms;
  }

  struct article_texts {
    std::string main;
    std::vector<std::pair<uint16_t, std::string>> tagged;
    std::vector<uint16_t> cross_references;
  };

  // All the sections of an article, compressed texts expanded.
  article_texts Texts(uint16_t number) const {
    std::vector<std::string> forms = Forms(number);
    size_t at = Start(number);
    for (const std::string& form : forms) at += ToCp1251(form).size() + 1;
    ++at;
    article_texts texts;
    texts.main = Expand(at, forms);
    for (uint16_t tag = U16(at); tag != 0xFFFF; tag = U16(at)) {
      at += 2;
      texts.tagged.push_back({tag, Expand(at, forms)});
    }
    at += 2;
    for (uint16_t reference = U16(at); reference != 0xFFFF; reference = U16(at)) {
      texts.cross_references.push_back(reference);
      at += 2;
    }
    return texts;
  }

  // What the engine declares for the word: the main text, then each tagged
  // text whose tag is taken.
  std::string Declaration(uint16_t number, const std::set<uint16_t>& taken) const {
    article_texts texts = Texts(number);
    std::string result = texts.main;
    for (const auto& [tag, text] : texts.tagged)
      if (taken.count(tag)) result += "\n" + text;
    return result;
  }

  static std::string ToCp1251(const std::string& utf8) {
    std::u16string wide = decode_utf8_replacing(utf8.data(), utf8.size());
    return encode_windows1251(wide.data(), wide.size());
  }
  static std::string ToUtf8(std::string_view bytes) {
    std::u16string wide = decode_windows1251(bytes.data(), bytes.size());
    return encode_utf8(wide.data(), wide.size());
  }

 private:
  std::string_view image_;
  uint32_t entry_count_, noun_table_, area_, granule_;
  std::vector<std::string_view> noun_endings_;
  std::vector<verb_ending_rule> verb_rules_;

  uint32_t U32(size_t at) const {
    return uint32_t(uint8_t(image_.at(at))) | uint32_t(uint8_t(image_.at(at + 1))) << 8 |
           uint32_t(uint8_t(image_.at(at + 2))) << 16 | uint32_t(uint8_t(image_.at(at + 3))) << 24;
  }
  uint16_t U16(size_t at) const { return uint16_t(uint8_t(image_.at(at)) | uint8_t(image_.at(at + 1)) << 8); }
  std::string_view String(size_t& at) const {
    size_t end = image_.find('\0', at);
    std::string_view text = image_.substr(at, end - at);
    at = end + 1;
    return text;
  }
  size_t Start(uint16_t number) const { return area_ + size_t(number) * granule_; }

  static std::string Lower(const std::string& utf8) {
    std::u16string wide = decode_utf8_replacing(utf8.data(), utf8.size());
    wstring text;
    text.Assign(wide.data(), int(wide.size()));
    text.ToLower(true);
    return encode_utf8(text.Text(), size_t(text.Length()));
  }

  static std::string Token(unsigned char code) {
    switch (code) {
      case 1: return "word ";
      case 2: return "\nkey=#";
      case 3: return "\ndefkey=#";
      case 5: return "preposition ";
      case 6: return "attribute ";
      case 7: return "var ";
      case 8: return "property ";
      case 11: return "@существительное";
      case 12: return "@прилагательное";
      case 13: return "@совершенный_глагол";
      case 14: return "@несовершенный_глагол";
      case 15: return "synonym=$";
      case 16: return "act ";
      case 17: return "action(";
      case 18: return "\n--parsing--\n";
      case 19: return "\n--check--\n";
      case 20: return "\n--execute--\n";
      case 21: return "fail, ";
      default: return "";
    }
  }

  // Expands the NUL-terminated text at `at` and moves past it.
  std::string Expand(size_t& at, const std::vector<std::string>& forms) const {
    std::string bytes;  // expanded, code page 1251 except the form texts
    std::string result;
    for (unsigned char c = uint8_t(image_.at(at)); c != 0; c = uint8_t(image_.at(++at))) {
      if (c == 4) {
        unsigned char index = uint8_t(image_.at(++at));
        if (index == 0 || index > 127 || index > forms.size()) throw std::runtime_error("binding");
        std::string key;
        while (uint8_t(image_.at(at + 1)) > 32) key += image_.at(++at);
        result += ToUtf8(bytes) + "\n#" + ToUtf8(key) + " = \"" + forms[index - 1] + "\"";
        bytes.clear();
      } else if (c < 32 && c != '\t' && c != '\n') {
        result += ToUtf8(bytes) + Token(c);
        bytes.clear();
      } else {
        bytes += char(c);
      }
    }
    ++at;
    return result + ToUtf8(bytes);
  }
};
