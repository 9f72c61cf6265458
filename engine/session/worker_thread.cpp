#include "worker_thread.h"

#include <dlfcn.h>

namespace {

// A new reference on the library holding this code; null when the code is
// not in a loaded library (a program linked with the engine).
void* library_reference() {
  Dl_info info;
  if (!dladdr(reinterpret_cast<void*>(&library_reference), &info) || !info.dli_fname) return nullptr;
  return dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
}

// The thread's reference is dropped by the C library after the thread has
// left the engine's code: dlclose is the destructor of this key's value.
// Dropping it from engine code could unmap the code still running.
class library_release_key {
 public:
  library_release_key() { valid_ = pthread_key_create(&key_, [](void* library) { dlclose(library); }) == 0; }
  ~library_release_key() {
    if (valid_) pthread_key_delete(key_);
  }
  // Hands the calling thread's reference over to its exit.
  bool HandOver(void* library) { return valid_ && pthread_setspecific(key_, library) == 0; }

 private:
  pthread_key_t key_{};
  bool valid_ = false;
} release_key;

}  // namespace

bool worker_thread::Start(std::function<void()> body) {
  auto state = std::make_shared<run_state>();
  state->body = std::move(body);
  state->library = library_reference();
  pthread_attr_t attributes;
  bool made = pthread_attr_init(&attributes) == 0;
  if (made) {
    made = pthread_attr_setstacksize(&attributes, stack_bytes) == 0;
    auto* handed = new std::shared_ptr<run_state>(state);
    made = made && pthread_create(&thread_, &attributes, &worker_thread::ThreadMain, handed) == 0;
    if (!made) delete handed;
    pthread_attr_destroy(&attributes);
  }
  if (!made) {
    if (state->library) dlclose(state->library);
    return false;
  }
  state_ = std::move(state);
  joinable_ = true;
  return true;
}

void* worker_thread::ThreadMain(void* handed) {
  std::shared_ptr<run_state> state = std::move(*static_cast<std::shared_ptr<run_state>*>(handed));
  delete static_cast<std::shared_ptr<run_state>*>(handed);
  if (state->library && !release_key.HandOver(state->library)) dlclose(state->library);
  state->body();
  std::lock_guard lock(state->mutex);
  state->ended = true;
  state->ended_changed.notify_all();
  return nullptr;
}

bool worker_thread::Running() const {
  if (!state_) return false;
  std::lock_guard lock(state_->mutex);
  return !state_->ended;
}

bool worker_thread::WaitForEnd(std::chrono::milliseconds timeout) {
  if (!state_) return true;
  {
    std::unique_lock lock(state_->mutex);
    if (!state_->ended_changed.wait_for(lock, timeout, [this] { return state_->ended; })) return false;
  }
  if (joinable_) pthread_join(thread_, nullptr);
  joinable_ = false;
  return true;
}

void worker_thread::Leave() {
  if (joinable_) pthread_detach(thread_);
  joinable_ = false;
}
