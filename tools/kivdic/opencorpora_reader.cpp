#include "opencorpora_reader.h"

#include "lexeme_rank.h"

namespace {

size_t FormCount(const opencorpora_source& source) {
  size_t forms = 0;
  for (const source_lexeme& lexeme : source.lexemes) forms += source.CellCount(lexeme);
  return forms;
}

}  // namespace

std::vector<lexeme> ReadOpenCorporaLexemes(const std::string& dicts_dir, const lexeme_choice& choice,
                                           choice_summary& summary) {
  opencorpora_source source = ReadOpenCorporaSource(dicts_dir);
  summary.lexemes_read = source.lexemes.size();
  summary.forms_read = FormCount(source);
  std::vector<lexeme_candidate> candidates = FindCandidates(source, summary.left_out);
  summary.candidates = candidates.size();
  RankCandidates(candidates, source, ReadUsageEvidence(choice.usage));
  std::vector<aspect_pair> hand_pairs;
  if (!choice.aspect_pairs_path.empty()) hand_pairs = ReadAspectPairsFile(choice.aspect_pairs_path);
  return ChooseLexemes(source, candidates, choice, hand_pairs, summary);
}
