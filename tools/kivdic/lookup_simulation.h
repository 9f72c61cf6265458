#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "stem_key.h"

// The engine's article lookup, run on a written file image in a world that
// has taken no article yet: the builder checks with it what the engine will
// find. The image must outlive the object.
class lookup_simulation {
 public:
  // Reads the header and the ending tables; a damaged image is refused with
  // std::runtime_error.
  explicit lookup_simulation(std::string_view image);

  // The first article, noun key entry first and then verb key entry, whose
  // forms hold the word once normalised; the word is normalised text in
  // code page 1251.
  std::optional<uint16_t> FindArticle(std::string_view word);

  // The form texts of an article as the file holds them.
  std::vector<std::string_view> Forms(uint16_t number) const;

 private:
  std::string_view image_;
  uint32_t entry_count_ = 0;
  uint32_t area_offset_ = 0;
  uint32_t granule_ = 0;
  std::vector<std::string_view> noun_endings_;
  std::vector<verb_ending_rule> verb_rules_;

  uint32_t ReadUint32(size_t offset) const;
  uint16_t ReadUint16(size_t offset) const;
  std::string_view ReadString(size_t& offset) const;
  void ReadEndingTables(uint32_t noun_table_offset);
  std::optional<size_t> FindEntry(uint16_t key) const;
  // Normalised form texts, sorted, of the articles tried so far: each
  // article is normalised once however often it is tried.
  std::unordered_map<uint16_t, std::vector<std::string>> normalised_forms_;

  bool HasForm(uint16_t number, std::string_view word);
};

// FindArticle answers only words that begin, after any "@" and "$", with a
// character from U+0400 to U+0451.
bool StartsLikeDictionaryWord(std::string_view cp1251_word);
