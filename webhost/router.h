#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue.h"
#include "engine_binding.h"
#include "file_server.h"
#include "host_folders.h"
#include "host_settings.h"
#include "http_request.h"
#include "server_log.h"
#include "session_store.h"
#include "site_service.h"
#include "web_session_list.h"

// What the window's status bar shows: when the last command came, and the
// command.
struct status_panels {
  std::u16string time;
  std::u16string command;
};

// Answers one request: finds the web session by cookie and game folder
// and routes the request to the site service, the engine, the catalogue
// or the file server, holding the web-session lock while it does.
class router {
 public:
  // How long a request waits for a game resumed from disk.
  static constexpr std::chrono::milliseconds resume_wait{5000};

  router(web_session_list& sessions, engine_binding& engine, const host_folders& folders,
         const host_settings& settings, server_log& log);

  // The whole reply to a request head from `remote_address`; empty when the
  // request gets none (the connection is only closed).
  std::string Handle(std::string_view head, const std::string& remote_address);
  const status_panels& Status() const { return status_; }
  const catalogue& Games() const { return catalogue_; }
  // Resumes every session kept on disk and waits until the engine has
  // rebuilt their games (or the wait is over); before the port opens.
  void ResumeKeptSessions();

 private:
  std::string Route(http_request& request, web_session* session, const std::string& remote_address);
  std::string Command(const std::u16string& command, web_session* session);
  std::string Update(web_session* session);
  std::string Updide(web_session* session);
  std::string Folder(http_request& request, web_session* session);
  std::string Game(http_request& request, web_session* session, const std::string& remote_address);
  std::string Page(const std::u16string& path, web_session* session);
  void LogRequest(const http_request& request);
  // The session kept on disk for a browser whose session is not in
  // memory, resumed; null when none is kept. Called with the lock held.
  web_session* ResumeKept(const std::u16string& cookie, const std::u16string& game_folder);
  // Null when the engine refused (the next request tries again).
  web_session* Resume(const web_session::kept_state& state);
  // Waits, with the lock held, until the sessions' journals came back.
  void AwaitJournals(std::vector<web_session*> waiting, std::chrono::milliseconds limit);
  // Writes the sessions whose kept state changed.
  void KeepChanged();
  // Releases the sessions idle longer than the setting, now and then.
  void ReleaseIdle();

  web_session_list& sessions_;
  engine_binding& engine_;
  host_folders folders_;
  const host_settings& settings_;
  server_log& log_;
  catalogue catalogue_;
  site_service site_;
  file_server files_;
  status_panels status_;
  session_store store_;
  web_session::clock::time_point last_idle_check_ = web_session::clock::now();
};
