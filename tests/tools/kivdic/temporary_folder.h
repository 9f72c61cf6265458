#pragma once

// Test files in a folder of their own: CTest runs tests as parallel
// processes, which must not write the same files.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

class temporary_folder {
 public:
  temporary_folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kivdic_test_XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a folder like " + pattern);
    path_ = pattern;
  }
  ~temporary_folder() { std::filesystem::remove_all(path_); }
  temporary_folder(const temporary_folder&) = delete;
  temporary_folder& operator=(const temporary_folder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
  }

 private:
  std::filesystem::path path_;
};

// A folder for the whole test process, removed when the process ends.
inline const temporary_folder& ProcessFolder() {
  static const temporary_folder folder;
  return folder;
}
