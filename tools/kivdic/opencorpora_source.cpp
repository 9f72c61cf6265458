#include "opencorpora_source.h"

#include "opencorpora_corpus.h"
#include "opencorpora_dawg.h"

namespace {

std::vector<tag_meaning> InterpretTags(const std::vector<std::string>& tags) {
  std::vector<tag_meaning> meanings;
  meanings.reserve(tags.size());
  for (const std::string& tag : tags) meanings.push_back(InterpretTag(tag));
  return meanings;
}

}  // namespace

opencorpora_source ReadOpenCorporaSource(const std::string& dicts_dir) {
  opencorpora_source source;
  source.tables = ReadOpenCorporaTables(dicts_dir);
  source.meanings = InterpretTags(source.tables.tags);
  corpus_counts counts(ReadDawgFile(dicts_dir + "/p_t_given_w.intdawg"), source.tables.tags);
  word_paradigms split = SplitParadigms(source.tables.paradigms, source.meanings);
  source.lexemes = CollectLexemes(ReadDawgFile(dicts_dir + "/words.dawg"), source.tables, split, counts);
  source.paradigms = std::move(split.paradigms);
  return source;
}
