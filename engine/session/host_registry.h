#pragma once

#include <cstdint>

#include "c_index.h"
#include "kiv.h"
#include "wstring.h"

// One host function registered by name.
struct ext_fn_item {
  wstring name;  // lower case, normalised
  kiv_host_function wide_function = nullptr;
  kiv_host_function_ansi ansi_function = nullptr;
  uint8_t kind = 0;
  int32_t argument_count = 0;

  void SetKey(const char16_t* key) { name = key; }
  int CompareKey(const char16_t* key) const { return name.Compare(key); }
};

// The host functions that game code and the engine call by name, sorted by
// their normalised names.
class host_registry {
 public:
  // The name under which a function is filed.
  static wstring NormalisedName(const wstring& name);

  // Finds or adds the entry for a normalised name.
  ext_fn_item& Entry(const wstring& normalised_name);
  const ext_fn_item* Find(const wstring& name) const;
  void Clear() { items_.Clear(); }

 private:
  c_index<ext_fn_item, const char16_t*> items_;
};
