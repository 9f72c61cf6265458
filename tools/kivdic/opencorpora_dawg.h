#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A read-only DAWG in the layout of the morphology data: a double-array
// dictionary (u32 unit count, the units) followed by a guide (u32 count, a
// first-child label and a next-sibling label per unit) that lets a
// depth-first walk list every key.
class dawg {
 public:
  // Throws std::runtime_error when the bytes do not hold that layout; `what`
  // names the data in error messages.
  dawg(std::string_view bytes, std::string what);

  using key_visitor = std::function<void(std::string_view key, uint32_t value)>;
  // Visits every key with its value in ascending byte order. Throws
  // std::runtime_error when a transition leads outside the automaton.
  void ForEachKey(const key_visitor& visit) const;

 private:
  uint32_t Follow(uint32_t index, uint8_t label) const;
  [[noreturn]] void Fail(const std::string& problem) const;
  bool HasValue(uint32_t index) const;
  uint32_t Value(uint32_t index) const;
  uint8_t FirstChild(uint32_t index) const { return guide_[2 * index]; }
  uint8_t NextSibling(uint32_t index) const { return guide_[2 * index + 1]; }

  std::vector<uint32_t> units_;
  std::vector<uint8_t> guide_;
  std::string what_;
};

dawg ReadDawgFile(const std::string& path);
