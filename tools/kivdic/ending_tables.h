#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "stem_key.h"

// The two ending tables the dictionary file carries, and the stem keys they
// give. The engine reads the tables from the file, so whatever is chosen here
// is what it computes keys with.
class ending_tables {
 public:
  struct verb_rule_text {
    std::string_view ending;       // UTF-8
    std::string_view replacement;  // UTF-8
  };

  // The tables in UTF-8; noun endings are tried in the given order, and so
  // are verb rules.
  ending_tables(std::span<const std::string_view> noun_endings, std::span<const verb_rule_text> verb_rules);
  // The views below point into the owned strings.
  ending_tables(const ending_tables&) = delete;
  ending_tables& operator=(const ending_tables&) = delete;

  // The tables chosen for the Russian dictionary.
  static ending_tables Standard();

  uint16_t NounKey(std::string_view cp1251_word) const;
  uint16_t VerbKey(std::string_view cp1251_word) const;

  // The tables as the file holds them: the noun table's entries are each an
  // ending, NUL and one unread byte; the verb table's rules are an ending and
  // its replacement, each NUL-terminated; both end with an empty ending.
  std::string NounTableBytes() const;
  std::string VerbTableBytes() const;

 private:
  std::vector<std::string> noun_endings_;
  std::vector<std::pair<std::string, std::string>> verb_rules_;
  std::vector<std::string_view> noun_views_;
  std::vector<verb_ending_rule> verb_views_;
};
