#include "opencorpora_lexemes.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

#include "dictionary_text.h"
#include "opencorpora_corpus.h"
#include "opencorpora_dawg.h"
#include "opencorpora_word_key.h"

namespace {

struct word_kind {
  part_of_speech pos;
  bool ordinal;
  proper_name name;
  bool feminine_patronymic;
  bool operator==(const word_kind&) const = default;
};

word_kind KindOf(const paradigm_cell& cell, const std::vector<tag_meaning>& meanings) {
  const tag_meaning& meaning = meanings[cell.tag];
  const bool patronymic = meaning.name == proper_name::patronymic;
  return {meaning.pos, meaning.ordinal, meaning.name, patronymic && meaning.noun_key.starts_with("Жр")};
}

[[noreturn]] void Fail(const word_key& key, const std::string& problem) {
  throw std::runtime_error("words.dawg is damaged: the form \"" + Cp1251ToUtf8(key.form) + "\" " + problem);
}

const cell_ref& WordCellOf(const word_paradigms& split, const word_key& key) {
  if (key.paradigm >= split.from_data.size()) Fail(key, "names a missing paradigm");
  const std::vector<cell_ref>& cells = split.from_data[key.paradigm];
  if (key.index >= cells.size()) Fail(key, "names a missing paradigm cell");
  return cells[key.index];
}

std::string_view StemOf(const opencorpora_tables& tables, const paradigm_cell& cell, const word_key& key) {
  const std::string& prefix = tables.prefixes[cell.prefix];
  const std::string& suffix = tables.suffixes[cell.suffix];
  std::string_view form = key.form;
  if (form.size() < prefix.size() + suffix.size() || !form.starts_with(prefix) || !form.ends_with(suffix))
    Fail(key, "does not fit its paradigm cell");
  return form.substr(prefix.size(), form.size() - prefix.size() - suffix.size());
}

// The identity of a lexeme: its paradigm and stem.
std::string LexemeId(uint16_t paradigm, std::string_view stem) {
  std::string id;
  id.push_back(static_cast<char>(paradigm >> 8));
  id.push_back(static_cast<char>(paradigm & 0xFF));
  id += stem;
  return id;
}

}  // namespace

word_paradigms SplitParadigms(const std::vector<paradigm>& data, const std::vector<tag_meaning>& meanings) {
  word_paradigms split;
  split.from_data.resize(data.size());
  for (size_t p = 0; p < data.size(); ++p) {
    std::vector<std::pair<word_kind, uint16_t>> words;  // of this paradigm, with their word paradigm ids
    for (const paradigm_cell& cell : data[p]) {
      word_kind kind = KindOf(cell, meanings);
      auto found = std::find_if(words.begin(), words.end(), [&](const auto& word) { return word.first == kind; });
      if (found == words.end()) {
        if (split.paradigms.size() > 0xFFFF) throw std::runtime_error("paradigms.array holds too many words");
        found = words.insert(words.end(), {kind, static_cast<uint16_t>(split.paradigms.size())});
        split.paradigms.emplace_back();
      }
      paradigm& word = split.paradigms[found->second];
      split.from_data[p].push_back({found->second, static_cast<uint16_t>(word.size())});
      word.push_back(cell);
    }
  }
  return split;
}

std::vector<source_lexeme> CollectLexemes(const dawg& words, const opencorpora_tables& tables,
                                          const word_paradigms& split, const corpus_counts& counts) {
  std::vector<source_lexeme> lexemes;
  std::unordered_map<std::string, size_t> index_of;
  words.ForEachKey([&](std::string_view text, uint32_t) {
    word_key key = DecodeWordKey(text);
    cell_ref where = WordCellOf(split, key);
    const paradigm_cell& cell = split.paradigms[where.paradigm][where.cell];
    std::string_view stem = StemOf(tables, cell, key);
    auto [found, added] = index_of.try_emplace(LexemeId(where.paradigm, stem), lexemes.size());
    if (added) lexemes.push_back({where.paradigm, std::string(stem), 0});
    lexemes[found->second].corpus_count += counts.Count(key.form, cell.tag);
  });
  return lexemes;
}

std::string FormText(const opencorpora_tables& tables, const paradigm_cell& cell, const std::string& stem) {
  return tables.prefixes[cell.prefix] + stem + tables.suffixes[cell.suffix];
}
