#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// Stem keys of the morphological dictionary. Words are 8-bit text in code
// page 1251; the ending tables come from the dictionary file, so the engine
// and the dictionary builder compute the same keys from the same tables.

// One rule of the verb ending table: a final ending and what replaces it.
struct verb_ending_rule {
  std::string_view ending;
  std::string_view replacement;
};

constexpr uint16_t noun_key_seed = 26437;
constexpr uint16_t verb_key_seed = 43913;

uint16_t StemHash(std::string_view text, uint16_t seed);

// The key under which a noun-like word (noun, adjective, anything declined)
// is filed: the word less its first fitting ending, with doubled letters and
// fleeting vowels folded.
uint16_t NounStemKey(std::string_view word, std::span<const std::string_view> noun_endings);

// The key of a verb-like word: the word less the first fitting verb ending,
// with the built-in stem alternations applied.
uint16_t VerbStemKey(std::string_view word, std::span<const verb_ending_rule> verb_rules);
