#pragma once

#include <cstdint>

#include <memory>

#include "dictionary.h"
#include "full_log.h"
#include "interpreter.h"
#include "output_pool.h"
#include "parsed_string.h"
#include "player_command.h"
#include "session_host.h"
#include "world.h"
#include "wstring.h"

class kiv_engine;
class location;

// One running game for one player of the host. Its fields other than
// those of the session list are touched only by the worker thread.
class session {
 public:
  session(kiv_engine& engine, int32_t id);
  ~session();

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
  // The current command after parsing; made with the world.
  std::unique_ptr<parsed_string> parsed_input;
  bool parsed = false;
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

 public:
  // Parses and runs a command that game code gives (a line that is no code,
  // a command told to a character) with readings of its own, so that the
  // turn's readings stay intact; the result, and for a command that was not
  // understood its error reply when asked for.
  value RunNestedCommand(context& ctx, const wstring& text, wstring* error_reply, command_phase* phase = nullptr);

 private:
  // Nested player commands deeper than this are refused: game code that
  // tells characters to tell each other would otherwise recurse.
  static constexpr int max_nested_commands = 8;

  // The player character's location: the player is an object of the world
  // lying in a location; null otherwise.
  location* PlayerLocation() const;
  // The command as a player's, in the player's location (the turn's steps
  // of parsing, phases and replies).
  void RunInGame(location& place);
  // Stops the turn when the location refuses commands ("_check_npc").
  bool CharacterRefuses(context& ctx);
  // The reply to a result that did something or failed.
  void ReplyToFailure(context& ctx, const value& result);
  void ReplyToResult(context& ctx, const value& result);
  // "Name: " of the character speaking, when one is addressed.
  wstring SpeakerPrefix(const context& ctx) const;
  wstring ValueText(const value& v, context& ctx) const;
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
  int nested_commands_ = 0;
};
