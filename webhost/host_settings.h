#pragma once

// The server's settings, as the server window's controls hold them; the
// other parts of the host read them.
enum class start_mode { window = 0, browser = 1, server = 2 };

struct host_settings {
  start_mode mode = start_mode::browser;
  bool close_start_window = true; // the server window closes with the page window
  bool editor = false;        // game pages get the development environment
  bool letters = true;        // drop-cap letters as images
  bool stress_marks = true;   // stress marks shown, not deleted
  bool net_log = false;       // the server log is also written to NetLog.log
  bool prompt_worker = false; // the engine serves commands as they arrive
  long idle_release_seconds = 86400;  // a game idle this long leaves memory for disk
};
