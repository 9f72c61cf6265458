#pragma once

#include <cstddef>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "aspect_pairs.h"
#include "lexeme.h"
#include "lexeme_candidates.h"
#include "lexeme_forms.h"
#include "lexeme_usage.h"

// Which lexemes become articles.
struct lexeme_choice {
  // When `words` is empty: the most useful common words, at most this many,
  // and the first names, patronymics and place names that rank at least as
  // high as the last of them.
  size_t limit = 50000;
  // Exactly the lexemes with these lemmas, every homonym ("ё" read as "е").
  std::vector<std::string> words;
  // Texts that tell how much words are used, for the ranking.
  std::vector<usage_source> usage = DebianUsageSources();
  // A list of aspect pairs made by hand (see ParseAspectPairs); empty: none.
  std::string aspect_pairs_path;
};

struct choice_summary {
  size_t lexemes_read = 0;
  size_t forms_read = 0;
  candidate_counts left_out;
  size_t candidates = 0;
  size_t chosen = 0;
  std::map<std::string, size_t> per_class;  // chosen lexemes; a two-aspect verb counts in both
  size_t first_names = 0;                   // chosen, of the nouns
  size_t patronymics = 0;
  size_t places = 0;
  form_counts forms;                        // of the chosen lexemes
  size_t aspect_pairs = 0;
  std::vector<std::string> words_not_found;
};

// The chosen lexemes, most useful first, with their forms, keys and aspect
// partners. `candidates` must have their ranks set.
std::vector<lexeme> ChooseLexemes(const opencorpora_source& source, const std::vector<lexeme_candidate>& candidates,
                                  const lexeme_choice& choice, const std::vector<aspect_pair>& hand_pairs,
                                  choice_summary& summary);

// Lemmas one a line; blank lines and text after "#" are skipped.
std::vector<std::string> ParseWordList(std::string_view text);
std::vector<std::string> ReadWordList(const std::string& path);

void PrintSummary(std::ostream& out, const choice_summary& summary);
