#pragma once

#include "c_array.h"

// Plain arrays used as small sets (relation lists, class identifiers):
// linear, since they stay short.

template <class T, class K, class U>
bool set_contains(const c_array<T, K>& items, const U& item) {
  for (const T& held : items)
    if (held == item) return true;
  return false;
}

template <class T, class K>
void set_add(c_array<T, K>& items, const T& item) {
  if (!set_contains(items, item)) items.Insert(items.Count(), item);
}

template <class T, class K>
void set_remove(c_array<T, K>& items, const T& item) {
  for (int i = items.Count() - 1; i >= 0; --i)
    if (items[i] == item) items.Delete(i);
}
