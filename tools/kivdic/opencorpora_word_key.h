#pragma once

#include <cstdint>
#include <string_view>

// A key of words.dawg: the form in Windows-1251, the byte 0x01, then the
// paradigm id and the form's index in that paradigm, each as two bytes
// ((n >> 7) << 1) | 1 and ((n & 127) << 1) | 1.

struct word_key {
  std::string_view form;  // Windows-1251, points into the decoded key
  uint16_t paradigm;
  uint16_t index;
};

// Throws std::runtime_error for a key that does not have this shape.
word_key DecodeWordKey(std::string_view key);
