#include "opencorpora_file.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw std::runtime_error("cannot read " + path);
  return bytes;
}

void byte_reader::Fail(const std::string& problem) const {
  throw std::runtime_error(what_ + " is damaged: " + problem + " (at byte " +
                           std::to_string(position_) + ")");
}

void byte_reader::Need(size_t n) const {
  if (Remaining() < n) Fail("it ends too early");
}

uint16_t byte_reader::U16() {
  Need(2);
  auto byte = [&](size_t i) { return static_cast<uint16_t>(static_cast<uint8_t>(bytes_[position_ + i])); };
  uint16_t value = static_cast<uint16_t>(byte(0) | (byte(1) << 8));
  position_ += 2;
  return value;
}

uint32_t byte_reader::U32() {
  uint32_t low = U16();
  uint32_t high = U16();
  return low | (high << 16);
}

std::string_view byte_reader::Bytes(size_t n) {
  Need(n);
  std::string_view part = bytes_.substr(position_, n);
  position_ += n;
  return part;
}
