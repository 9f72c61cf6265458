// kivplay: plays a kiv game on the console through the engine library.

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "console_host.h"
#include "engine_library.h"

namespace {

const char* const usage =
    "Usage: kivplay [options] GAME_FILE\n"
    "       kivplay --eval [options] [GAME_FILE]\n"
    "Plays a kiv game on the console: each line of standard input is a\n"
    "command; the engine's reply to each is printed. With a terminal it\n"
    "prompts for commands, otherwise it reads them as a script. A command\n"
    "that begins with \"/\" is run as game code and its value shown.\n"
    "\n"
    "Options:\n"
    "  --plain         show text without mark-up tags and stress marks\n"
    "  --speech        also show the speech text, after \"speech: \"\n"
    "  --eval          run every line as game code and show its value; without\n"
    "                  a game file the code runs in a fresh, empty world\n"
    "  --user NAME     the player's name for the logs (default: player)\n"
    "  --engine FILE   the engine library (default: libkiv.so beside kivplay)\n"
    "  --plugin FILE   load a plug-in module and give it to the engine\n"
    "                  (up to 10)\n"
    "  --wait SECONDS  how long to wait for a reply before the next command\n"
    "                  is sent (default 120); a late reply is shown when it\n"
    "                  comes, and all replies due are awaited at the end\n"
    "  --transcript FILE\n"
    "                  replay a transcript against the game instead of reading\n"
    "                  commands: each \"> command\" line is sent, and the lines\n"
    "                  after it are fragments its reply must contain (\"! text\"\n"
    "                  must not, \"~ pattern\" must match a regular expression);\n"
    "                  \"#\" starts a comment. The first mismatch is reported\n"
    "                  with its line (exit status 1); 0 when every reply fits\n"
    "  --help          show this text\n"
    "\n"
    "kivplay makes its own folder current, so the dictionary kiv.dic and the\n"
    "game library lib/ are found beside it.\n";

// The folder holding this program, ending in "/".
std::string program_folder() {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (length <= 0) return "./";
  std::string folder(path, size_t(length));
  return folder.substr(0, folder.rfind('/') + 1);
}

// Names given on the command line mean what they meant before kivplay
// changed its folder.
std::string absolute_path(const std::string& name) {
  char resolved[PATH_MAX];
  if (realpath(name.c_str(), resolved)) return resolved;
  if (!name.empty() && name[0] == '/') return name;
  char current[PATH_MAX];
  return getcwd(current, sizeof(current)) ? std::string(current) + "/" + name : name;
}

bool parse_arguments(int argc, char** argv, console_options& options, std::string& engine_path,
                     std::string& transcript_path) {
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (argument == "--help") {
      std::cout << usage;
      std::exit(0);
    } else if (argument == "--plain") {
      options.plain = true;
    } else if (argument == "--speech") {
      options.speech = true;
    } else if (argument == "--eval") {
      options.eval = true;
    } else if (argument == "--wait") {
      const char* given = value();
      char* end = nullptr;
      double seconds = given ? std::strtod(given, &end) : 0;
      if (!given || end == given || *end || !(seconds > 0 && seconds <= 86400)) {
        std::cerr << "kivplay: --wait needs a number of seconds\n";
        return false;
      }
      options.reply_wait = std::chrono::milliseconds(long(seconds * 1000 + 0.5));
    } else if (argument == "--user" || argument == "--engine" || argument == "--plugin" ||
               argument == "--transcript") {
      const char* given = value();
      if (!given) {
        std::cerr << "kivplay: " << argument << " needs a value\n";
        return false;
      }
      if (argument == "--user")
        options.user_name = given;
      else if (argument == "--engine")
        engine_path = absolute_path(given);
      else if (argument == "--transcript")
        transcript_path = absolute_path(given);
      else
        options.plugins.push_back(absolute_path(given));
    } else if (argument.rfind("--", 0) == 0 || !options.game_file.empty()) {
      std::cerr << "kivplay: unexpected argument " << argument << "\n";
      return false;
    } else {
      options.game_file = absolute_path(argument);
    }
  }
  if (options.game_file.empty() && !options.eval) {
    std::cerr << "kivplay: no game file given\n";
    return false;
  }
  return true;
}

// An empty game in a folder of its own, removed when kivplay ends: the
// fresh world that --eval runs code in.
class empty_game {
 public:
  empty_game() {
    char pattern[] = "/tmp/kivplay-XXXXXX";
    if (!mkdtemp(pattern)) return;
    folder_ = pattern;
    file_ = folder_ + "/empty.kiv";
    if (FILE* game = std::fopen(file_.c_str(), "w")) std::fclose(game);
  }
  ~empty_game() {
    if (folder_.empty()) return;
    std::remove(file_.c_str());
    rmdir(folder_.c_str());
  }
  const std::string& File() const { return file_; }

 private:
  std::string folder_;
  std::string file_;
};

}  // namespace

// Reads a transcript named on the command line; false with the reason on
// standard error.
bool read_transcript(const std::string& path, transcript& script) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "kivplay: cannot read " << path << '\n';
    return false;
  }
  std::string error;
  if (script.Read(in, error)) return true;
  std::cerr << path << ": " << error << '\n';
  return false;
}

int main(int argc, char** argv) {
  console_options options;
  std::string engine_path, transcript_path;
  if (!parse_arguments(argc, argv, options, engine_path, transcript_path)) {
    std::cerr << usage;
    return 2;
  }
  transcript script;
  if (!transcript_path.empty()) {
    if (!read_transcript(transcript_path, script)) return 2;
    options.collect = options.plain = true;
  }
  empty_game fresh_world;
  if (options.game_file.empty()) options.game_file = fresh_world.File();
  std::string folder = program_folder();
  if (engine_path.empty()) engine_path = folder + "libkiv.so";
  if (chdir(folder.c_str()) != 0) std::cerr << "kivplay: cannot enter " << folder << ": " << std::strerror(errno) << '\n';
  try {
    engine_library engine(engine_path);
    console_host host(engine, options);
    if (!host.Start()) return 1;
    if (!transcript_path.empty()) {
      std::string mismatch;
      bool fits = host.Replay(script, mismatch);
      host.Stop();
      if (!fits) {
        std::cout << transcript_path << ": " << mismatch << '\n';
        return 1;
      }
      std::cout << transcript_path << ": every reply fits\n";
      return 0;
    }
    host.Play(std::cin, isatty(STDIN_FILENO));
    host.Stop();
  } catch (const std::exception& error) {
    std::cerr << "kivplay: " << error.what() << '\n';
    return 1;
  }
  return 0;
}
