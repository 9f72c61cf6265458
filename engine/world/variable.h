#pragma once

#include "value.h"
#include "wstring.h"

class context;
class object;

// A named storage place: a variable of running code, or a property of an
// entity. Names are normalised (lower case, "ё" as "е", no stress marks).
struct variable {
  wstring name;
  bool is_property = false;
  // Defined by code and evaluated on each read (methods among them).
  bool is_computed = false;
  bool being_computed = false;
  // Declared as a temporary property ("tmp").
  bool is_temporary = false;
  value content;
  wstring key_text;

  void SetKey(const wstring& normalised_name) { name = normalised_name; }
  int CompareKey(const wstring& normalised_name) const { return name.Compare(normalised_name.Text()); }

  // The value; a computed variable is evaluated in a fresh context opened
  // from `reader` and placed in `owner` (by default the holder, when it is
  // an entity); a nested read of it while it is being computed gives the
  // empty value. signal, when given, receives the stop signal the code
  // left (the session acts on goto and run from location events).
  value GetValue(context& holder, context* reader, object* owner = nullptr, int32_t* signal = nullptr);
};
