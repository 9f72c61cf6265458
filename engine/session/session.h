#pragma once

#include <cstdint>

#include <memory>

#include "dictionary.h"
#include "full_log.h"
#include "interpreter.h"
#include "output_pool.h"
#include "session_host.h"
#include "world.h"
#include "wstring.h"

class kiv_engine;

// One running game for one player of the host. Its fields other than
// those of the session list are touched only by the worker thread.
class session {
 public:
  session(kiv_engine& engine, int32_t id);

  int32_t Id() const { return id_; }

  // Runs the current command as one turn and hands its output to the host;
  // a failing turn becomes a crash report and the session stays usable.
  void SessionProcess();

  // Sets the user and the game for a fresh start, discarding the game that
  // runs now.
  void ReplaceGame(const wstring& user, const wstring& game_file);

  // Writes a line to the session log, or holds it back with the start
  // header until the first command runs.
  void Log(const wstring& text);
  // The folder the logs are written under.
  const wstring& BaseFolder() const { return base_folder_; }
  // The session log on disk; empty before the game starts.
  wstring LogPath() const;
  // The full-log row of a crash of the current command.
  full_log_row CrashRow(const wstring& report) const;

  wstring user_name;
  wstring restart_game_file;
  wstring start_game_file;
  wstring log_name;
  wstring log_buffer;
  full_log_row full_log;
  wstring current_command;
  output_pool output;
  wstring ide_reply;
  bool in_game = false;
  bool paranoid_analysis = false;

 private:
  // The player turn.
  //
  // Until the Russian command parser exists, this turn loads the game into
  // a fresh world on its first run, keeps the session and full logs as the
  // real turn does, and runs every command as game code in the world,
  // printing its value: what the real turn does for a world without a
  // player character.
  void Execute();
  void RunAsCode(const wstring& code);
  void ReportFailure(const wstring& error);
  void StartGame();
  void Print(const wstring& text);
  void WriteHeldBackLog();

  kiv_engine& engine_;
  int32_t id_;
  bool game_started_ = false;
  wstring base_folder_;
  session_host host_;
  interpreter interpreter_;
  dictionary dictionary_;
  std::unique_ptr<world> world_;
};
