#pragma once

#include <memory>
#include <string>

#include "command_line.h"
#include "engine_binding.h"
#include "event_loop.h"
#include "host_folders.h"
#include "router.h"
#include "server_log.h"
#include "web_session_list.h"

// What the server window does, without the window: binds the engine,
// counts down to the start or starts at once, opens the port (trying
// others when it is taken), opens the first page in the default browser,
// and serves. A window shows its log and status; the console shows the
// log on standard error.
class server_controller {
 public:
  static constexpr int countdown_seconds = 10;
  static constexpr int port_attempts = 10;
  static constexpr int first_retry_port = 49152;
  static constexpr int retry_port_step = 10;

  server_controller(const command_line& options, const host_folders& folders, server_log::view shown);
  ~server_controller();

  // The window is created: the engine is bound (false when it is not; the
  // log says why).
  bool Create();
  // Both start arguments given: the start mode comes from the second, and
  // the start follows at once.
  bool StartsAtOnce() const { return options_.arguments.size() >= 2; }
  // One second of the countdown: the start button's caption, or empty
  // when the countdown is over and the start is due.
  std::u16string CountdownTick();
  // Opens the port and the first page; false when no port could be opened.
  bool Start();
  // The first page's address, once started.
  const std::string& Address() const { return address_; }
  int Port() const { return loop_.Port(); }
  // Serves until a stop signal.
  void Serve() { loop_.Run(); }
  host_settings& Settings() { return options_.settings; }
  void RefreshLog() { log_.Refresh(options_.settings.net_log); }

 private:
  void ApplyStartMode();
  bool OpenPort();
  void OpenBrowser();

  command_line options_;
  host_folders folders_;
  server_log log_;
  web_session_list sessions_;
  engine_binding engine_;
  router router_;
  event_loop loop_;
  int countdown_ = countdown_seconds;
  std::string address_;
};
