#pragma once

// What every fuzz target shares: the input bytes as engine text, the
// engine's errors caught as the session catches them, and a scratch folder
// made current so that logs and files the engine writes stay in it.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "codepage.h"
#include "wstring.h"

namespace fuzz {

// UTF-8 input as the engine's text; malformed bytes become U+FFFD and the
// text ends at the first NUL, as a zero-terminated text does.
inline wstring text_of(const uint8_t* data, size_t size) {
  std::u16string units = decode_utf8_replacing(reinterpret_cast<const char*>(data), size);
  return wstring(units.c_str());
}

// A command of game code may run for 300 ms of processor time here, well
// within the fuzzer's time limit per input even on a busy machine, so that
// only work that escapes the engine's own bound is reported as a hang.
inline void limit_command_time() { setenv("KIV_TIME_BUDGET_MS", "300", 0); }

// Runs f; an engine error of any of its kinds is an answer, anything else
// escapes and the fuzzer reports it.
template <class F>
void run_catching_engine_errors(F&& f) {
  try {
    f();
  } catch (const char16_t*) {
  } catch (const char*) {
  } catch (const wstring&) {
  }
}

// A fresh folder under /tmp made current, with the "logs" folder message
// boxes are written to; removed at exit.
class scratch_folder {
 public:
  scratch_folder() {
    char pattern[] = "/tmp/kiv-fuzz-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    path_ = pattern;
    std::filesystem::create_directory(path_ / "logs");
    std::filesystem::current_path(path_);
  }
  ~scratch_folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  scratch_folder(const scratch_folder&) = delete;
  scratch_folder& operator=(const scratch_folder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

  void Write(const std::string& name, const uint8_t* data, size_t size) const {
    std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  }

  // Removes what the last input made, but the named file and "logs", whose
  // files are emptied: logs must not grow over millions of inputs.
  void Sweep(const std::string& keep) const {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(path_, ignored)) {
      std::string name = entry.path().filename().string();
      if (name == keep) continue;
      std::filesystem::remove_all(entry.path(), ignored);
    }
    std::filesystem::create_directory(path_ / "logs", ignored);
  }

 private:
  std::filesystem::path path_;
};

}  // namespace fuzz
