#pragma once

#include <cstdint>
#include <thread>

// Whether the running thread's stack still has room for another level of
// game code. Whatever stack the code runs on (the worker's, a test's main
// thread under a small limit), deep nesting then ends in the depth message
// rather than in a stack overflow.
class stack_room {
 public:
  // Room kept free below the deepest level: what runs between two levels
  // and the unwinding of the message need less.
  static constexpr uintptr_t reserve = 256 * 1024;

  // True when less than the reserve is left below the caller.
  bool Low();

 private:
  // The lowest address of the current thread's stack, found once a thread.
  uintptr_t Limit();

  std::thread::id thread_;
  uintptr_t limit_ = 0;
};
