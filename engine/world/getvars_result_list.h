#pragma once

#include <cstdint>

#include "c_array.h"
#include "value.h"
#include "wstring.h"

class object;

struct GetVars_result_list_item {
  value found;     // carries the requested keys with the reach mark "м"
  int32_t weight = 0;

  void SetKey(const value& v) { found = v; }
  int CompareKey(const value& v) const { return found == v ? 0 : (found < v ? -1 : 1); }
};

// A request to context::GetVars: the names asked for, the requested keys,
// and what the names were found to mean.
struct GetVars_result_list {
  c_array<wstring, wstring> names;
  wstring requested_keys;
  c_array<GetVars_result_list_item, value> results;

  // Adds an entity found by a name with its reach mark ("Дм", "Вм"; empty
  // when it was not met around the context: objects, classes and locations
  // then get "!м"). An entity whose default key does not fit the requested
  // keys is left out; a missing one raises "GetVars_result_list::AddObject()
  // invalid Obj!".
  void AddObject(object* entity, int32_t weight, const wstring& mark);
  // Adds a value with the requested keys and the mark; a value found before
  // keeps the higher weight.
  void AddValue(const value& v, int32_t weight, const wstring& mark);
};
