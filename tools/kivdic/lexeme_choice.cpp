#include "lexeme_choice.h"

#include <algorithm>
#include <limits>
#include <ostream>
#include <set>
#include <sstream>

#include "dictionary_text.h"
#include "opencorpora_file.h"

namespace {

std::string FoldedLemma(const std::string& utf8) { return FoldYo(ToCp1251(utf8)); }

// Most useful first; equal ranks in a fixed order.
bool MoreUseful(const lexeme_candidate& a, const lexeme_candidate& b) {
  if (a.rank != b.rank) return a.rank > b.rank;
  if (a.lemma != b.lemma) return a.lemma < b.lemma;
  return a.Classes() < b.Classes();
}

std::vector<const lexeme_candidate*> ByUsefulness(const std::vector<lexeme_candidate>& candidates) {
  std::vector<const lexeme_candidate*> order;
  order.reserve(candidates.size());
  for (const lexeme_candidate& candidate : candidates) order.push_back(&candidate);
  std::sort(order.begin(), order.end(), [](auto* a, auto* b) { return MoreUseful(*a, *b); });
  return order;
}

// The most useful common words, at most `limit`, and the first names,
// patronymics and place names that rank at least as high as the last of them.
std::vector<const lexeme_candidate*> ChooseByLimit(const std::vector<lexeme_candidate>& candidates, size_t limit) {
  std::vector<const lexeme_candidate*> chosen;
  size_t words = 0;
  double lowest = -std::numeric_limits<double>::infinity();
  for (const lexeme_candidate* candidate : ByUsefulness(candidates)) {
    const bool full = words == limit;
    if (candidate->name == proper_name::none) {
      if (full) continue;
      ++words;
      lowest = candidate->rank;
    } else if (full && candidate->rank < lowest) {
      continue;
    }
    chosen.push_back(candidate);
  }
  return chosen;
}

std::vector<const lexeme_candidate*> ChooseByWords(const std::vector<lexeme_candidate>& candidates,
                                                   const std::vector<std::string>& words,
                                                   std::vector<std::string>& not_found) {
  std::set<std::string> wanted;
  for (const std::string& word : words) wanted.insert(FoldedLemma(word));
  std::set<std::string> found;
  std::vector<const lexeme_candidate*> chosen;
  for (const lexeme_candidate* candidate : ByUsefulness(candidates)) {
    std::string lemma = FoldedLemma(candidate->lemma);
    if (wanted.count(lemma) == 0) continue;
    chosen.push_back(candidate);
    found.insert(lemma);
  }
  for (const std::string& word : words)
    if (found.count(FoldedLemma(word)) == 0) not_found.push_back(word);
  return chosen;
}

void CountChosen(const std::vector<const lexeme_candidate*>& chosen, choice_summary& summary) {
  summary.chosen = chosen.size();
  for (const lexeme_candidate* candidate : chosen) {
    for (const std::string& c : candidate->Classes()) ++summary.per_class[c];
    summary.first_names += candidate->name == proper_name::first_name;
    summary.patronymics += candidate->name == proper_name::patronymic;
    summary.places += candidate->name == proper_name::place;
  }
}

}  // namespace

std::vector<lexeme> ChooseLexemes(const opencorpora_source& source, const std::vector<lexeme_candidate>& candidates,
                                  const lexeme_choice& choice, const std::vector<aspect_pair>& hand_pairs,
                                  choice_summary& summary) {
  std::vector<const lexeme_candidate*> chosen = choice.words.empty()
                                                    ? ChooseByLimit(candidates, choice.limit)
                                                    : ChooseByWords(candidates, choice.words, summary.words_not_found);
  std::vector<lexeme> lexemes;
  lexemes.reserve(chosen.size());
  for (const lexeme_candidate* candidate : chosen) lexemes.push_back(BuildLexeme(source, *candidate, summary.forms));
  summary.aspect_pairs = PairAspects(lexemes, hand_pairs);
  CountChosen(chosen, summary);
  return lexemes;
}

std::vector<std::string> ParseWordList(std::string_view text) {
  std::vector<std::string> words;
  std::istringstream lines{std::string(text)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line.substr(0, line.find('#')));
    std::string word;
    if (fields >> word) words.push_back(word);
  }
  return words;
}

std::vector<std::string> ReadWordList(const std::string& path) { return ParseWordList(ReadFileBytes(path)); }

void PrintSummary(std::ostream& out, const choice_summary& s) {
  out << "lexemes read: " << s.lexemes_read << " with " << s.forms_read << " forms\n"
      << "left out: " << s.left_out.unwanted_kind << " surnames, organisations, abbreviations and erroneous words, "
      << s.left_out.prepositions << " prepositions, " << s.left_out.unclassified << " without a class\n"
      << "homonyms merged: " << s.left_out.merged << "; candidates: " << s.candidates << "\n"
      << "chosen: " << s.chosen << "\n";
  for (const auto& [name, count] : s.per_class) out << "  " << name << ": " << count << "\n";
  out << "  of the nouns: " << s.first_names << " first names, " << s.patronymics << " patronymics, " << s.places
      << " place names\n";
  out << "forms: " << s.forms.kept << "; left out: " << s.forms.vocative << " vocative, " << s.forms.unwanted_kind
      << " abbreviations and erroneous, " << s.forms.superlative << " superlative; cut to "
      << max_form_texts << " texts: " << s.forms.cut << " forms of " << s.forms.lexemes_cut << " lexemes\n"
      << "aspect pairs: " << s.aspect_pairs << "\n";
  if (!s.words_not_found.empty()) {
    out << "words not found:";
    for (const std::string& word : s.words_not_found) out << " " << word;
    out << "\n";
  }
}
