#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "array_key.h"

// A growable array of items stored by value in one block: element count,
// capacity, then the slots. The block exists only while the array has held
// something. Items relocate by move construction (a byte copy for trivially
// copyable items), so an item must not point into itself.
template <class T, class K = T>
class r_array {
 public:
  r_array() = default;
  r_array(const r_array& other) { CopyFrom(other); }
  r_array(r_array&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
  r_array& operator=(const r_array& other) {
    if (this != &other) {
      r_array copy(other);
      std::swap(block_, copy.block_);
    }
    return *this;
  }
  r_array& operator=(r_array&& other) noexcept {
    if (this != &other) {
      Clear();
      block_ = std::exchange(other.block_, nullptr);
    }
    return *this;
  }
  ~r_array() { Clear(); }

  int Count() const { return block_ ? block_->count : 0; }

  // The index is checked first: an empty array has no slots to point into.
  T& operator[](int i) {
    int at = CheckedIndex(i);
    return Slots()[at];
  }
  const T& operator[](int i) const {
    int at = CheckedIndex(i);
    return Slots()[at];
  }

  T* begin() { return block_ ? Slots() : nullptr; }
  T* end() { return block_ ? Slots() + block_->count : nullptr; }
  const T* begin() const { return block_ ? Slots() : nullptr; }
  const T* end() const { return block_ ? Slots() + block_->count : nullptr; }

  // A new item in its default state with its key set, at position i
  // (0 .. count; negative counts from the end). Items from i on move up.
  T& Insert(int i, const K& key) {
    int count = Count();
    if (i < 0) i += count;
    if (i < 0 || i > count) throw "c_array::Insert() invalid Insert !";
    if (!block_)
      Allocate(16);
    else if (count == block_->capacity)
      Regrow(GrownCapacity(count), i);
    else
      ShiftUp(i);
    T* slot = Slots() + i;
    new (slot) T();
    block_->count = count + 1;
    set_item_key(*slot, key);
    return *slot;
  }

  // Destroys items first .. last inclusive (last 0 means first) and closes
  // the gap; positions out of range do nothing.
  void Delete(int first, int last = 0) {
    if (!block_) return;
    int count = block_->count;
    if (first < 0) first += count;
    if (last == 0) last = first;
    if (last < 0) last += count;
    if (first < 0 || last >= count || first > last) return;
    int removed = last - first + 1;
    int remaining = count - removed;
    if (remaining == 0) {
      Clear();
      return;
    }
    T* slots = Slots();
    for (int j = first; j <= last; ++j) slots[j].~T();
    if (block_->capacity > 16 && block_->capacity > 2 * remaining) {
      storage* old = block_;
      T* old_slots = slots;
      Allocate(std::max(16, ScaledCapacity(remaining)));
      Relocate(old_slots, Slots(), first);
      Relocate(old_slots + last + 1, Slots() + first, count - last - 1);
      Free(old);
    } else {
      RelocateDown(slots + last + 1, slots + first, count - last - 1);
    }
    block_->count = remaining;
  }

  void Clear() {
    if (!block_) return;
    T* slots = Slots();
    for (int j = 0; j < block_->count; ++j) slots[j].~T();
    Free(block_);
    block_ = nullptr;
  }

 protected:
  int Capacity() const { return block_ ? block_->capacity : 0; }
  T* Data() { return block_ ? Slots() : nullptr; }
  const T* Data() const { return block_ ? Slots() : nullptr; }

  // Replaces the block by an empty one of exactly `capacity` slots.
  void AllocateExact(int capacity) {
    Clear();
    Allocate(capacity);
  }

  // Moves the items into a new block of `capacity` slots (at least count).
  void Reallocate(int capacity) {
    storage* old = block_;
    int count = Count();
    T* old_slots = old ? Slots() : nullptr;
    Allocate(std::max(capacity, count));
    if (old) {
      Relocate(old_slots, Slots(), count);
      block_->count = count;
      Free(old);
    }
  }

  // For items with no destructor and no constructor: the first n slots now
  // hold the items, written directly by the caller.
  void SetCount(int n) {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
    block_->count = n;
  }

  // count * 3 / 2 without overflow.
  static int ScaledCapacity(int count) {
    int64_t wanted = int64_t(count) * 3 / 2;
    return int(std::min<int64_t>(wanted, MaxCapacity()));
  }

  static int MaxCapacity() {
    return int(std::min<size_t>(INT32_MAX, (SIZE_MAX / 2 - ItemsOffset()) / sizeof(T)));
  }

 private:
  struct storage {
    int32_t count;
    int32_t capacity;
  };

  static constexpr size_t ItemsOffset() {
    return (sizeof(storage) + alignof(T) - 1) / alignof(T) * alignof(T);
  }
  static constexpr std::align_val_t BlockAlignment() {
    return std::align_val_t(std::max(alignof(T), alignof(storage)));
  }

  T* Slots() const {
    return std::launder(reinterpret_cast<T*>(reinterpret_cast<char*>(block_) + ItemsOffset()));
  }

  int CheckedIndex(int i) const {
    int count = Count();
    if (i < 0) i += count;
    if (i < 0 || i >= count) throw "array::operator[] Index out of range!";
    return i;
  }

  static int GrownCapacity(int count) {
    if (count >= MaxCapacity()) throw std::length_error("r_array: too many items");
    return std::max(16, ScaledCapacity(count));
  }

  void Allocate(int capacity) {
    if (capacity < 1 || capacity > MaxCapacity()) throw std::length_error("r_array: too many items");
    void* memory = ::operator new(ItemsOffset() + size_t(capacity) * sizeof(T), BlockAlignment());
    block_ = static_cast<storage*>(memory);
    block_->count = 0;
    block_->capacity = capacity;
  }

  static void Free(storage* block) { ::operator delete(block, BlockAlignment()); }

  // Moves n items into uninitialised slots that do not overlap them.
  static void Relocate(T* from, T* to, int n) {
    if (n <= 0) return;
    if constexpr (std::is_trivially_copyable_v<T>) {
      std::memcpy(static_cast<void*>(to), static_cast<const void*>(from), size_t(n) * sizeof(T));
    } else {
      for (int j = 0; j < n; ++j) {
        new (to + j) T(std::move(from[j]));
        from[j].~T();
      }
    }
  }

  // Moves n items to a lower address that may overlap them.
  static void RelocateDown(T* from, T* to, int n) {
    if (n <= 0) return;
    if constexpr (std::is_trivially_copyable_v<T>) {
      std::memmove(static_cast<void*>(to), static_cast<const void*>(from), size_t(n) * sizeof(T));
    } else {
      for (int j = 0; j < n; ++j) {
        new (to + j) T(std::move(from[j]));
        from[j].~T();
      }
    }
  }

  // Opens slot i inside the block, which has room for one more item.
  void ShiftUp(int i) {
    T* slots = Slots();
    int count = block_->count;
    if constexpr (std::is_trivially_copyable_v<T>) {
      std::memmove(static_cast<void*>(slots + i + 1), static_cast<const void*>(slots + i),
                   size_t(count - i) * sizeof(T));
    } else {
      for (int j = count - 1; j >= i; --j) {
        new (slots + j + 1) T(std::move(slots[j]));
        slots[j].~T();
      }
    }
  }

  // Moves the items into a new block, leaving slot i free.
  void Regrow(int capacity, int i) {
    storage* old = block_;
    T* old_slots = Slots();
    int count = old->count;
    Allocate(capacity);
    Relocate(old_slots, Slots(), i);
    Relocate(old_slots + i, Slots() + i + 1, count - i);
    block_->count = count;
    Free(old);
  }

  void CopyFrom(const r_array& other) {
    int count = other.Count();
    if (count == 0) return;
    Allocate(other.block_->capacity);
    const T* source = other.Slots();
    T* target = Slots();
    try {
      for (int j = 0; j < count; ++j) {
        new (target + j) T(source[j]);
        block_->count = j + 1;
      }
    } catch (...) {
      Clear();
      throw;
    }
  }

  storage* block_ = nullptr;
};
