#include <dlfcn.h>

#include <memory>
#include <vector>

#include "kiv_engine.h"

// The worker thread's part of the engine: it runs every turn of every
// session, one command per polling cycle, lowest session id first.

namespace {

void call_plugin_entries(const plugin_handles& plugins, const char* entry_name) {
  for (void* module : plugins) {
    if (!module) continue;
    if (void* entry = dlsym(module, entry_name)) reinterpret_cast<kiv_plugin_entry>(entry)();
  }
}

}  // namespace

void kiv_engine::WorkerMain(plugin_handles plugins) {
  fault_stack stack;  // lets the fault handler run after a stack overflow
  fault_handler_.WatchThisThread();
  call_plugin_entries(plugins, "Init");
  if (prompt_worker_)
    ServePromptly();
  else
    while (!stop_.Wait(poll_interval)) ServeNextCommand();
  CallPluginExits(plugins);
  fault_handler_.StopWatching();
}

void kiv_engine::CallPluginExits(const plugin_handles& plugins) {
  std::lock_guard lock(plugin_exit_mutex_);
  if (!worker_left_) call_plugin_entries(plugins, "Exit");
}

void kiv_engine::ServePromptly() {
  while (!stop_.IsSet()) {
    if (ServeNextCommand()) continue;
    command_arrived_.Wait(poll_interval);
    command_arrived_.Reset();
  }
}

bool kiv_engine::ServeNextCommand() {
  std::unique_lock lock(list_mutex_, std::defer_lock);
  if (!lock.try_lock_for(lock_wait)) return false;
  std::vector<std::unique_ptr<session>> released = TakeReleasedSessions();
  if (!released.empty()) {
    // A game takes a while to free: not under the lock the host waits for.
    lock.unlock();
    released.clear();
    return true;
  }
  for (session_item& item : sessions_) {
    if (!item.owned_session || item.pending_command.IsEmpty()) continue;
    session& waiting = *item.owned_session;
    if (item.switch_pending) {
      waiting.ReplaceGame(item.switch_user, item.game_file);
      item.switch_pending = false;
    }
    if (!item.resume_journal.IsEmpty()) {
      waiting.ResumeFrom(item.resume_journal);
      item.resume_journal.Clear();
    }
    waiting.current_command = item.pending_command;
    item.pending_command.Clear();
    lock.unlock();
    PrepareFaultReport(waiting);
    waiting.SessionProcess();
    return true;
  }
  return false;
}

// Only the worker runs sessions, so none of these is running now.
std::vector<std::unique_ptr<session>> kiv_engine::TakeReleasedSessions() {
  std::vector<std::unique_ptr<session>> released;
  for (int i = sessions_.Count() - 1; i >= 0; --i) {
    if (!sessions_[i].release_pending) continue;
    released.push_back(std::move(sessions_[i].owned_session));
    sessions_.Delete(i);
  }
  return released;
}
