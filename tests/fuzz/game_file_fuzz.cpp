// Game source loaded as a game file, with includes refused: the source may
// name only itself, and including a file that includes itself twice at every
// level would take the time of 2^32 loads.

#include <cstddef>
#include <cstdint>

#include "code_world.h"
#include "fuzz_input.h"

namespace {

const char* const game_file = "game.kiv";

// The interpreter, which runs the game file but no file it includes.
class include_refusing_interpreter : public interpreter {
 public:
  include_refusing_interpreter(interpreter_host& host, const world& home) : interpreter(host), home_(home) {}

  value RunSource(const wstring& source, context& ctx) override {
    if (home_.include_depth > 1) throw u"подключение файлов при проверке отключено";
    return interpreter::RunSource(source, ctx);
  }

 private:
  const world& home_;
};

struct game_world {
  game_world() {
    home.SetRunner(&in);
    home.SetOperatorHost(&host);
  }
  code_host host;
  world home{u"fuzz"};
  include_refusing_interpreter in{host, home};
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::limit_command_time();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::scratch_folder folder;
  fuzz::input_file file(folder, game_file, data, size);
  game_world w;
  fuzz::run_catching_engine_errors([&] {
    w.home.SetFileName(wstring(u"game.kiv"));
    w.in.StartCommand();
    w.home.Load();
  });
  return 0;
}
