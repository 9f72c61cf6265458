#include "command_budget.h"

#include <cerrno>
#include <cstdlib>

namespace {

// A positive whole number from the environment, else the default.
int64_t setting(const char* name, int64_t fallback) {
  const char* text = std::getenv(name);
  if (!text || !*text) return fallback;
  char* end = nullptr;
  errno = 0;
  long long number = std::strtoll(text, &end, 10);
  bool valid = errno == 0 && *end == 0 && number > 0 && number <= INT32_MAX;
  return valid ? int64_t(number) : fallback;
}

}  // namespace

command_budget::command_budget()
    : command_budget(setting("KIV_TIME_BUDGET_MS", default_time_ms),
                     setting("KIV_MEMORY_BUDGET_MB", default_memory_mb)) {}

command_budget::command_budget(int64_t time_ms, int64_t memory_mb) : time_ms_(time_ms), memory_mb_(memory_mb) {
  Start();
}

void command_budget::Start() {
  deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(time_ms_);
  charged_ = 0;
}

void command_budget::CheckTime() const {
  if (std::chrono::steady_clock::now() > deadline_) throw u"команда выполнялась слишком долго и была прервана!";
}

void command_budget::Charge(size_t bytes) {
  charged_ += bytes;
  if (charged_ > size_t(memory_mb_) << 20) throw u"команда заняла слишком много памяти и была прервана!";
}
