#pragma once

#include <string>
#include <string_view>
#include <vector>

// What a tag of the data (e.g. "NOUN,inan,femn sing,nomn": grammemes of the
// lexeme, a blank, grammemes of the form) means for a dictionary article:
// the form's key in the letters of docs/keys.md, what the lexeme shares, and
// whether the form belongs in an article at all.

enum class part_of_speech {
  noun,
  adjective,  // ADJF with ADJS and COMP, adjectival pronouns, ordinal numerals
  verb,       // INFN with finite forms, participles and gerunds
  adverb,
  predicative,
  pronoun,
  numeral,
  conjunction,
  particle,
  interjection,
  preposition,
  other,
};

enum class aspect { none, perfective, imperfective };

// Proper names that become words: first names, patronymics and place names.
// Ordered from the most to the least needed, so that a lexeme that is
// several kinds at once counts as the first of them.
enum class proper_name { none, first_name, patronymic, place };

// Why a form stays out of every article.
enum class form_exclusion {
  none,
  vocative,
  // surnames, organisations, abbreviations, erroneous or distorted forms
  unwanted_kind,
  // a superlative shares every key with the positive degree
  superlative,
};

struct tag_meaning {
  part_of_speech pos = part_of_speech::other;
  aspect verb_aspect = aspect::none;
  form_exclusion exclusion = form_exclusion::none;
  proper_name name = proper_name::none;
  std::string form_key;     // e.g. "ИпЕч"
  std::string noun_key;     // a noun's gender and animacy, e.g. "ЖрНд"
  std::string default_key;  // "Мч" plural-only, "Еч" singular-only noun
  bool ordinal = false;  // an ordinal numeral, a word apart from its cardinal
  bool closed_class = false;
  bool rare_lexeme = false;  // informal, slang or archaic word
  // Order in which forms leave an article that binds too many texts; 0 for
  // forms that stay.
  int cut_priority = 0;
};

tag_meaning InterpretTag(std::string_view tag);

inline constexpr std::string_view noun_class = "@существительное";
inline constexpr std::string_view perfective_verb_class = "@совершенный_глагол";
inline constexpr std::string_view imperfective_verb_class = "@несовершенный_глагол";

// Part-of-speech classes of a lexeme; a verb seen in both aspects gets both.
std::vector<std::string> ClassesOf(part_of_speech pos, bool perfective, bool imperfective);

// The own key of a verb: aspect (none for a two-aspect verb) and
// reflexivity, e.g. "НшВз". `lemma` is UTF-8.
std::string VerbOwnKey(std::string_view lemma, bool perfective, bool imperfective);

// Pairs of a key text that both keys contain, e.g. "МрОд" and "МрНд" give "Мр".
std::string CommonKeyPairs(std::string_view a, std::string_view b);

// The key with the pairs of `added` whose letters it lacks, each put in the
// order of docs/keys.md: "РпЕчЧс" and "МрОд" give "РпЕчМрОдЧс".
std::string WithKeyPairs(std::string_view key, std::string_view added);
