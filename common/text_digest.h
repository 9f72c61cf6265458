#pragma once

#include <cstdint>

#include "wstring.h"

// A 64-bit digest of texts (FNV-1a over their code units), to tell
// versions of a game's source apart; not for security.
constexpr uint64_t text_digest_start = 14695981039346656037ull;

inline uint64_t text_digest(uint64_t digest, const wstring& text) {
  for (int i = 0; i < text.Length(); ++i) {
    digest = (digest ^ uint64_t(text[i] & 0xFF)) * 1099511628211ull;
    digest = (digest ^ uint64_t(text[i] >> 8)) * 1099511628211ull;
  }
  return digest;
}
