#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "opencorpora_source.h"

// A word that may become an article: one lexeme of the data, or several with
// the same lemma and the same classes (ёж animate and inanimate) merged.
struct lexeme_candidate {
  std::string lemma;  // UTF-8
  part_of_speech pos = part_of_speech::other;
  bool perfective = false;  // verbs: the aspects their forms are tagged with
  bool imperfective = false;
  bool closed_class = false;
  bool rare = false;  // every merged lexeme is informal, slang or archaic
  // A common word merged with a name («вера», «Вера») is a common word.
  proper_name name = proper_name::none;
  std::vector<size_t> sources;  // indexes of the merged lexemes in the source
  uint64_t corpus_count = 0;
  double rank = 0;

  std::vector<std::string> Classes() const { return ClassesOf(pos, perfective, imperfective); }
};

// How many lexemes of the data stay out, and why.
struct candidate_counts {
  size_t unwanted_kind = 0;  // surnames, organisations, abbreviations, erroneous forms
  size_t prepositions = 0;   // PREP, or a lemma spelled like a preposition
  size_t unclassified = 0;   // no part of speech that an article can have
  size_t merged = 0;         // lexemes joined to a homonym of the same classes
};

// The candidates in the order their first lexeme has in the source.
std::vector<lexeme_candidate> FindCandidates(const opencorpora_source& source, candidate_counts& counts);

// True for the prepositions that the game library declares itself.
bool IsPreposition(const std::string& lemma);
