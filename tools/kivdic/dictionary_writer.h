#pragma once

#include <span>
#include <string>

#include "coverage.h"
#include "ending_tables.h"
#include "lexeme.h"
#include "special_articles.h"

// Writes the dictionary file kiv.dic from the chosen lexemes: one article
// per lexeme (plus one for a special word that has no lexeme), filed under
// stem keys so that the engine finds each article by any of its forms. A
// noun that shares its word with another class carries its own keys on its
// forms (shared_words.h).

struct dictionary_build {
  std::string image;  // the whole file
  build_report report;
};

// Lexemes with a higher rank are preferred when keys overflow and come
// first in a key's entry; the special articles come before all of them.
// Input the file cannot carry is refused with std::invalid_argument.
dictionary_build BuildDictionary(std::span<const lexeme> words, std::span<const special_text> specials,
                                 const ending_tables& tables);
