#pragma once

#include "r_array.h"

template <class T, class K>
class c_iterator;

// An r_array that keeps the cursors walking it current: insertion and
// deletion move their positions, and destruction detaches them.
template <class T, class K = T>
class c_array : public r_array<T, K> {
 public:
  c_array() = default;
  c_array(const c_array& other) : r_array<T, K>(other) {}
  c_array(c_array&& other) noexcept : r_array<T, K>(std::move(other)) { other.ResetIterators(); }
  c_array& operator=(const c_array& other) {
    if (this != &other) {
      r_array<T, K>::operator=(other);
      ResetIterators();
    }
    return *this;
  }
  c_array& operator=(c_array&& other) noexcept {
    if (this != &other) {
      r_array<T, K>::operator=(std::move(other));
      ResetIterators();
      other.ResetIterators();
    }
    return *this;
  }
  virtual ~c_array() {
    while (iterators_) iterators_->Detach();
  }

  T& Insert(int i, const K& key) {
    // Resolve a position from the end here, once: the base would count a
    // still negative one from the end a second time.
    if (i < 0) i += this->Count();
    if (i < 0) throw "c_array::Insert() invalid Insert !";
    T& item = r_array<T, K>::Insert(i, key);
    for (c_iterator<T, K>* it = iterators_; it; it = it->next_) it->ItemInserted(i);
    return item;
  }

  void Delete(int first, int last = 0) {
    int count = this->Count();
    if (first < 0) first += count;
    if (last == 0) last = first;
    if (last < 0) last += count;
    if (count == 0 || first < 0 || last >= count || first > last) return;
    r_array<T, K>::Delete(first, last);
    for (c_iterator<T, K>* it = iterators_; it; it = it->next_) it->ItemsDeleted(first, last);
  }

  void Clear() {
    r_array<T, K>::Clear();
    ResetIterators();
  }

 private:
  friend class c_iterator<T, K>;

  void ResetIterators() {
    for (c_iterator<T, K>* it = iterators_; it; it = it->next_) it->current_ = it->resume_ = -1;
  }

  c_iterator<T, K>* iterators_ = nullptr;
};

#include "c_iterator.h"
