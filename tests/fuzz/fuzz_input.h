#pragma once

// What every fuzz target shares: the input bytes as engine text or as a
// file, the engine's errors caught as the session catches them, a scratch
// folder made current so that logs and files the engine writes stay in it.

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
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

// Inputs whose first byte chooses what is done with the text after it.
struct chosen_text {
  uint8_t choice;
  wstring text;
};

// None for the empty input, which chooses nothing.
inline std::optional<chosen_text> choice_and_text(const uint8_t* data, size_t size) {
  if (size == 0) return std::nullopt;
  return chosen_text{data[0], text_of(data + 1, size - 1)};
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

  // Removes what the last input made, but the named entries and "logs",
  // whose files are emptied: logs must not grow over millions of inputs.
  void Sweep(std::initializer_list<std::string> keep) const {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(path_, ignored)) {
      std::string name = entry.path().filename().string();
      if (std::find(keep.begin(), keep.end(), name) != keep.end()) continue;
      std::filesystem::remove_all(entry.path(), ignored);
    }
    std::filesystem::create_directory(path_ / "logs", ignored);
  }

 private:
  std::filesystem::path path_;
};

// The input as the named file of the folder while it lives; then the
// folder is swept of all the engine made meanwhile.
class input_file {
 public:
  input_file(const scratch_folder& folder, std::string name, const uint8_t* data, size_t size)
      : folder_(folder), name_(std::move(name)) {
    folder_.Write(name_, data, size);
  }
  ~input_file() { folder_.Sweep({name_}); }
  input_file(const input_file&) = delete;
  input_file& operator=(const input_file&) = delete;

 private:
  const scratch_folder& folder_;
  std::string name_;
};

}  // namespace fuzz
