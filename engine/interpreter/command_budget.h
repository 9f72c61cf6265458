#pragma once

#include <cstddef>
#include <cstdint>

// What one command may spend besides its steps: time, and memory of the
// game values it builds. Time is the processor time of the thread running
// the command, so a machine busy with other work does not cut a command
// short; code outside a command (nothing started yet) is not timed. The limits are far above what a game needs and
// are read from the environment (KIV_TIME_BUDGET_MS, KIV_MEMORY_BUDGET_MB;
// a missing or invalid setting keeps the default).
class command_budget {
 public:
  static constexpr int64_t default_time_ms = 2000;
  static constexpr int64_t default_memory_mb = 256;

  // Limits from the environment.
  command_budget();
  command_budget(int64_t time_ms, int64_t memory_mb);

  // A new command starts on the calling thread: time and memory are
  // counted afresh.
  void Start();
  // Raises the time message once the command has run past its time.
  void CheckTime() const;
  // Counts bytes a value of the command takes; raises the memory message
  // once the command has taken more than its memory.
  void Charge(size_t bytes);

  int64_t TimeMs() const { return time_ms_; }
  int64_t MemoryMb() const { return memory_mb_; }

 private:
  int64_t time_ms_;
  int64_t memory_mb_;
  bool started_ = false;
  int64_t start_ms_ = 0;
  size_t charged_ = 0;
};
