#pragma once

#include <string>
#include <vector>

#include "host_settings.h"

// What the command line of webkiv says: the window's settings as options,
// and the window's two start arguments (the first page, and the start
// mode by its first letter).
struct command_line {
  host_settings settings;
  int port = 80;
  int first_retry_port = 49152;  // then every 10th port above it
  std::string listen_address = "0.0.0.0";
  bool quiet = false;       // the log is not shown (NetLog.log still gets it)
  bool help = false;
  std::vector<std::string> arguments;

  // False with the reason in `error`.
  bool Parse(int argc, const char* const* argv, std::string& error);
  static const char* Usage();
};
