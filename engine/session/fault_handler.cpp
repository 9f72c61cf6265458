#include "fault_handler.h"

#include <signal.h>

#include <atomic>

#include "kiv_engine.h"

namespace {

constexpr size_t fault_stack_bytes = 256 * 1024;

void on_fault(int signal_number, siginfo_t*, void*) {
  static std::atomic<bool> reporting{false};
  if (!reporting.exchange(true)) kiv_engine::Instance().ReportFault();
  // End the process with the fault it met.
  signal(signal_number, SIG_DFL);
  raise(signal_number);
}

}  // namespace

void install_fault_handler() {
  static std::atomic<bool> installed{false};
  if (installed.exchange(true)) return;
  struct sigaction action {};
  action.sa_sigaction = on_fault;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (int signal_number : {SIGSEGV, SIGBUS, SIGFPE, SIGILL}) sigaction(signal_number, &action, nullptr);
}

fault_stack::fault_stack() : memory_(new char[fault_stack_bytes]) {
  stack_t stack{};
  stack.ss_sp = memory_.get();
  stack.ss_size = fault_stack_bytes;
  installed_ = sigaltstack(&stack, nullptr) == 0;
}

fault_stack::~fault_stack() {
  if (!installed_) return;
  stack_t disable{};
  disable.ss_flags = SS_DISABLE;
  sigaltstack(&disable, nullptr);
}
