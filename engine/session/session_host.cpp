#include "session_host.h"

#include "kiv_engine.h"
#include "session.h"

void session_host::Print(const wstring& text) {
  engine_.CallHostFunction(session_, wstring(u"print"), nullptr, text.Text(), nullptr);
}

// Commands told to characters need the player-command parser, which the
// engine does not have yet; the game gets the reason as the parse error.
operator_host::told session_host::TellCharacter(object&, const wstring&, context&, wstring& parse_error) {
  parse_error = u"разбор команд игрока ещё не подключён";
  return told::unparsable;
}

bool session_host::CallHostFunction(const wstring& name, const wstring& first, const wstring& second,
                                    wstring& result) {
  return engine_.CallHostFunction(session_, name, &result, first.Text(), second.Text());
}

void session_host::SetInGame(bool in_game) { session_.in_game = in_game; }

bool session_host::StrictErrors() const { return session_.paranoid_analysis; }

void session_host::SetCurrentLine(const wstring& line) { engine_.SetCurrentLine(line); }

// Lines that are player commands wait for the parser.
bool session_host::ExecuteCommand(context&, const wstring&, value&) { return false; }
