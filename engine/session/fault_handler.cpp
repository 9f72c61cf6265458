#include "fault_handler.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "world_log.h"

namespace {

constexpr size_t fault_stack_bytes = 256 * 1024;

// The handler a fault reaches: a signal handler has no other way to its
// object. Only the engine's one fault handler installs itself.
std::atomic<fault_handler*> active_handler{nullptr};

// Appends within the log size limit, with calls safe in a signal handler.
void write_entry(const fault_report::entry& entry) {
  if (entry.path.empty() || entry.text.empty()) return;
  int fd = open(entry.path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (fd < 0) return;
  struct stat status;
  if (fstat(fd, &status) == 0 && status.st_size + off_t(entry.text.size()) <= max_log_bytes) {
    ssize_t written = write(fd, entry.text.data(), entry.text.size());
    (void)written;  // nothing more can be done in a dying process
  }
  close(fd);
}

}  // namespace

fault_handler::~fault_handler() {
  if (!installed_) return;
  for (int signal_number : handled_signals) sigaction(signal_number, &previous_[signal_number], nullptr);
  fault_handler* self = this;
  active_handler.compare_exchange_strong(self, nullptr);
}

void fault_handler::Install() {
  if (installed_) return;
  installed_ = true;
  active_handler = this;
  struct sigaction action {};
  action.sa_sigaction = &fault_handler::OnFault;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (int signal_number : handled_signals) sigaction(signal_number, &action, &previous_[signal_number]);
}

void fault_handler::WatchThisThread() {
  watched_ = pthread_self();
  watching_ = true;
}

void fault_handler::Prepare(std::unique_ptr<fault_report> report) {
  // The handler runs on the watched thread, which is the one preparing:
  // it sees either the old report or the new one, never half of one.
  report_ = report.get();
  owned_report_ = std::move(report);
}

void fault_handler::OnFault(int signal_number, siginfo_t* info, void* context) {
  fault_handler* handler = active_handler;
  if (!handler) return;
  if (!handler->watching_ || !pthread_equal(handler->watched_, pthread_self())) {
    handler->PassOn(signal_number, info, context);
    return;
  }
  static std::atomic<bool> reporting{false};
  if (!reporting.exchange(true)) {
    if (fault_report* report = handler->report_) {
      write_entry(report->session_log);
      write_entry(report->full_log);
      ssize_t shown = write(STDERR_FILENO, report->engine_log.text.data(), report->engine_log.text.size());
      (void)shown;
      write_entry(report->engine_log);
    }
  }
  // End the process with the fault it met.
  signal(signal_number, SIG_DFL);
  raise(signal_number);
}

// A fault of the host's own threads is the host's: it goes where it would
// have gone without the engine.
void fault_handler::PassOn(int signal_number, siginfo_t* info, void* context) const {
  const struct sigaction& previous = previous_[signal_number];
  if (previous.sa_flags & SA_SIGINFO) {
    previous.sa_sigaction(signal_number, info, context);
  } else if (previous.sa_handler == SIG_DFL || previous.sa_handler == SIG_IGN) {
    signal(signal_number, SIG_DFL);
    raise(signal_number);
  } else {
    previous.sa_handler(signal_number);
  }
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
