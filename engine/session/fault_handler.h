#pragma once

#include <memory>

// The process-wide handler of hardware faults: it reports the crash of the
// current session, shows the message and lets the process end. Installing
// it again does nothing.
void install_fault_handler();

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
