#pragma once

#include <memory>
#include <string>

#include "command_line.h"
#include "engine_binding.h"
#include "event_loop.h"
#include "host_folders.h"
#include "host_window.h"
#include "router.h"
#include "server_log.h"
#include "web_session_list.h"

// Which of the window's options may be clicked; the start mode decides.
struct option_controls {
  bool close_start_window_enabled = true;
  bool editor_enabled = true;
};

// What the server window does, without the window: binds the engine,
// holds the settings and the rules between them, counts down to the start
// or starts at once, opens the port (trying others when it is taken),
// opens the first page in the page window or the default browser, and
// serves. A window shows its log and status; the console shows the log on
// standard error.
class server_controller {
 public:
  static constexpr int countdown_seconds = 10;
  static constexpr int port_attempts = 10;
  static constexpr int retry_port_step = 10;
  static constexpr const char16_t* start_caption = u"Начать игру";

  // `window` is null for the console start, which has no page window.
  server_controller(const command_line& options, const host_folders& folders, server_log::view shown,
                    host_window* window = nullptr);
  ~server_controller();

  // The window is created: the engine is bound (false when it is not; the
  // log says why) and the page window is loaded.
  bool Create();
  // "Начать игру" and "Отладка" may be clicked.
  bool ButtonsEnabled() const { return buttons_enabled_; }
  // Both start arguments given: the start mode comes from the second, and
  // the start follows at once.
  bool StartsAtOnce() const { return options_.arguments.size() >= 2; }
  bool Counting() const { return counting_; }
  // One second of the countdown: the start button's caption, or empty
  // when the countdown is over and the start is due.
  std::u16string CountdownTick();
  // Stops the countdown (the page changed); the start button's caption.
  std::u16string StopCountdown();
  void SetStartMode(start_mode mode);
  const option_controls& Controls() const { return controls_; }
  // Opens the port and the first page; false when no port could be opened.
  bool Start();
  // Start mode 1 with the editor on, then the start.
  bool StartDebugging();
  // The window is gone: the port is closed and the engine unbound.
  void Stop();
  // The first page's address, once started.
  const std::string& Address() const { return address_; }
  int Port() const { return loop_.Port(); }
  bool Listening() const { return loop_.Listening(); }
  bool EngineBound() const { return engine_.Bound(); }
  // Serves until a stop signal.
  void Serve() { loop_.Run(); }
  event_loop& Loop() { return loop_; }
  host_settings& Settings() { return options_.settings; }
  const status_panels& Status() const { return router_.Status(); }
  void RefreshLog() { log_.Refresh(options_.settings.net_log); }

 private:
  void LoadDialog();
  void ApplyStartMode() { SetStartMode(options_.settings.mode); }
  bool OpenPort();
  void ShowInDialog();
  void OpenBrowser();

  command_line options_;
  host_folders folders_;
  host_window* window_;
  server_log log_;
  web_session_list sessions_;
  engine_binding engine_;
  router router_;
  event_loop loop_;
  bool buttons_enabled_ = false;
  bool has_dialog_ = false;
  option_controls controls_;
  bool counting_ = true;
  int countdown_ = countdown_seconds;
  std::string address_;
};
