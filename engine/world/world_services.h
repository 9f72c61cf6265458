#pragma once

#include "wstring.h"

class world;

// What a world asks of the parts of the engine above it. Each is optional:
// a world without one gets on without the service.

// Declares a word the game does not know from the morphological dictionary.
class dictionary_lookup {
 public:
  virtual ~dictionary_lookup() = default;
  // Declares the word (with "@" or "$" in front, or plain) in the world when
  // the dictionary has it; true when something was declared.
  virtual bool DeclareFromDictionary(world& home, const wstring& word) = 0;
};

// The session holds log lines back until its first command runs.
class log_collector {
 public:
  virtual ~log_collector() = default;
  // Takes the text when lines for that log file are being held back.
  virtual bool Collect(const wstring& file_name, const wstring& text) = 0;
};
