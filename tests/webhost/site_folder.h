#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

// A site of its own for a test, removed afterwards.
class site_folder {
 public:
  site_folder() {
    char pattern[] = "/tmp/kiv-site-XXXXXX";
    root_ = mkdtemp(pattern);
  }
  ~site_folder() { std::filesystem::remove_all(root_); }

  const std::filesystem::path& Root() const { return root_; }
  // Root as the host writes folders: ending in "/".
  std::string Folder() const { return root_.string() + "/"; }

  void Write(const std::string& name, const std::string& content) const {
    std::filesystem::path file = root_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(root_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::filesystem::path root_;
};
