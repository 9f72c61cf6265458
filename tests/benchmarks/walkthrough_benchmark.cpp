// How fast the games under games/ load and answer: each game is loaded
// with the library and its walkthroughs (win.txt, walk.txt) are replayed
// command by command through a session, as the worker runs them. Prints,
// per game, the load time and the command times (median, 90th percentile,
// maximum, the slowest commands), each figure the median of several
// replays.
//
// Run from the build's bin folder (kiv.dic and lib/ beside the program):
//   walkthrough_benchmark [GAMES_FOLDER] [REPLAYS]

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "codepage.h"
#include "kiv_engine.h"

namespace fs = std::filesystem;

namespace {

using milliseconds = std::chrono::duration<double, std::milli>;

const char16_t* ignore_print(int32_t, const char16_t*, const char16_t*) { return nullptr; }

std::u16string wide(const std::string& text) { return decode_utf8_replacing(text.data(), text.size()); }

// The "> " lines of a transcript.
std::vector<std::string> commands_of(const fs::path& transcript) {
  std::vector<std::string> commands;
  std::ifstream in(transcript);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 1 && line[0] == '>') commands.push_back(line.substr(line.find_first_not_of("> ")));
  }
  return commands;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

double percentile(std::vector<double> v, double share) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[std::min(v.size() - 1, size_t(double(v.size()) * share))];
}

// A game copied to a scratch folder, so that its logs stay out of the
// source tree.
class scratch_game {
 public:
  explicit scratch_game(const fs::path& game_folder) {
    char pattern[] = "/tmp/kiv-walk-XXXXXX";
    folder_ = mkdtemp(pattern);
    fs::create_directory(folder_ / "logs");
    for (const auto& entry : fs::directory_iterator(game_folder))
      if (entry.path().extension() != ".txt") fs::copy(entry.path(), folder_ / entry.path().filename());
    file_ = folder_ / (game_folder.filename().string() + ".kiv");
  }
  ~scratch_game() { fs::remove_all(folder_); }
  const fs::path& File() const { return file_; }

 private:
  fs::path folder_;
  fs::path file_;
};

struct replay_times {
  double load = 0;
  std::vector<double> commands;
};

// One replay in a fresh session: the first turn loads the game.
replay_times replay(kiv_engine& engine, const fs::path& game, const std::vector<std::string>& commands) {
  replay_times times;
  session player(engine, 1);
  player.ReplaceGame(wstring(u"bench"), wstring(wide(game.string()).c_str()));
  auto turn = [&player](const std::u16string& command) {
    auto start = std::chrono::steady_clock::now();
    player.current_command = command.c_str();
    player.SessionProcess();
    return milliseconds(std::chrono::steady_clock::now() - start).count();
  };
  times.load = turn(u"run");
  for (const std::string& command : commands) times.commands.push_back(turn(wide(command)));
  return times;
}

void report_walkthrough(kiv_engine& engine, const fs::path& game_folder, const fs::path& transcript, int replays) {
  const std::vector<std::string> commands = commands_of(transcript);
  scratch_game game(game_folder);
  std::vector<double> loads;
  std::vector<std::vector<double>> runs(commands.size());
  std::vector<double> every_run;
  for (int r = 0; r < replays; ++r) {
    replay_times times = replay(engine, game.File(), commands);
    loads.push_back(times.load);
    for (size_t i = 0; i < commands.size(); ++i) runs[i].push_back(times.commands[i]);
    every_run.insert(every_run.end(), times.commands.begin(), times.commands.end());
  }
  std::vector<double> medians;
  for (const auto& r : runs) medians.push_back(median(r));
  std::printf("%s/%s: load %.2f ms; %zu commands: median %.3f ms, 90%% %.3f ms, max %.3f ms (slowest single run %.3f ms)\n",
              game_folder.filename().c_str(), transcript.filename().c_str(), median(loads), commands.size(),
              median(medians), percentile(medians, 0.9), medians.empty() ? 0 : *std::max_element(medians.begin(), medians.end()),
              every_run.empty() ? 0 : *std::max_element(every_run.begin(), every_run.end()));
  std::vector<size_t> order(commands.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return medians[a] > medians[b]; });
  for (size_t k = 0; k < std::min<size_t>(5, order.size()); ++k)
    std::printf("  %8.3f ms  %s\n", medians[order[k]], commands[order[k]].c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path games = argc > 1 ? fs::absolute(argv[1]) : fs::absolute("../../../games");
  const int replays = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  if (!fs::exists("kiv.dic") || !fs::exists("lib")) {
    std::printf("walkthrough_benchmark: run it where kiv.dic and lib/ are; skipped\n");
    return 0;
  }
  kiv_engine& engine = kiv_engine::Instance();
  if (engine.RegisterWide(u"print", &ignore_print, KIV_KIND_DEFERRED, 1) != KIV_REG_OK || !engine.Init(nullptr)) {
    std::printf("walkthrough_benchmark: the engine did not start\n");
    return 1;
  }
  std::map<std::string, fs::path> folders;
  for (const auto& entry : fs::directory_iterator(games))
    if (entry.is_directory()) folders[entry.path().filename().string()] = entry.path();
  for (const auto& [name, folder] : folders)
    for (const char* walkthrough : {"win.txt", "walk.txt"})
      if (fs::exists(folder / walkthrough)) report_walkthrough(engine, folder, folder / walkthrough, replays);
  engine.Exit();
  return 0;
}
