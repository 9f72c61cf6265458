#include "opencorpora_dawg.h"

#include <stdexcept>

#include "opencorpora_file.h"

namespace {

// Fields of a unit.
constexpr uint32_t leaf_bit = 1u << 8;
constexpr uint32_t extension_bit = 1u << 9;

uint32_t Label(uint32_t unit) { return unit & 0x800000FFu; }
uint32_t Offset(uint32_t unit) { return (unit >> 10) << ((unit & extension_bit) >> 6); }

// No key of the data comes near this; a longer walk means a damaged file.
constexpr size_t max_key_length = 1024;

}  // namespace

dawg::dawg(std::string_view bytes, std::string what) : what_(std::move(what)) {
  byte_reader in(bytes, what_);
  uint32_t unit_count = in.U32();
  if (unit_count == 0) in.Fail("it has no units");
  std::string_view unit_bytes = in.Bytes(4 * static_cast<size_t>(unit_count));
  byte_reader units(unit_bytes, what_);
  units_.reserve(unit_count);
  for (uint32_t i = 0; i < unit_count; ++i) units_.push_back(units.U32());
  uint32_t guide_count = in.U32();
  if (guide_count != unit_count) in.Fail("its guide does not match its units");
  std::string_view guide_bytes = in.Bytes(2 * static_cast<size_t>(guide_count));
  guide_.assign(guide_bytes.begin(), guide_bytes.end());
  if (in.Remaining() != 0) in.Fail("bytes follow the guide");
}

void dawg::Fail(const std::string& problem) const {
  throw std::runtime_error(what_ + " is damaged: " + problem);
}

uint32_t dawg::Follow(uint32_t index, uint8_t label) const {
  uint32_t child = index ^ Offset(units_[index]) ^ label;
  if (child >= units_.size() || Label(units_[child]) != label) Fail("the guide names a missing transition");
  return child;
}

bool dawg::HasValue(uint32_t index) const { return (units_[index] & leaf_bit) != 0; }

uint32_t dawg::Value(uint32_t index) const {
  uint32_t leaf = index ^ Offset(units_[index]);
  if (leaf >= units_.size()) Fail("a value lies outside the units");
  return units_[leaf] & 0x7FFFFFFFu;
}

void dawg::ForEachKey(const key_visitor& visit) const {
  std::string key;
  std::vector<uint32_t> path{0};  // path[k] is the node reached by key[0, k)
  if (HasValue(0)) visit(key, Value(0));
  uint8_t next = FirstChild(0);
  for (;;) {
    if (next != 0) {
      uint32_t node = Follow(path.back(), next);
      key.push_back(static_cast<char>(next));
      path.push_back(node);
      if (key.size() > max_key_length) Fail("a key does not end");
      if (HasValue(node)) visit(key, Value(node));
      next = FirstChild(node);
      continue;
    }
    // The subtree is done: go on with the next sibling of the deepest node
    // that has one. Siblings come in ascending order, so the walk ends.
    if (path.size() == 1) return;
    uint8_t sibling = NextSibling(path.back());
    if (sibling != 0 && sibling <= static_cast<uint8_t>(key.back())) Fail("siblings are out of order");
    path.pop_back();
    key.pop_back();
    next = sibling;
  }
}

dawg ReadDawgFile(const std::string& path) { return dawg(ReadFileBytes(path), path); }
