#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <istream>
#include <mutex>
#include <string>
#include <vector>

#include "engine_library.h"

struct console_options {
  std::string game_file;
  std::string user_name = "player";
  std::vector<std::string> plugins;
  bool plain = false;   // strip mark-up tags and stress marks
  bool speech = false;  // also show the speech text
  bool eval = false;    // each line is game code, its value shown
};

// A console host of the engine: registers its callbacks, starts one
// session and plays it from a stream of commands, printing each turn's
// output as it arrives.
class console_host {
 public:
  console_host(engine_library& engine, const console_options& options);
  ~console_host();

  // Registers the callbacks, starts the engine and the game and shows the
  // first turn. False (with the reason on standard error) when the engine
  // refuses.
  bool Start();
  // Sends each non-empty line as a command and shows its turn; `prompt`
  // asks for each command on standard output.
  void Play(std::istream& commands, bool prompt);
  void Stop();

 private:
  static constexpr int32_t session_id = 1;
  // A turn is over when no output came for this long after its first print.
  static constexpr std::chrono::milliseconds turn_quiet{60};
  static constexpr std::chrono::seconds turn_limit{120};

  static const char16_t* OnPrint(int32_t id, const char16_t* channel, const char16_t* text);
  static const char16_t* OnSpeech(int32_t id, const char16_t* text, const char16_t* unused);

  void Show(const char16_t* text, const char* prefix);
  bool Send(const std::u16string& command);
  void WaitForTurn(uint64_t prints_before);

  engine_library& engine_;
  console_options options_;
  std::vector<void*> plugin_modules_;
  bool started_ = false;

  std::mutex output_mutex_;
  std::condition_variable output_arrived_;
  uint64_t prints_ = 0;
};
