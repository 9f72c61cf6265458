#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The tables of the morphology data that the word keys point into: paradigms
// (paradigms.array), suffixes (suffixes.json), tags (gramtab) and paradigm
// prefixes (meta.json). Suffixes and prefixes are kept in Windows-1251, as
// the word keys hold their forms, so that forms split without conversion.

struct paradigm_cell {
  uint16_t suffix;
  uint16_t tag;
  uint16_t prefix;
};

// Cell 0 is the normal form. A form is prefix + stem + suffix.
using paradigm = std::vector<paradigm_cell>;

struct opencorpora_tables {
  std::vector<std::string> suffixes;  // Windows-1251
  std::vector<std::string> prefixes;  // Windows-1251
  std::vector<std::string> tags;      // e.g. "NOUN,inan,femn sing,nomn"
  std::vector<paradigm> paradigms;
};

// Reads paradigms.array: u16 paradigm count; per paradigm a u16 length 3n and
// n suffix ids, n tag ids, n prefix ids. Ids are checked against the sizes.
std::vector<paradigm> ParseParadigms(std::string_view bytes, size_t suffix_count, size_t tag_count,
                                     size_t prefix_count);

// Reads every table from the data folder; throws std::runtime_error naming
// the file that is missing or damaged.
opencorpora_tables ReadOpenCorporaTables(const std::string& dicts_dir);

