#pragma once

#include <string>

// Where the host finds its files; every folder ends in "/".
struct host_folders {
  std::string program;   // the folder of the program file
  std::string site_root; // the program folder, or its parent when that is "bin/"
  std::string fallback;  // program folder + "site/" (the program file is "webkiv")

  static host_folders ForProgram(const std::string& program_folder);
  // The folder of the running program file.
  static std::string RunningProgramFolder();
};
