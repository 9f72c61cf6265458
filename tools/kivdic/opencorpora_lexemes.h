#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "opencorpora_tables.h"
#include "opencorpora_tags.h"

class corpus_counts;
class dawg;

// The lexemes of the data. A lexeme is a paradigm and the stem its forms
// share: form i is prefix[i] + stem + suffix[i], form 0 the lemma.

struct cell_ref {
  uint16_t paradigm;
  uint16_t cell;
};

// A few paradigms of the data hold two words: a cardinal and its ordinal
// (два, второй), a noun and its adjective (миллион, миллионный), and a
// first name holds its patronymics (иван, иванович, ивановна). Word
// paradigms cut them where the part of speech changes and the patronymics
// off the name, a masculine and a feminine word, so each word has its own
// lemma; other paradigms are kept as they are.
struct word_paradigms {
  std::vector<paradigm> paradigms;
  std::vector<std::vector<cell_ref>> from_data;  // [data paradigm][data cell]
};

word_paradigms SplitParadigms(const std::vector<paradigm>& data, const std::vector<tag_meaning>& meanings);

struct source_lexeme {
  uint16_t paradigm = 0;      // a word paradigm
  std::string stem;           // Windows-1251
  uint64_t corpus_count = 0;  // corpus tokens of its forms, see corpus_counts
};

// Every lexeme of words.dawg once, in the order first met, with the corpus
// counts of its forms added up. Throws std::runtime_error for a key that
// names a missing paradigm or cell or whose form does not fit its cell.
std::vector<source_lexeme> CollectLexemes(const dawg& words, const opencorpora_tables& tables,
                                          const word_paradigms& split, const corpus_counts& counts);

// A form in Windows-1251.
std::string FormText(const opencorpora_tables& tables, const paradigm_cell& cell, const std::string& stem);
