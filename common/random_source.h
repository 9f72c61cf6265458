#pragma once

#include <cstdint>

// The process's pseudo-random source. It starts seeded from the clock, or
// from the number in KIV_SEED when that is set, so scripted playthroughs
// repeat; Reseed does the same again.
class random_source {
 public:
  static void Reseed();
  // A uniformly drawn number in 0 .. 2^31 - 1.
  static uint32_t Next();
};
