#include "player_command.h"

#include "key_matrix.h"
#include "keyword_table.h"
#include "parsed_string.h"

command_phase phase_of(const op_value& parsed) {
  key_matrix keys(parsed.keys.Text());
  keys.AddKey(parsed.v.KeyText().Text());
  switch (keys.GetMarker(u't')) {
    case u'd':
      return command_phase::execute;
    case u's':
      return command_phase::remember;
    default:
      return command_phase::none;
  }
}

bool is_parse_failure(const value& result) {
  return result.Type() == kw::type_bool && (result.Code() == kw::result_unclear || result.Code() == kw::result_fail);
}

value run_player_command(parsed_string& input, context& ctx, const wstring& text, const bool& in_game,
                         command_phase* phase) {
  input.SetLine(text);
  op_value parsed;
  input.Parsing(ctx, parsed);
  if (is_parse_failure(parsed.v)) return parsed.v;
  return run_parsed_command(input, ctx, parsed, in_game, phase);
}

value run_parsed_command(parsed_string& input, context& ctx, const op_value& parsed, const bool& in_game,
                         command_phase* phase) {
  command_phase asked = phase_of(parsed);
  if (phase) *phase = asked;
  op_value result;
  switch (asked) {
    case command_phase::execute:
      input.Execute(ctx, result);
      return result.v;
    case command_phase::remember:
      if (in_game) return parsed.v;
      input.Remember(ctx, result);
      return result.v;
    case command_phase::none:
      return parsed.v;
  }
  return parsed.v;
}
