#pragma once

#include <array>
#include <string>

#include "host_folders.h"
#include "kiv.h"
#include "web_session_list.h"

// The engine library bound at run time: its exports, the host's print
// callback and the plug-ins "*.plg.so" of the program folder.
class engine_binding {
 public:
  engine_binding(web_session_list& sessions, const host_folders& folders);
  ~engine_binding();
  engine_binding(const engine_binding&) = delete;
  engine_binding& operator=(const engine_binding&) = delete;

  // Loads libkiv.so from the program folder and starts it; the prompt
  // setting makes its worker serve commands as they arrive. 0 when bound,
  // 1 with the reason in `message`.
  int LoadEngine(bool prompt_worker, std::u16string& message);
  // Stops and releases the engine and the plug-ins, and empties the
  // web-session list.
  void UnloadEngine();
  bool Bound() const { return library_ != nullptr; }

  // Called with the web-session lock held. Both return the message for
  // the server log (empty when there is none).
  std::u16string StartGame(web_session& session, const std::u16string& request_path);
  std::u16string SendCommand(web_session& session, const std::u16string& command, bool editor);
  // Starts the session's game from the journal it kept (a fresh start
  // when it kept none); false when the engine refused, `message` saying why.
  bool ResumeGame(web_session& session, std::u16string& message);
  // Ends the session's game in the engine.
  std::u16string ReleaseGame(web_session& session);

 private:
  static const char16_t* OnPrint(int32_t id, const char16_t* channel, const char16_t* text);
  static const char16_t* OnJournal(int32_t id, const char16_t* journal, const char16_t* unused);
  std::u16string GameFile(const std::u16string& request_path) const;
  bool ResolveExports();
  bool LoadPlugins(std::u16string& message);
  void ReleaseModules();

  web_session_list& sessions_;
  host_folders folders_;
  void* library_ = nullptr;
  decltype(&::RegFunction) RegFunction_ = nullptr;
  decltype(&::Init) Init_ = nullptr;
  decltype(&::Exit) Exit_ = nullptr;
  decltype(&::Input) Input_ = nullptr;
  decltype(&::Run) Run_ = nullptr;
  decltype(&::Resume) Resume_ = nullptr;
  decltype(&::Release) Release_ = nullptr;
  std::array<void*, KIV_PLUGIN_SLOTS> plugins_{};
  bool started_ = false;
};
