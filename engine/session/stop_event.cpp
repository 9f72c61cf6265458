#include "stop_event.h"

void stop_event::Set() {
  {
    std::lock_guard lock(mutex_);
    set_ = true;
  }
  changed_.notify_all();
}

void stop_event::Reset() {
  std::lock_guard lock(mutex_);
  set_ = false;
}

bool stop_event::IsSet() const {
  std::lock_guard lock(mutex_);
  return set_;
}

bool stop_event::Wait(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [this] { return set_; });
}
