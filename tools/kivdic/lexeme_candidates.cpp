#include "lexeme_candidates.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_map>

#include "dictionary_text.h"

namespace {

constexpr std::array<std::string_view, 47> prepositions = {
    "в",     "на",     "с",       "к",      "о",      "у",      "из",       "от",         "до",     "за",
    "по",    "под",    "над",     "при",    "про",    "для",    "без",      "через",      "об",     "со",
    "во",    "ко",     "изо",     "ото",    "обо",    "подо",   "надо",     "передо",     "перед",  "между",
    "сквозь", "около", "возле",   "вокруг", "среди",  "вдоль",  "мимо",     "после",      "кроме",  "ради",
    "против", "вместо", "внутри", "напротив", "благодаря", "из-за", "из-под"};

struct verb_aspects {
  bool perfective = false;
  bool imperfective = false;
};

// Two-aspect verbs are one lexeme whose forms carry both aspects.
verb_aspects AspectsOf(const opencorpora_source& source, const source_lexeme& lexeme) {
  verb_aspects aspects;
  size_t cells = source.CellCount(lexeme);
  for (size_t cell = 0; cell < cells; ++cell) {
    aspect a = source.Meaning(lexeme, cell).verb_aspect;
    aspects.perfective |= a == aspect::perfective;
    aspects.imperfective |= a == aspect::imperfective;
  }
  return aspects;
}

enum class verdict { keep, unwanted_kind, preposition, unclassified };

verdict Judge(const tag_meaning& lemma_meaning, const lexeme_candidate& candidate) {
  if (lemma_meaning.exclusion != form_exclusion::none) return verdict::unwanted_kind;
  if (candidate.pos == part_of_speech::preposition || IsPreposition(candidate.lemma)) return verdict::preposition;
  if (candidate.Classes().empty()) return verdict::unclassified;
  return verdict::keep;
}

void Count(verdict v, candidate_counts& counts) {
  if (v == verdict::unwanted_kind) ++counts.unwanted_kind;
  if (v == verdict::preposition) ++counts.prepositions;
  if (v == verdict::unclassified) ++counts.unclassified;
}

lexeme_candidate CandidateOf(const opencorpora_source& source, size_t index, std::string lemma) {
  const source_lexeme& lexeme = source.lexemes[index];
  const tag_meaning& meaning = source.Meaning(lexeme, 0);
  lexeme_candidate candidate;
  candidate.lemma = std::move(lemma);
  candidate.pos = meaning.pos;
  if (meaning.pos == part_of_speech::verb) {
    verb_aspects aspects = AspectsOf(source, lexeme);
    candidate.perfective = aspects.perfective;
    candidate.imperfective = aspects.imperfective;
  }
  candidate.closed_class = meaning.closed_class;
  candidate.rare = meaning.rare_lexeme;
  candidate.name = meaning.name;
  candidate.sources = {index};
  candidate.corpus_count = lexeme.corpus_count;
  return candidate;
}

void Merge(lexeme_candidate& into, const lexeme_candidate& homonym) {
  into.sources.push_back(homonym.sources.front());
  into.corpus_count += homonym.corpus_count;
  into.closed_class |= homonym.closed_class;
  into.rare &= homonym.rare;
  into.name = std::min(into.name, homonym.name);
}

std::string MergeKey(const lexeme_candidate& candidate) {
  std::string key = candidate.lemma;
  for (const std::string& c : candidate.Classes()) key += "\t" + c;
  return key;
}

}  // namespace

// "ё" read as "е", as the engine names words: «перёд» would be «перед».
bool IsPreposition(const std::string& lemma) {
  std::string name = lemma;
  for (size_t at = name.find("ё"); at != std::string::npos; at = name.find("ё", at)) name.replace(at, 2, "е");
  return std::find(prepositions.begin(), prepositions.end(), name) != prepositions.end();
}

std::vector<lexeme_candidate> FindCandidates(const opencorpora_source& source, candidate_counts& counts) {
  std::vector<lexeme_candidate> candidates;
  std::unordered_map<std::string, size_t> by_key;
  for (size_t i = 0; i < source.lexemes.size(); ++i) {
    const source_lexeme& lexeme = source.lexemes[i];
    lexeme_candidate candidate = CandidateOf(source, i, Cp1251ToUtf8(source.Form(lexeme, 0)));
    verdict v = Judge(source.Meaning(lexeme, 0), candidate);
    Count(v, counts);
    if (v != verdict::keep) continue;
    auto [found, added] = by_key.try_emplace(MergeKey(candidate), candidates.size());
    if (added) {
      candidates.push_back(std::move(candidate));
    } else {
      Merge(candidates[found->second], candidate);
      ++counts.merged;
    }
  }
  return candidates;
}
