#pragma once

#include "operator_host.h"
#include "wstring.h"

class context;
class value;

// What running game code needs of the session it runs for, besides the
// operators' output and telling: host functions, the session's flags and
// counters, and the parser for lines that are player commands. The session
// implements it.
class interpreter_host : public operator_host {
 public:
  // Calls the registered host function of that name (first letter in lower
  // case); false when none is registered.
  virtual bool CallHostFunction(const wstring& name, const wstring& first, const wstring& second,
                                wstring& result) = 0;
  virtual void SetInGame(bool in_game) = 0;
  // Strict error analysis: an uncomputable condition is an error.
  virtual bool StrictErrors() const = 0;
  // Counts one block execution of the current command; the count before it.
  virtual int CountBlockCall() = 0;
  // The game file the session is to switch to once the code stops.
  virtual void SetPendingRun(const wstring& path) = 0;
  // The line being executed, for error reports.
  virtual void SetCurrentLine(const wstring& line) = 0;
  // Parses the text as a player's command with the context's character as
  // actor and executes it; false while there is no parser.
  virtual bool ExecuteCommand(context& ctx, const wstring& text, value& result) = 0;
};
