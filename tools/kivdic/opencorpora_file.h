#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Reading the binary files of the morphology data: whole files, and
// little-endian numbers taken from a buffer with every read bounds-checked.

// The whole file; throws std::runtime_error when it cannot be read.
std::string ReadFileBytes(const std::string& path);

class byte_reader {
 public:
  // `what` names the data in error messages, e.g. "paradigms.array".
  byte_reader(std::string_view bytes, std::string what) : bytes_(bytes), what_(std::move(what)) {}

  // Throw std::runtime_error when fewer bytes are left than asked for.
  uint16_t U16();
  uint32_t U32();
  std::string_view Bytes(size_t n);

  size_t Remaining() const { return bytes_.size() - position_; }
  [[noreturn]] void Fail(const std::string& problem) const;

 private:
  void Need(size_t n) const;

  std::string_view bytes_;
  std::string what_;
  size_t position_ = 0;
};
