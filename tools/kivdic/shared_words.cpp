#include "shared_words.h"

#include <algorithm>
#include <string>
#include <unordered_set>

#include "dictionary_text.h"
#include "opencorpora_tags.h"

namespace {

// The name of the declared word as the engine compares it: lower case, "ё" as "е".
std::string WordName(const lexeme& word) { return NormalisedCp1251(ToCp1251(word.lemma)); }

bool IsNoun(const lexeme& word) {
  return std::find(word.classes.begin(), word.classes.end(), noun_class) != word.classes.end();
}

}  // namespace

std::vector<bool> NounsSharingTheirWord(std::span<const lexeme> words) {
  std::vector<std::string> names;
  std::unordered_set<std::string> declared_by_others;
  for (const lexeme& word : words) {
    names.push_back(WordName(word));
    if (!IsNoun(word)) declared_by_others.insert(names.back());
  }
  std::vector<bool> sharing;
  for (size_t i = 0; i < words.size(); ++i) sharing.push_back(IsNoun(words[i]) && declared_by_others.count(names[i]));
  return sharing;
}

lexeme WithOwnKeysOnForms(const lexeme& noun) {
  lexeme moved = noun;
  moved.own_key.clear();
  // A form without a key stays unbound.
  for (word_form& form : moved.forms)
    if (!form.key.empty()) form.key = WithKeyPairs(form.key, noun.own_key);
  return moved;
}
