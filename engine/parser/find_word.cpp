// A player's word among the world's prepositions and word forms, with the
// dictionary's help for a word the game never declared.

#include "find_word.h"

#include "world.h"

namespace {

bool find_known(const world& home, const wstring& text, int& form_pos, int& preposition_pos) {
  form_pos = preposition_pos = -1;
  int pos;
  if (home.prepforms.Find(text.Text(), pos)) {
    preposition_pos = pos;
    return true;
  }
  if (home.word_forms.Find(text.Text(), pos)) {
    form_pos = pos;
    return true;
  }
  return false;
}

}  // namespace

bool FindWord(world& home, const wstring& text, int& form_pos, int& preposition_pos) {
  const wstring normalised = context::NormalisedName(text);
  if (find_known(home, normalised, form_pos, preposition_pos)) return true;
  return home.LookUpInDictionary(normalised) && find_known(home, normalised, form_pos, preposition_pos);
}
