#include "command_budget.h"

#include <time.h>

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

// The processor time the calling thread has used, in milliseconds.
int64_t thread_time_ms() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

command_budget::command_budget()
    : command_budget(setting("KIV_TIME_BUDGET_MS", default_time_ms),
                     setting("KIV_MEMORY_BUDGET_MB", default_memory_mb)) {}

command_budget::command_budget(int64_t time_ms, int64_t memory_mb) : time_ms_(time_ms), memory_mb_(memory_mb) {}

void command_budget::Start() {
  started_ = true;
  start_ms_ = thread_time_ms();
  charged_ = 0;
}

void command_budget::CheckTime() const {
  if (started_ && thread_time_ms() - start_ms_ > time_ms_) throw u"команда выполнялась слишком долго и была прервана!";
}

void command_budget::Charge(size_t bytes) {
  charged_ += bytes;
  if (charged_ > size_t(memory_mb_) << 20) throw u"команда заняла слишком много памяти и была прервана!";
}
