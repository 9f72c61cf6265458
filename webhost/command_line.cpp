#include "command_line.h"

#include <cstdlib>

namespace {

bool parse_port(const char* text, int& port) {
  char* end = nullptr;
  long number = std::strtol(text, &end, 10);
  if (end == text || *end || number < 0 || number > 65535) return false;
  port = int(number);
  return true;
}

bool parse_seconds(const char* text, long& seconds) {
  char* end = nullptr;
  long number = std::strtol(text, &end, 10);
  if (end == text || *end || number < 1) return false;
  seconds = number;
  return true;
}

bool parse_mode(const std::string& text, start_mode& mode) {
  if (text == "window" || text == "w") mode = start_mode::window;
  else if (text == "browser" || text == "b") mode = start_mode::browser;
  else if (text == "server" || text == "s") mode = start_mode::server;
  else return false;
  return true;
}

}  // namespace

bool command_line::Parse(int argc, const char* const* argv, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    bool takes_value =
        option == "--port" || option == "--mode" || option == "--listen" || option == "--idle-release";
    if (takes_value && !value) {
      error = option + " needs a value";
      return false;
    }
    if (option == "--help") help = true;
    else if (option == "--port") {
      if (!parse_port(value, port)) {
        error = "--port needs a number from 0 to 65535";
        return false;
      }
    } else if (option == "--mode") {
      if (!parse_mode(value, settings.mode)) {
        error = "--mode is browser, server or window";
        return false;
      }
    } else if (option == "--idle-release") {
      if (!parse_seconds(value, settings.idle_release_seconds)) {
        error = "--idle-release needs a number of seconds, at least 1";
        return false;
      }
    } else if (option == "--listen") listen_address = value;
    else if (option == "--editor") settings.editor = true;
    else if (option == "--no-letters") settings.letters = false;
    else if (option == "--no-stress-marks") settings.stress_marks = false;
    else if (option == "--net-log") settings.net_log = true;
    else if (option == "--prompt-worker") settings.prompt_worker = true;
    else if (option == "--quiet") quiet = true;
    else if (option.starts_with("--")) {
      error = "unknown option " + option;
      return false;
    } else {
      arguments.push_back(option);
    }
    if (takes_value) ++i;
  }
  if (arguments.size() > 2) {
    error = "at most two arguments: the first page and the start mode";
    return false;
  }
  return true;
}

const char* command_line::Usage() {
  return "Usage: webkiv [options] [PAGE [MODE]]\n"
         "Serves the games found below the site folder to browsers: a browser\n"
         "opens the catalogue, picks a game and plays it. The site folder is the\n"
         "program's folder, or its parent when that is named bin; pages missing\n"
         "there are taken from the folder site/ beside the program.\n"
         "\n"
         "PAGE   the page opened first, e.g. / or /games/example/example.kiv (default /)\n"
         "MODE   how the game starts, by its first letter: b opens PAGE in the\n"
         "       default browser, s only serves, w plays in a window of its own.\n"
         "       With both arguments the server starts at once without the\n"
         "       server window; otherwise, with a display, the window opens and\n"
         "       starts after a countdown of 10 s (without a display the console\n"
         "       counts down, and w falls back to the browser).\n"
         "\n"
         "Options (the server window's settings):\n"
         "  --port N          the port (default 80); when it is taken or not\n"
         "                    allowed, 49152, 49162, ... are tried (10 in all);\n"
         "                    0 lets the system choose a free one\n"
         "  --listen ADDRESS  the local IPv4 address to listen on (default 0.0.0.0,\n"
         "                    every address; 127.0.0.1 serves this machine only)\n"
         "  --mode MODE       browser, server or window: the start mode when the\n"
         "                    second argument does not give it (default browser)\n"
         "  --editor          game pages come with the editor and debugger\n"
         "                    (KIV2IDE.html), and its queries reach the engine\n"
         "  --no-letters      no drop-cap letter images\n"
         "  --no-stress-marks stress marks are left out of the text\n"
         "  --net-log         the server log is also written to NetLog.log in the\n"
         "                    site folder (up to 1000000 bytes)\n"
         "  --prompt-worker   the engine runs each command as it arrives instead of\n"
         "                    one every 100 ms: for a busy server\n"
         "  --idle-release S  a game whose browser has not called for S seconds\n"
         "                    leaves memory (default 86400, a day); it is kept on\n"
         "                    disk and resumed when its browser returns\n"
         "  --quiet           the server log is not shown on standard error\n"
         "  --help            show this text\n"
         "\n"
         "The address served is printed on standard output.\n";
}
