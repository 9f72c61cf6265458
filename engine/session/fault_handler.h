#pragma once

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <memory>
#include <string>

// What a hardware fault on the worker leaves behind: texts and file names
// made ready before the turn, so the handler only opens and writes files.
struct fault_report {
  struct entry {
    std::string path;
    std::string text;
  };
  entry session_log;
  entry full_log;
  entry engine_log;  // the message box
};

// The handler of hardware faults (SIGSEGV, SIGBUS, SIGFPE, SIGILL). It acts
// only for faults on the thread that watches, writing the prepared report
// with plain system calls, and then lets the process end; faults on other
// threads go to the handlers installed before it, which it restores when it
// is destroyed.
class fault_handler {
 public:
  fault_handler() = default;
  ~fault_handler();
  fault_handler(const fault_handler&) = delete;
  fault_handler& operator=(const fault_handler&) = delete;

  // Installs the handler once.
  void Install();
  // The calling thread's faults are reported from now on, until it stops
  // watching (before it ends: a later thread may get its identifier).
  void WatchThisThread();
  void StopWatching() { watching_ = false; }
  // The report a fault writes, replacing the previous one.
  void Prepare(std::unique_ptr<fault_report> report);

 private:
  static constexpr int handled_signals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
  static constexpr int signal_slots = 32;

  static void OnFault(int signal_number, siginfo_t* info, void* context);
  void PassOn(int signal_number, siginfo_t* info, void* context) const;

  bool installed_ = false;
  struct sigaction previous_[signal_slots] = {};
  std::atomic<pthread_t> watched_{};
  std::atomic<bool> watching_{false};
  std::atomic<fault_report*> report_{nullptr};
  std::unique_ptr<fault_report> owned_report_;
};

// An alternate signal stack for the calling thread while it lives, so the
// handler can run even when the thread's own stack has overflowed.
class fault_stack {
 public:
  fault_stack();
  ~fault_stack();
  fault_stack(const fault_stack&) = delete;
  fault_stack& operator=(const fault_stack&) = delete;

 private:
  std::unique_ptr<char[]> memory_;
  bool installed_ = false;
};
