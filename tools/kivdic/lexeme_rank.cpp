#include "lexeme_rank.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

#include "dictionary_text.h"

namespace {

// Weights measured by how much of held-out Russian text the top 60,000 words
// cover; the result changed little around these values.
constexpr double closed_class_bonus = 1000;
constexpr double lexicon_bonus = 1;
constexpr double per_letter = -0.1;
constexpr double rare_word = -1;

using matched_texts = std::vector<const std::string*>;  // keys of usage_evidence::uses

// The distinct forms of a candidate that the texts use.
matched_texts UsedForms(const lexeme_candidate& candidate, const opencorpora_source& source,
                        const usage_evidence& evidence) {
  matched_texts used;
  for (size_t index : candidate.sources) {
    const source_lexeme& lexeme = source.lexemes[index];
    for (size_t cell = 0; cell < source.CellCount(lexeme); ++cell) {
      if (source.Meaning(lexeme, cell).exclusion != form_exclusion::none) continue;
      auto found = evidence.uses.find(FoldYo(source.Form(lexeme, cell)));
      if (found != evidence.uses.end()) used.push_back(&found->first);
    }
  }
  std::sort(used.begin(), used.end());
  used.erase(std::unique(used.begin(), used.end()), used.end());
  return used;
}

size_t Letters(const std::string& utf8) {
  return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

double Score(const lexeme_candidate& candidate, double uses, const usage_evidence& evidence) {
  double score = std::log1p(static_cast<double>(candidate.corpus_count)) + std::log1p(uses);
  if (evidence.lexicon.count(FoldYo(ToCp1251(candidate.lemma))) != 0) score += lexicon_bonus;
  score += per_letter * static_cast<double>(Letters(candidate.lemma));
  if (candidate.rare) score += rare_word;
  if (candidate.closed_class) score += closed_class_bonus;
  return score;
}

}  // namespace

void RankCandidates(std::vector<lexeme_candidate>& candidates, const opencorpora_source& source,
                    const usage_evidence& evidence) {
  std::vector<matched_texts> used(candidates.size());
  std::unordered_map<const std::string*, size_t> sharers;
  for (size_t i = 0; i < candidates.size(); ++i) {
    used[i] = UsedForms(candidates[i], source, evidence);
    for (const std::string* text : used[i]) ++sharers[text];
  }
  for (size_t i = 0; i < candidates.size(); ++i) {
    double uses = 0;
    for (const std::string* text : used[i]) uses += evidence.uses.at(*text) / static_cast<double>(sharers[text]);
    candidates[i].rank = Score(candidates[i], uses, evidence);
  }
}
