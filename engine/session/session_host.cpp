#include "session_host.h"

#include "kiv_engine.h"
#include "keyword_table.h"
#include "player_command.h"
#include "session.h"

void session_host::Print(const wstring& text) {
  engine_.CallHostFunction(session_, wstring(u"print"), nullptr, text.Text(), nullptr);
}

// The character acts and is addressed; whoever acted before speaks to it.
operator_host::told session_host::TellCharacter(object& character, const wstring& command, context& ctx,
                                                wstring& parse_error) {
  context told_ctx(ctx.World(), kw::type_context, &ctx);
  told_ctx.characters[1] = ctx.characters[0];
  told_ctx.characters[0] = told_ctx.characters[2] = character.Id();
  command_phase phase = command_phase::none;
  value result = session_.RunNestedCommand(told_ctx, command, &parse_error, &phase);
  if (is_parse_failure(result)) return told::unparsable;
  return phase == command_phase::remember ? told::information : told::executed;
}

bool session_host::CallHostFunction(const wstring& name, const wstring& first, const wstring& second,
                                    wstring& result) {
  return engine_.CallHostFunction(session_, name, &result, first.Text(), second.Text());
}

void session_host::SetInGame(bool in_game) { session_.in_game = in_game; }

bool session_host::StrictErrors() const { return session_.paranoid_analysis; }

void session_host::SetCurrentLine(const wstring& line) { engine_.SetCurrentLine(line); }

// A line of game code that is no code is a player's command with the
// context's character as actor.
bool session_host::ExecuteCommand(context& ctx, const wstring& text, value& result) {
  result = session_.RunNestedCommand(ctx, text, nullptr);
  return true;
}
