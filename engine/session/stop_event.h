#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// A manual-reset event: once set it stays set, and every wait returns at
// once, until it is reset.
class stop_event {
 public:
  void Set();
  void Reset();
  bool IsSet() const;
  // True when the event is set, false when the time ran out first.
  bool Wait(std::chrono::milliseconds timeout) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool set_ = false;
};
