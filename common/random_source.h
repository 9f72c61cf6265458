#pragma once

#include <cstdint>
#include <random>

// A seeded pseudo-random sequence. Each game session draws from its own,
// so its commands replayed from the same seed draw the same numbers.
class random_stream {
 public:
  explicit random_stream(uint64_t seed) { Reseed(seed); }
  void Reseed(uint64_t seed);
  uint64_t Seed() const { return seed_; }
  // A uniformly drawn number in 0 .. 2^31 - 1.
  uint32_t Next() { return engine_() >> 1; }

 private:
  uint64_t seed_ = 0;
  std::mt19937 engine_;
};

// Where the engine draws its random numbers: the stream made current on
// this thread, else the process's own sequence. That one starts seeded from
// the clock, or from the number in KIV_SEED when that is set, so scripted
// playthroughs repeat; Reseed does the same again.
class random_source {
 public:
  static void Reseed();
  // A uniformly drawn number in 0 .. 2^31 - 1.
  static uint32_t Next();
  // The seed for a new stream: KIV_SEED when set, else one from the clock.
  static uint64_t FreshSeed();

  // Makes a stream the current one on this thread while it lives.
  class scope {
   public:
    explicit scope(random_stream& stream);
    ~scope();
    scope(const scope&) = delete;
    scope& operator=(const scope&) = delete;

   private:
    random_stream* previous_;
  };
};
