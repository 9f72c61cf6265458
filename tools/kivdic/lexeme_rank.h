#pragma once

#include <vector>

#include "lexeme_candidates.h"
#include "lexeme_usage.h"

// Sets the rank of every candidate: how useful the word is to a game, higher
// is better. Closed classes (pronouns, conjunctions, particles, numerals...)
// rank above every other word; the rest by their uses in the corpus of the
// data and in the other texts, whether a lexicon lists them, and the length
// of the lemma (common words are short). A form shared by several
// candidates shares its uses between them.
void RankCandidates(std::vector<lexeme_candidate>& candidates, const opencorpora_source& source,
                    const usage_evidence& evidence);
