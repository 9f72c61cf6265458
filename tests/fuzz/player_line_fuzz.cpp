// A player's line parsed and dispatched, as a session runs a command, in a
// game world with verbs. The world's file is KIV_FUZZ_WORLD; the dictionary
// is KIV_FUZZ_DICTIONARY, else "kiv.dic" in the current folder; the shared
// game library, which the world may include, is KIV_FUZZ_LIBRARY. Loading the
// world with the dictionary takes seconds, so it is loaded once: lines see
// the words earlier lines took from the dictionary, and a finding is
// replayed by running its line alone, in the world as the file makes it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "code_world.h"
#include "fuzz_input.h"
#include "fuzz_world.h"
#include "object.h"
#include "parsed_string.h"
#include "player_command.h"
#include "system_factory.h"

namespace {

// What lives for the whole run: the folder, the dictionary, the rules and
// the world.
struct fuzz_setup {
  fuzz_setup() {
    const char* world_file = std::getenv("KIV_FUZZ_WORLD");
    const char* dictionary_file = std::getenv("KIV_FUZZ_DICTIONARY");
    const char* library_folder = std::getenv("KIV_FUZZ_LIBRARY");
    if (!world_file) {
      std::fprintf(stderr, "KIV_FUZZ_WORLD must name the game file to play in\n");
      std::exit(1);
    }
    game = std::filesystem::absolute(world_file).string();
    std::string dictionary_path = std::filesystem::absolute(dictionary_file ? dictionary_file : "kiv.dic").string();
    folder = std::make_unique<fuzz::scratch_folder>();
    if (library_folder) std::filesystem::create_directory_symlink(std::filesystem::absolute(library_folder), "lib");
    words = std::make_unique<fuzz::opened_dictionary>(dictionary_path);
    if (!words->file.Loaded()) {
      std::fprintf(stderr, "no dictionary at %s\n", dictionary_path.c_str());
      std::exit(1);
    }
    rules.Init();
    load_game();
    if (&Place() == &w.home) {
      std::fprintf(stderr, "%s has no player in a location\n", game.c_str());
      std::exit(1);
    }
  }

  // Loading is no command: it is not timed.
  void load_game() {
    w.home.dictionary = &words->words;
    w.home.SetFileName(wstring(decode_utf8_replacing(game.data(), game.size()).c_str()));
    w.home.Load();
  }

  // Where the player's command runs, as in a session: the player's
  // location, which earlier lines may have changed, else the world.
  context& Place() {
    object* player = w.home.FindById(w.home.player);
    context* here = player ? player->NearestLocation() : nullptr;
    return here ? *here : w.home;
  }

  std::string game;
  std::unique_ptr<fuzz::scratch_folder> folder;
  std::unique_ptr<fuzz::opened_dictionary> words;
  system_factory rules;
  code_world w;
};

fuzz_setup& setup() {
  static fuzz_setup once;
  return once;
}

void run_command(code_world& w, context& ctx, const wstring& line) {
  parsed_string input(w.home, w.in, setup().rules);
  ctx.characters[0] = ctx.characters[2] = w.home.player;
  ctx.characters[1] = 0;
  ctx.state = context::stop_none;
  w.in.StartCommand();
  const bool in_game = true;
  value result = run_player_command(input, ctx, line, in_game);
  bool missing_form = false;
  wstring reply;
  if (is_parse_failure(result) && result.Text().IsEmpty())
    input.GetErrorDescription(ctx, reply);
  else
    reply = result.ToString(&w.home, &ctx, nullptr, text_all, missing_form);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::limit_command_time();
  setup();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  wstring line = fuzz::text_of(data, size);
  fuzz_setup& once = setup();
  fuzz::run_catching_engine_errors([&] { run_command(once.w, once.Place(), line); });
  return 0;
}
