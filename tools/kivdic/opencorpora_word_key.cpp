#include "opencorpora_word_key.h"

#include <stdexcept>
#include <string>

namespace {

constexpr char separator = '\x01';
constexpr size_t payload_length = 5;  // the separator and two numbers

[[noreturn]] void Fail(std::string_view key, const char* problem) {
  throw std::runtime_error("words.dawg is damaged: " + std::string(problem) + " in the key \"" + std::string(key) + "\"");
}

uint16_t DecodeNumber(std::string_view key, size_t at) {
  auto high = static_cast<uint8_t>(key[at]);
  auto low = static_cast<uint8_t>(key[at + 1]);
  if ((high & 1) == 0 || (low & 1) == 0) Fail(key, "a number byte is even");
  return static_cast<uint16_t>(((high >> 1) << 7) | (low >> 1));
}

}  // namespace

word_key DecodeWordKey(std::string_view key) {
  if (key.size() <= payload_length) Fail(key, "too short");
  size_t at = key.size() - payload_length;
  if (key[at] != separator) Fail(key, "no separator");
  return {key.substr(0, at), DecodeNumber(key, at + 1), DecodeNumber(key, at + 3)};
}

