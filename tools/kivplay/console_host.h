#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <istream>
#include <mutex>
#include <string>
#include <vector>

#include "engine_library.h"
#include "transcript.h"

struct console_options {
  std::string game_file;
  std::string user_name = "player";
  std::vector<std::string> plugins;
  bool plain = false;   // strip mark-up tags and stress marks
  bool speech = false;  // also show the speech text
  bool eval = false;    // each line is game code, its value shown
  // Replies are kept for checking instead of shown.
  bool collect = false;
  // How long a command's reply is waited for before the next command is
  // sent, and a busy engine before a command is given up.
  std::chrono::milliseconds reply_wait{std::chrono::seconds(120)};
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
  // asks for each command on standard output. At the end of the commands it
  // waits for the replies still due.
  void Play(std::istream& commands, bool prompt);
  // Replays a transcript (with `collect` set): the opening is checked, then
  // each command is sent and its reply checked in turn. False at the first
  // reply that does not meet its step, described in `mismatch` with the
  // reply.
  bool Replay(const transcript& script, std::string& mismatch);
  void Stop();

 private:
  static constexpr int32_t session_id = 1;
  // The replies still due are given up when none came for this long.
  static constexpr std::chrono::seconds final_wait{120};

  static const char16_t* OnPrint(int32_t id, const char16_t* channel, const char16_t* text);
  static const char16_t* OnSpeech(int32_t id, const char16_t* text, const char16_t* unused);

  void Show(const char16_t* text, const char* prefix);
  void CountTurn(const char16_t* text);
  bool Send(const std::u16string& command);
  // Waits until the first `count` turns have ended, giving up after `wait`
  // without a turn ending; false then.
  bool WaitForTurns(uint64_t count, std::chrono::milliseconds wait);
  // The text of a turn that has ended (its crash report included), as
  // collected; empty when it never came.
  std::string TurnText(uint64_t turn);

  engine_library& engine_;
  console_options options_;
  std::vector<void*> plugin_modules_;
  bool started_ = false;

  std::mutex output_mutex_;
  std::condition_variable turn_ended_;
  // Every turn ends with one print of its output; a crash report comes
  // before it as two prints of its own.
  uint64_t turns_ended_ = 0;
  int report_prints_left_ = 0;
  uint64_t turns_sent_ = 0;
  // With `collect`: the text of the turn under way, and of every turn ended.
  std::u16string turn_text_;
  std::vector<std::u16string> turn_texts_;
};
