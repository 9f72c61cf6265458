#include "random_source.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <optional>

namespace {

std::mutex source_mutex;
thread_local random_stream* current_stream = nullptr;

std::optional<uint64_t> seed_from_environment() {
  const char* text = std::getenv("KIV_SEED");
  if (!text || !*text) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  unsigned long long seed = std::strtoull(text, &end, 10);
  if (errno != 0 || *end != '\0') return std::nullopt;
  return seed;
}

// Seeded at first use, under source_mutex.
random_stream& process_stream() {
  static random_stream instance(random_source::FreshSeed());
  return instance;
}

}  // namespace

void random_stream::Reseed(uint64_t seed) {
  seed_ = seed;
  std::seed_seq sequence{uint32_t(seed), uint32_t(seed >> 32)};
  engine_.seed(sequence);
}

uint64_t random_source::FreshSeed() {
  if (auto fixed = seed_from_environment()) return *fixed;
  // Two streams made in the same clock tick still differ.
  static std::atomic<uint64_t> made{0};
  return (uint64_t(std::chrono::system_clock::now().time_since_epoch().count()) ^
          uint64_t(std::chrono::steady_clock::now().time_since_epoch().count())) +
         made.fetch_add(0x9E3779B97F4A7C15ull);
}

void random_source::Reseed() {
  std::lock_guard<std::mutex> lock(source_mutex);
  process_stream().Reseed(FreshSeed());
}

uint32_t random_source::Next() {
  if (current_stream) return current_stream->Next();
  std::lock_guard<std::mutex> lock(source_mutex);
  return process_stream().Next();
}

random_source::scope::scope(random_stream& stream) : previous_(current_stream) { current_stream = &stream; }

random_source::scope::~scope() { current_stream = previous_; }
