// Undo and restore on a long game: the lighthouse played for 1,000
// commands (back and forth between the pier and the path), then one
// command taken back, and a save of it loaded in the same session (both
// start from a snapshot of the world) and in a fresh one (which replays
// the whole journal). Also one command of the long game, snapshots and
// the state digest included.
//
// Run from the build's bin folder (kiv.dic and lib/ beside the program):
//   journal_benchmark [--benchmark_...]

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "codepage.h"
#include "kiv_engine.h"

namespace fs = std::filesystem;

namespace {

constexpr int game_length = 1000;

std::u16string last_print;

const char16_t* keep_print(int32_t, const char16_t* channel, const char16_t* text) {
  if (channel && std::u16string_view(channel) == u"print" && text) last_print = text;
  return nullptr;
}

// The lighthouse in a scratch folder, its saves and logs out of the source
// tree, played for game_length commands.
class long_game {
 public:
  explicit long_game(kiv_engine& engine) : engine_(engine), player_(engine, 1) {
    char pattern[] = "/tmp/kiv-journal-XXXXXX";
    folder_ = mkdtemp(pattern);
    fs::copy_file(fs::path(LIGHTHOUSE), folder_ / "lighthouse.kiv");
    Start(player_);
    for (int i = 0; i < game_length; ++i) Play(i % 2 == 0 ? u"с" : u"ю");
  }

  // Another session of the same player, just started.
  std::unique_ptr<session> FreshSession() {
    auto fresh = std::make_unique<session>(engine_, 2);
    Start(*fresh);
    return fresh;
  }

  static void Play(session& player, const char16_t* command) {
    player.current_command = command;
    player.SessionProcess();
  }
  ~long_game() { fs::remove_all(folder_); }

  void Play(const char16_t* command) { Play(player_, command); }

 private:
  void Start(session& player) {
    std::string file = (folder_ / "lighthouse.kiv").string();
    player.ReplaceGame(wstring(u"bench"), wstring(decode_utf8_replacing(file.data(), file.size()).c_str()));
    Play(player, u"run");
  }

  kiv_engine& engine_;
  fs::path folder_;
  session player_;
};

kiv_engine* started_engine() {
  kiv_engine& engine = kiv_engine::Instance();
  static bool started =
      engine.RegisterWide(u"print", &keep_print, KIV_KIND_DEFERRED, 1) == KIV_REG_OK && engine.Init(nullptr);
  return started ? &engine : nullptr;
}

std::unique_ptr<long_game> game_or_skip(benchmark::State& state) {
  kiv_engine* engine = started_engine();
  if (!engine || !fs::exists("kiv.dic") || !fs::exists("lib")) {
    state.SkipWithError("run where kiv.dic and lib/ are");
    return nullptr;
  }
  return std::make_unique<long_game>(*engine);
}

void BM_UndoAfterThousandCommands(benchmark::State& state) {
  std::unique_ptr<long_game> game = game_or_skip(state);
  if (!game) return;
  for (auto _ : state) {
    state.PauseTiming();
    game->Play(u"с");
    state.ResumeTiming();
    game->Play(u"отмена");
  }
  if (last_print.find(u"Отменена") == std::u16string::npos) state.SkipWithError("undo did not answer");
}
BENCHMARK(BM_UndoAfterThousandCommands)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RestoreThousandCommands(benchmark::State& state) {
  std::unique_ptr<long_game> game = game_or_skip(state);
  if (!game) return;
  game->Play(u"сохранить тысяча");
  for (auto _ : state) game->Play(u"загрузить тысяча");
  if (last_print.find(u"загружено") == std::u16string::npos) state.SkipWithError("restore did not answer");
}
BENCHMARK(BM_RestoreThousandCommands)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RestoreThousandCommandsInFreshSession(benchmark::State& state) {
  std::unique_ptr<long_game> game = game_or_skip(state);
  if (!game) return;
  game->Play(u"сохранить тысяча");
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<session> fresh = game->FreshSession();
    state.ResumeTiming();
    long_game::Play(*fresh, u"загрузить тысяча");
  }
  if (last_print.find(u"загружено") == std::u16string::npos) state.SkipWithError("restore did not answer");
}
BENCHMARK(BM_RestoreThousandCommandsInFreshSession)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CommandInLongGame(benchmark::State& state) {
  std::unique_ptr<long_game> game = game_or_skip(state);
  if (!game) return;
  int i = 0;
  for (auto _ : state) game->Play(i++ % 2 == 0 ? u"с" : u"ю");
}
BENCHMARK(BM_CommandInLongGame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
