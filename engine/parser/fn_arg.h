#pragma once

#include <cstdint>

#include "r_array.h"
#include "wstring.h"

class fn_list_item;

// One declared argument of a game function.
struct fn_arg {
  // The number of the type name in the world's type list; -1 when the
  // argument names no type.
  int32_t type = -1;
  // The local variable that receives the value; may be empty.
  wstring name;
  // The key pattern the value's keys must fit, as written; may be empty.
  wstring key;
  // Clear for an argument written in square brackets: it may be left out.
  bool required = true;
};

// An argument list, the identity of a function: lists with the same count
// and, position by position, the same type and key pattern are the same
// function whatever their names and brackets.
class fn_args : public r_array<fn_arg, fn_arg> {
 public:
  fn_args() = default;
  // Reads an argument description; each argument's type name is found or
  // added in the registry's type list as the argument ends. Raises the
  // description's messages.
  fn_args(const wstring& description, fn_list_item& types);

  // Orders by count, then at the first position that differs by type number
  // and then by key pattern text.
  int CompareKey(const fn_args& other) const;
  bool HasName(const wstring& name) const;
};
