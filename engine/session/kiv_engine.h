#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "c_index.h"
#include "dic_loader.h"
#include "fault_handler.h"
#include "host_registry.h"
#include "kiv.h"
#include "session.h"
#include "stop_event.h"
#include "system_factory.h"
#include "worker_thread.h"
#include "wstring.h"

// One entry of the session list.
struct session_item {
  int32_t id = 0;
  std::unique_ptr<session> owned_session;
  wstring pending_command;
  // The game the host asked for last; a switch to another game is applied
  // by the worker before the next turn, never under a running turn.
  wstring game_file;
  wstring switch_user;
  bool switch_pending = false;
  // The journal the host resumes the session from, before its first turn.
  wstring resume_journal;
  // The host released the session: the worker ends it.
  bool release_pending = false;

  void SetKey(int32_t key) { id = key; }
  int CompareKey(int32_t key) const { return id < key ? -1 : (id > key ? 1 : 0); }
};

using plugin_handles = std::array<void*, KIV_PLUGIN_SLOTS>;

// The engine-wide state behind the exported interface: host callbacks and
// functions, the session list, the worker thread and where the engine is
// working now (for crash reports).
class kiv_engine {
 public:
  static constexpr std::chrono::milliseconds lock_wait{100};
  static constexpr std::chrono::milliseconds poll_interval{100};
  static constexpr std::chrono::milliseconds exit_wait{5000};

  static kiv_engine& Instance();
  ~kiv_engine();

  int32_t RegisterWide(const char16_t* name, kiv_host_function fn, int32_t kind, int32_t argument_count);
  int32_t RegisterAnsi(const char* name, kiv_host_function_ansi fn, int32_t kind, int32_t argument_count);
  bool Init(void* const* plugins);
  const char16_t* Run(int32_t id, const char16_t* user_name, const char16_t* game_file);
  const char16_t* Input(int32_t id, const char16_t* command);
  const char16_t* Resume(int32_t id, const char16_t* user_name, const char16_t* game_file, const char16_t* journal);
  const char16_t* Release(int32_t id);
  bool Exit();
  // The process is ending with the library loaded: a worker still alive is
  // stopped but neither waited for nor let call the plug-ins.
  void LeaveAtProcessExit();
  // The worker has been started and has not finished.
  bool WorkerAlive() const { return worker_.Running(); }
  void PrintAnsi(const char* text);

  // Calls a registered host function for a session (kinds as in kiv.h);
  // false when the engine has stopped or no such function is registered.
  bool CallHostFunction(session& s, const wstring& name, wstring* result, const char16_t* first,
                        const char16_t* second);
  // Hands the session's journal (journal_file text) to the host function
  // "kiv.journal" when the host registered one.
  void TellJournal(session& s, const wstring& journal);
  // Hands the session's finished output to the host and the logs.
  void FlushOutput(session& s);
  void ReportCrash(session& s, const wstring& error);
  // Calls the host's print callback directly.
  void Print(int32_t session_id, const char16_t* channel, const wstring& text);
  // Makes ready what a hardware fault during the session's turn reports.
  void PrepareFaultReport(const session& s);

  bool Stopped() const { return stop_.IsSet(); }
  // The morphological dictionary, read from "kiv.dic" in the current folder
  // when the engine starts; empty when that failed.
  const dic_loader& DictionaryFile() const { return dictionary_file_; }
  // The combination rules every session's parser reads.
  const system_factory& Rules() const { return rules_; }

  // Where the engine is working: set by the loader, the dictionary and the
  // interpreter, read and cleared by crash reports.
  wstring current_file;
  wstring current_dictionary_entry;
  wstring current_code;
  // The player's command parsed last, by any session.
  wstring last_input;
  // The line of a dictionary article being declared: kept apart, so the
  // game's line that asked for the word is still the one a failure of that
  // line reports.
  wstring current_article_code;
  void SetCurrentLine(const wstring& line);

 private:
  kiv_engine() { rules_.Init(); }

  static const char16_t* PrintThroughAnsi(int32_t session_id, const char16_t* first, const char16_t* second);
  // A new session at the list position, its start queued; the list locked.
  session_item& AddSession(int pos, int32_t id, const wstring& user, const wstring& game);
  ext_fn_item* RegisterName(const wstring& name, int32_t kind, int32_t argument_count);
  bool FindHostFunction(const wstring& name, ext_fn_item& found) const;
  const char16_t* CallHost(const ext_fn_item& entry, int32_t session_id, const char16_t* first,
                           const char16_t* second, wstring& ansi_result);

  void WorkerMain(plugin_handles plugins);
  void CallPluginExits(const plugin_handles& plugins);
  void LeaveWorker();
  // Clears the callbacks and the host functions.
  void ForgetHost();
  // Takes the sessions the host released out of the list (locked), to be
  // freed once it is unlocked.
  std::vector<std::unique_ptr<session>> TakeReleasedSessions();
  // Runs the first waiting command, if any; true when one ran.
  bool ServeNextCommand();
  // The worker's loop with the prompt setting: woken by each new command,
  // it serves waiting commands back to back.
  void ServePromptly();

  std::atomic<kiv_host_function> print_{nullptr};
  std::atomic<kiv_host_function> speech_{nullptr};
  std::atomic<kiv_host_function_ansi> ansi_print_{nullptr};

  mutable std::mutex registry_mutex_;
  host_registry registry_;

  // Guards the session list and the pending commands.
  std::timed_mutex list_mutex_;
  c_index<session_item, int32_t> sessions_;

  stop_event stop_;
  std::atomic<bool> running_{false};
  // KIV_PROMPT_WORKER=1 when Init ran; off, the worker polls every 100 ms.
  std::atomic<bool> prompt_worker_{false};
  stop_event command_arrived_;
  worker_thread worker_;
  // The plug-ins' "Exit" entries run before Exit returns or not at all.
  std::mutex plugin_exit_mutex_;
  bool worker_left_ = false;
  fault_handler fault_handler_;

  // The converted result of the last 8-bit print call.
  wstring ansi_result_;

  // Loaded once with the engine, read by every session without a lock.
  const dic_loader dictionary_file_{dic_loader::default_file};
  system_factory rules_;
};
