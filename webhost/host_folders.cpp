#include "host_folders.h"

#include <limits.h>
#include <unistd.h>

host_folders host_folders::ForProgram(const std::string& program_folder) {
  host_folders folders;
  folders.program = program_folder;
  if (folders.program.empty() || folders.program.back() != '/') folders.program += '/';
  folders.site_root = folders.program;
  const std::string bin = "/bin/";
  if (folders.site_root.size() >= bin.size() &&
      folders.site_root.compare(folders.site_root.size() - bin.size(), bin.size(), bin) == 0)
    folders.site_root.resize(folders.site_root.size() - 4);
  folders.fallback = folders.program + "site/";
  return folders;
}

std::string host_folders::RunningProgramFolder() {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (length <= 0) return "./";
  std::string file(path, size_t(length));
  return file.substr(0, file.rfind('/') + 1);
}
