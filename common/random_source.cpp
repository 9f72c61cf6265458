#include "random_source.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <random>

namespace {

std::mutex source_mutex;

std::optional<uint64_t> seed_from_environment() {
  const char* text = std::getenv("KIV_SEED");
  if (!text || !*text) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  unsigned long long seed = std::strtoull(text, &end, 10);
  if (errno != 0 || *end != '\0') return std::nullopt;
  return seed;
}

void seed(std::mt19937& engine) {
  uint64_t value;
  if (auto fixed = seed_from_environment())
    value = *fixed;
  else
    value = uint64_t(std::chrono::system_clock::now().time_since_epoch().count()) ^
            uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
  std::seed_seq sequence{uint32_t(value), uint32_t(value >> 32)};
  engine.seed(sequence);
}

// Seeded at first use, under source_mutex.
std::mt19937& engine() {
  static std::mt19937 instance = [] {
    std::mt19937 fresh;
    seed(fresh);
    return fresh;
  }();
  return instance;
}

}  // namespace

void random_source::Reseed() {
  std::lock_guard<std::mutex> lock(source_mutex);
  seed(engine());
}

uint32_t random_source::Next() {
  std::lock_guard<std::mutex> lock(source_mutex);
  return engine()() >> 1;
}
