#pragma once

#include <cstddef>
#include <vector>

#include "lexeme.h"
#include "lexeme_candidates.h"

// Turning a candidate into a lexeme: its forms with their keys, its own and
// default keys, and no more form texts than an article can bind.

// An article binds a form by a byte from 1 to 127.
constexpr size_t max_form_texts = 127;

struct form_counts {
  size_t kept = 0;
  size_t vocative = 0;       // left out
  size_t unwanted_kind = 0;  // left out: abbreviations, erroneous forms...
  size_t superlative = 0;    // left out
  size_t cut = 0;            // removed so that an article can bind the rest
  size_t lexemes_cut = 0;
};

lexeme BuildLexeme(const opencorpora_source& source, const lexeme_candidate& candidate, form_counts& counts);

// Removes whole texts, lowest priority first (0: never), until at most
// `limit` distinct texts are left; forms[0]'s text always stays. When that is
// not enough, the texts met last go. Returns the number of forms removed.
// `priorities` runs parallel to the forms.
size_t CutToTextLimit(std::vector<word_form>& forms, const std::vector<int>& priorities, size_t limit);
