#pragma once

#include <glib.h>

#include <string>

class TSrvForm;

// Drives the server window from standard input, one command a line, for
// the window test (webkiv runs it when KIV_WINDOW_DRIVER is set). Each
// command acts on the controls as a click would and answers one line on
// standard output: "state ..." or "log ...".
//   page N | mode N | option close|editor|letters|stress|netlog
//   start | debug | dismiss | state | log | close
class window_driver {
 public:
  explicit window_driver(TSrvForm& form);
  ~window_driver();
  window_driver(const window_driver&) = delete;
  window_driver& operator=(const window_driver&) = delete;

  // The window is up: "ready" and its state.
  void Ready();
  // The window is gone: "closed" and whether the engine is bound and the
  // port open.
  void Closed();

 private:
  void Read();
  void Perform(const std::string& command);
  static void Answer(const std::string& line);

  TSrvForm& form_;
  guint watch_;
  std::string input_;
};
