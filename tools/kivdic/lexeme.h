#pragma once

#include <string>
#include <vector>

// One lexeme on its way from the morphology data into a dictionary article.
// All texts are UTF-8; key texts use the letters of docs/keys.md.

struct word_form {
  std::string text;  // lower case, "ё" kept
  std::string key;   // form key, e.g. "ИпЕч"
};

struct lexeme {
  std::string lemma;                 // normal form, lower case; the declared word's name
  std::vector<std::string> classes;  // part-of-speech classes, e.g. "@существительное"
  std::string own_key;               // keys shared by all forms, e.g. "ЖрНд"; may be empty
  std::string default_key;           // e.g. "Мч" for plural-only nouns; may be empty
  std::vector<word_form> forms;      // forms[0] is the lemma; a text may repeat with other keys
  std::string aspect_partner;        // lemma of the verb of the other aspect, or empty
  double rank = 0;                   // higher is more useful to a game
};
