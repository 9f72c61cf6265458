// Undo and restore on a long game: the lighthouse played for 1,000
// commands (back and forth between the pier and the path), then one
// command taken back, and a save of it loaded. Both replay the journal
// into a fresh world.
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
  explicit long_game(kiv_engine& engine) : player_(engine, 1) {
    char pattern[] = "/tmp/kiv-journal-XXXXXX";
    folder_ = mkdtemp(pattern);
    fs::copy_file(fs::path(LIGHTHOUSE), folder_ / "lighthouse.kiv");
    std::string file = (folder_ / "lighthouse.kiv").string();
    player_.ReplaceGame(wstring(u"bench"), wstring(decode_utf8_replacing(file.data(), file.size()).c_str()));
    Play(u"run");
    for (int i = 0; i < game_length; ++i) Play(i % 2 == 0 ? u"с" : u"ю");
  }
  ~long_game() { fs::remove_all(folder_); }

  void Play(const char16_t* command) {
    player_.current_command = command;
    player_.SessionProcess();
  }

 private:
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

}  // namespace

BENCHMARK_MAIN();
