#pragma once

#include <functional>

#include "c_array.h"

// A cursor registered on a c_array, optionally filtering: the accept
// predicate picks the items it stops at, the stop predicate ends a walk at a
// rejected item. Its position follows insertions and deletions, so items may
// be deleted during a walk; it outlives its array safely.
template <class T, class K = T>
class c_iterator {
 public:
  using predicate = std::function<bool(T&)>;

  explicit c_iterator(c_array<T, K>* array, predicate accept = {}, predicate stop = {})
      : accept_(std::move(accept)), stop_(std::move(stop)), array_(array) {
    if (!array_) throw u"c_iterator(c_array*) invalid Array!";
    next_ = array_->iterators_;
    if (next_) next_->prev_ = this;
    array_->iterators_ = this;
  }
  c_iterator(const c_iterator&) = delete;
  c_iterator& operator=(const c_iterator&) = delete;
  ~c_iterator() { Detach(); }

  bool First() {
    if (!array_) throw u"c_iterator::First() - invalid Array!";
    current_ = resume_ = -1;
    if (array_->Count() == 0) return false;
    current_ = resume_ = 0;
    if (accept_ && !accept_((*array_)[0])) return Next();
    return true;
  }

  bool Next() {
    if (!array_) throw u"c_iterator::Next() - invalid Array!";
    if (current_ != -1)
      ++current_;
    else if (resume_ != -1)
      current_ = resume_;
    if (current_ < 0) current_ = 0;
    resume_ = current_;
    return SkipRejected(+1) && current_ < array_->Count();
  }

  bool Prev() {
    if (!array_) throw u"c_iterator::Prev() - invalid Array!";
    if (current_ != -1)
      --current_;
    else if (resume_ != -1)
      current_ = resume_ - 1;
    if (current_ >= array_->Count()) current_ = array_->Count() - 1;
    resume_ = current_;
    return SkipRejected(-1) && current_ >= 0;
  }

  operator T&() {
    if (!array_) throw u"c_iterator::operator arrayitem&() - Invalid Array!";
    if (current_ < 0 || current_ >= array_->Count())
      throw u"c_iterator::operator arrayitem&() Index out of range!";
    return (*array_)[current_];
  }
  T& Item() { return *this; }
  int Position() const { return current_; }

 private:
  friend class c_array<T, K>;

  // Moves in `step` past items the accept predicate rejects; false when the
  // stop predicate ends the walk.
  bool SkipRejected(int step) {
    if (!accept_) return true;
    while (current_ >= 0 && current_ < array_->Count()) {
      T& item = (*array_)[current_];
      if (accept_(item)) return true;
      if (stop_ && stop_(item)) return false;
      current_ += step;
      resume_ = current_;
    }
    return true;
  }

  void ItemInserted(int i) {
    if (current_ >= i) {
      resume_ = ++current_;
    } else if (current_ == -1 && resume_ >= i) {
      ++resume_;  // a walk paused by a deletion resumes on the same item
    }
  }

  void ItemsDeleted(int first, int last) {
    int removed = last - first + 1;
    if (current_ >= first && current_ <= last) {
      current_ = -1;
      resume_ = first;
    } else if (current_ > last) {
      resume_ = current_ -= removed;
    } else if (current_ == -1 && resume_ > last) {
      resume_ -= removed;
    } else if (current_ == -1 && resume_ > first) {
      resume_ = first;
    }
  }

  void Detach() {
    if (array_) {
      if (prev_)
        prev_->next_ = next_;
      else
        array_->iterators_ = next_;
      if (next_) next_->prev_ = prev_;
    }
    prev_ = next_ = nullptr;
    array_ = nullptr;
    current_ = resume_ = -1;
  }

  c_iterator* prev_ = nullptr;
  c_iterator* next_ = nullptr;
  predicate accept_;
  predicate stop_;
  c_array<T, K>* array_;
  int resume_ = -1;
  int current_ = -1;
};
