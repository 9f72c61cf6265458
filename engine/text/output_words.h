#pragma once

#include "wstring.h"

// What the output pool asks of the loaded world when it agrees a
// preposition with the word after it.
class output_words {
 public:
  virtual ~output_words() = default;

  // False when the world has no word object named `word`; otherwise true,
  // with `form` set to that word object's form before `next`.
  virtual bool PrepositionForm(const wstring& word, const wstring& next, wstring& form) const = 0;
};
