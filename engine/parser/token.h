#pragma once

#include <cstdint>

#include "c_array.h"
#include "key_matrix.h"
#include "op_value.h"
#include "wstring.h"

// One word, number, string or sign of a player's command with all its
// candidate meanings; after a combination rule, the phrase it joined.
class token {
 public:
  // Adds a meaning unless an equal one exists, which then keeps the higher
  // weight. The key set is not rebuilt.
  void AddMeaning(const op_value& meaning);
  // The key set made anew from the meanings' key strings.
  void RebuildKeys();
  // Drops the meanings whose key string is no longer in the key set; true
  // when any was dropped (the token is then marked changed).
  bool DropMeaningsOutsideKeys();
  // Narrows the meanings (optionally reducing their keys to the filter's
  // key letters).
  void Resolve(const char16_t* filter = nullptr);
  // Makes the token stand for a failed reading: its only meaning is the
  // truth value "ошибка".
  void MakeError();
  void Clear();

  // The tokenizer's kind: '"' string, ',' sign, 'L' word, 'N' number; 0 for
  // an empty token.
  char16_t kind = 0;
  bool russian = false;
  bool question = false;
  bool preposition = false;
  // Set when the meanings were narrowed by a rule.
  bool changed = false;
  // 1 for a token of the input; the count of input tokens a rule joined.
  int32_t weight = 1;
  wstring text;
  c_array<op_value, op_value> meanings;
  key_list keys;

  // Dispatch: the argument the token is bound to and the meaning used,
  // and the same two saved for execution (-1: none).
  int32_t argument = -1;
  int32_t meaning = -1;
  int32_t saved_argument = -1;
  int32_t saved_meaning = -1;
};
