#include "host_registry.h"

wstring host_registry::NormalisedName(const wstring& name) {
  wstring normalised(name);
  normalised.ToLower(true);
  return normalised;
}

ext_fn_item& host_registry::Entry(const wstring& normalised_name) {
  int pos;
  items_.Add(normalised_name.Text(), pos);
  return items_[pos];
}

const ext_fn_item* host_registry::Find(const wstring& name) const {
  wstring normalised = NormalisedName(name);
  int pos;
  return items_.Find(normalised.Text(), pos) ? &items_[pos] : nullptr;
}
