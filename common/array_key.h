#pragma once

// How an array item takes its key and compares itself with one.
// An item type either offers SetKey(key) and CompareKey(key) (negative, zero
// or positive), or is assignable from the key and comparable with it by
// == and <, as plain integers, pointers and strings are.

template <class T, class K>
void set_item_key(T& item, const K& key) {
  if constexpr (requires { item.SetKey(key); })
    item.SetKey(key);
  else
    item = key;
}

template <class T, class K>
int compare_item_key(const T& item, const K& key) {
  if constexpr (requires { item.CompareKey(key); })
    return item.CompareKey(key);
  else if (item == key)
    return 0;
  else
    return item < key ? -1 : 1;
}
