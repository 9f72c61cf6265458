#pragma once

#include <string>
#include <vector>

#include "opencorpora_lexemes.h"
#include "opencorpora_tables.h"
#include "opencorpora_tags.h"

// Everything read from the data folder: the tables, what each tag means, the
// word paradigms and every lexeme with its corpus count.
struct opencorpora_source {
  opencorpora_tables tables;
  std::vector<tag_meaning> meanings;  // by tag id
  std::vector<paradigm> paradigms;    // word paradigms, see SplitParadigms
  std::vector<source_lexeme> lexemes;

  size_t CellCount(const source_lexeme& lexeme) const { return paradigms[lexeme.paradigm].size(); }
  const tag_meaning& Meaning(const source_lexeme& lexeme, size_t cell) const {
    return meanings[paradigms[lexeme.paradigm][cell].tag];
  }
  // Windows-1251.
  std::string Form(const source_lexeme& lexeme, size_t cell) const {
    return FormText(tables, paradigms[lexeme.paradigm][cell], lexeme.stem);
  }
};

// Reads words.dawg, p_t_given_w.intdawg and the tables from the folder;
// throws std::runtime_error naming a file that is missing or damaged.
opencorpora_source ReadOpenCorporaSource(const std::string& dicts_dir);
