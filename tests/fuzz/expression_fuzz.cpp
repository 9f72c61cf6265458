// Game code in a fresh world: the text run as code lines, or cut into
// lexemes and each alternative computed as an action or a condition.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "calc.h"
#include "fuzz_input.h"
#include "fuzz_world.h"
#include "lxms.h"

namespace {

void compute_alternatives(code_world& w, const wstring& text, bool action) {
  lxms lexemes;
  lexemes.Parse(text);
  while (lexemes.Next()) {
    value result;
    if (Calc(w.in, w.home, lexemes.Line(), action, result)) {
      bool missing_form = false;
      result.ToString(&w.home, &w.home, nullptr, text_all, missing_form);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::limit_command_time();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::scratch_folder folder;
  std::optional<fuzz::chosen_text> input = fuzz::choice_and_text(data, size);
  if (!input) return 0;
  {
    fuzz::started_world w;
    fuzz::run_catching_engine_errors([&] {
      if (input->choice % 3 == 0)
        w.in.RunSource(input->text, w.home);
      else
        compute_alternatives(w, input->text, input->choice % 3 == 1);
    });
  }
  folder.Sweep({});
  return 0;
}
