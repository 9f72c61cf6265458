#include "stack_room.h"

#include <pthread.h>

bool stack_room::Low() {
  uintptr_t here = uintptr_t(__builtin_frame_address(0));
  uintptr_t limit = Limit();
  return limit != 0 && here < limit + reserve;
}

uintptr_t stack_room::Limit() {
  if (thread_ == std::this_thread::get_id()) return limit_;
  thread_ = std::this_thread::get_id();
  limit_ = 0;
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return limit_;
  void* low = nullptr;
  size_t size = 0;
  if (pthread_attr_getstack(&attributes, &low, &size) == 0) limit_ = uintptr_t(low);
  pthread_attr_destroy(&attributes);
  return limit_;
}
