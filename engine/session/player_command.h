#pragma once

#include "op_value.h"
#include "value.h"
#include "wstring.h"

class context;
class parsed_string;

// What the reading of a command asks for once parsed: the action's execute
// phase ("d"), remembering an information ("s"), or nothing more.
enum class command_phase { none, execute, remember };

// The phase the parse result's key "t" names.
command_phase phase_of(const op_value& parsed);

// Parses text as a player's command with the context's characters and runs
// the phase its reading asks for; the last result. An information is
// remembered only when the game has been left (in_game is read after the
// parse, whose game code may change it). The readings stay in `input` for
// the error description.
// phase, when given, receives the phase the reading asked for.
value run_player_command(parsed_string& input, context& ctx, const wstring& text, const bool& in_game,
                         command_phase* phase = nullptr);

// Runs the phase a parse result asks for (as run_player_command does after
// parsing); the last result.
value run_parsed_command(parsed_string& input, context& ctx, const op_value& parsed, const bool& in_game,
                         command_phase* phase = nullptr);

// Whether a result is the truth value "непонятно" or "ошибка": the command
// was not understood or failed.
bool is_parse_failure(const value& result);
