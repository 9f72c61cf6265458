#pragma once

#include "interpreter_host.h"

class kiv_engine;
class session;

// What the game code of a session's world reaches outside the world:
// output and host functions through the engine, the session's flags and
// its per-command counter of block executions.
class session_host : public interpreter_host {
 public:
  session_host(kiv_engine& engine, session& owner) : engine_(engine), session_(owner) {}

  // A new command starts: its block executions are counted afresh.
  void StartCommand() { block_calls_ = 0; }
  // The game file game code asked to run, with the state 5 signal.
  const wstring& PendingRun() const { return pending_run_; }
  void ClearPendingRun() { pending_run_.Clear(); }

  // operator_host
  void Print(const wstring& text) override;
  told TellCharacter(object& character, const wstring& command, context& ctx, wstring& parse_error) override;

  // interpreter_host
  bool CallHostFunction(const wstring& name, const wstring& first, const wstring& second,
                        wstring& result) override;
  void SetInGame(bool in_game) override;
  bool StrictErrors() const override;
  int CountBlockCall() override { return block_calls_++; }
  void SetPendingRun(const wstring& path) override { pending_run_ = path; }
  void SetCurrentLine(const wstring& line) override;
  bool ExecuteCommand(context& ctx, const wstring& text, value& result) override;

 private:
  kiv_engine& engine_;
  session& session_;
  int block_calls_ = 0;
  wstring pending_run_;
};
