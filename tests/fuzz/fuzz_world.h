#pragma once

// The worlds and dictionaries the engine's fuzz targets run inputs in.

#include <string>

#include "code_world.h"
#include "dic_loader.h"
#include "dictionary.h"
#include "wstring.h"

namespace fuzz {

// A fresh world whose command has begun, so that game code may run in it.
struct started_world : code_world {
  started_world() { in.StartCommand(); }
};

// A dictionary file opened and read as the engine opens it; a file that
// cannot be read leaves it empty.
struct opened_dictionary {
  explicit opened_dictionary(const std::string& path) : file(path.c_str()), words(file, &label) {}
  opened_dictionary(const opened_dictionary&) = delete;
  opened_dictionary& operator=(const opened_dictionary&) = delete;

  dic_loader file;
  wstring label;
  dictionary words;
};

}  // namespace fuzz
