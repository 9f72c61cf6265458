#pragma once

#include <cstdint>

#include "c_array.h"
#include "value.h"
#include "wstring.h"

class value_world;

// An argument type a meaning serves (a number of the world's type list),
// with how closely it does: higher is more specific.
struct served_type {
  int32_t type = 0;
  int32_t grade = 0;
};

// One candidate meaning of a token of a player's command: a value with the
// weight of its origin and its key string (the value's keys plus any extra
// keys given when it was made).
struct op_value {
  // A meaning of v: its key string is the value's keys with the extra keys
  // set over them (the negation marker "Не" sets "е" to "Н").
  static op_value Make(const value_world* home, const value& v, int32_t weight,
                       const wstring& extra_keys = wstring());

  value v;
  int32_t weight = 0;
  wstring keys;
  // Dispatch marks: the serial numbers of the line's function candidates
  // whose arguments this meaning fits, and of those it succeeded for.
  c_array<int32_t, int32_t> fits;
  c_array<int32_t, int32_t> succeeded;
  // Dispatch: the argument types the meaning serves.
  c_array<served_type, served_type> types;

  // The grade with which the meaning serves the type; 0 when it does not.
  int32_t GradeFor(int32_t type) const {
    for (const served_type& served : types)
      if (served.type == type) return served.grade;
    return 0;
  }

  // Two meanings are the same when value and key string are.
  bool SameAs(const op_value& other) const { return v == other.v && keys.Compare(other.keys.Text()) == 0; }
};

// Weights of meanings by their origin.
namespace meaning_weight {
constexpr int32_t literal = 100;  // a string, a number, a sign, a preposition
constexpr int32_t keyword = 95;
constexpr int32_t word_form = 20;
constexpr int32_t plain_text = 10;
}  // namespace meaning_weight
