#pragma once

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

// The engine's worker thread: a stack of a known size whatever the
// process's limits, and a reference on the library it runs in for as long
// as it lives, so the host may unload the library under a busy worker.
class worker_thread {
 public:
  // Room for every depth the interpreter allows.
  static constexpr size_t stack_bytes = size_t(64) << 20;

  worker_thread() = default;
  worker_thread(const worker_thread&) = delete;
  worker_thread& operator=(const worker_thread&) = delete;

  // Runs body on a new thread; false when no thread could be made.
  bool Start(std::function<void()> body);
  // True from Start until the body has returned.
  bool Running() const;
  // True for a thread that was started and is neither joined nor left.
  bool Joinable() const { return joinable_; }
  // Waits up to timeout for the body to return and then joins the thread;
  // false when the time ran out.
  bool WaitForEnd(std::chrono::milliseconds timeout);
  // Lets a thread that would not end finish on its own.
  void Leave();

 private:
  struct run_state {
    std::function<void()> body;
    void* library = nullptr;  // the thread's reference on the library
    mutable std::mutex mutex;
    std::condition_variable ended_changed;
    bool ended = false;
  };

  static void* ThreadMain(void* state);

  std::shared_ptr<run_state> state_;
  pthread_t thread_{};
  bool joinable_ = false;
};
