#pragma once

#include "c_array.h"

// A c_array kept in ascending key order with unique keys.
template <class T, class K = T>
class c_index : public c_array<T, K> {
 public:
  // Binary search: true with pos at the item, or false with pos where the
  // key would be inserted. The first and last items are checked first, so
  // adding keys in order is cheap.
  bool Find(const K& key, int& pos) const {
    int count = this->Count();
    if (count == 0 || Compare(0, key) > 0) {
      pos = 0;
      return false;
    }
    if (Compare(0, key) == 0) {
      pos = 0;
      return true;
    }
    int last = Compare(count - 1, key);
    if (last <= 0) {
      pos = last < 0 ? count : count - 1;
      return last == 0;
    }
    int lo = 0, hi = count - 1;
    while (lo + 1 < hi) {
      int mid = (lo + hi) / 2;
      int order = Compare(mid, key);
      if (order == 0) {
        pos = mid;
        return true;
      }
      if (order < 0)
        lo = mid;
      else
        hi = mid;
    }
    pos = hi;
    return false;
  }

  // Inserts an item with the key unless one is there; pos is its place.
  bool Add(const K& key, int& pos) {
    if (Find(key, pos)) return false;
    this->Insert(pos, key);
    return true;
  }

  T* Get(const K& key) {
    int pos;
    return Find(key, pos) ? &(*this)[pos] : nullptr;
  }

 private:
  int Compare(int i, const K& key) const { return compare_item_key((*this)[i], key); }
};
