// The session's player commands: the turn's command as the player's (its
// parsing, phases and replies) or as game code, and the commands game code
// gives.

#include "block.h"
#include "full_log.h"
#include "keyword_table.h"
#include "kiv_engine.h"
#include "player_command.h"
#include "property_read.h"
#include "session.h"
#include "statements.h"
#include "typographic_quotes.h"

namespace {

// Keeps count of the player commands running inside one another.
class nesting_guard {
 public:
  nesting_guard(int& depth, int limit) : depth_(depth) {
    if (depth_ >= limit) throw u"слишком глубокая вложенность команд игрока!";
    ++depth_;
  }
  ~nesting_guard() { --depth_; }
  nesting_guard(const nesting_guard&) = delete;
  nesting_guard& operator=(const nesting_guard&) = delete;

 private:
  int& depth_;
};

// A location answers through its classes too, so a library class can give
// every place of a kind the character check.
value checked_holder(context& ctx) {
  if (!ctx.IsEntity()) return value::Context(&ctx);
  object& place = static_cast<object&>(ctx);
  return value::Entity(place.Type(), &place);
}

bool has_message(const value& result) { return result.Type() == kw::type_bool && !result.Text().IsEmpty(); }

// The parser ends each ambiguous word's alternatives with "; "; the last
// of them ends the reply as a sentence.
wstring as_sentence(const wstring& message) {
  if (message.Length() < 2 || !(message.Right(2) == u"; ")) return message;
  wstring sentence = message.Left(message.Length() - 2);
  sentence += u".";
  return sentence;
}

}  // namespace

// The command after the session's own: in the game its reading's phases,
// otherwise game code; then the reply.
session::turn_flow session::RunCommand(context& ctx, wstring normalised, bool code_mode, value& pending) {
  WriteHeldBackLog();
  // A continuation is in the journal with the command it continues.
  if (!continuing_) {
    if (RunJournalCommand(normalised, code_mode)) return turn_flow::end;
    wstring typed(code_mode ? u"/" : u"");
    typed += current_command;
    PrepareJournalEntry();
    journal_.Add(typed);
  }
  ExpandAbbreviation(normalised);
  if (RunServiceCommand(normalised)) {
    journal_.CountLast();
    return turn_flow::end;
  }
  ide_command_tree.Clear();
  value result;
  if (in_game && !code_mode) {
    if (CharacterRefuses(ctx)) return turn_flow::end;
    result = RunPlayerLine(ctx);
  } else {
    if (!replaying_) BuildCommandTree(ctx);
    result = EvaluateCode(ctx);
  }
  full_log.fields[full_log_row::outcome] = u"Ok";
  // The world that ran the code is going: neither reply nor events.
  if (ctx.state == context::stop_run) return turn_flow::restart;
  bool understood = true;
  if (ctx.state == context::stop_goto && result.Type() == kw::type_location) {
    pending = result;
    in_game = true;
  } else if (!in_game || code_mode) {
    PrintCodeValue(ctx, result);
  } else if (is_parse_failure(result)) {
    understood = ReplyToFailure(ctx, result);
  } else {
    understood = ReplyToResult(ctx, result);
  }
  count_pending_ = count_pending_ || understood;
  return turn_flow::go_on;
}

value session::EvaluateCode(context& ctx) {
  block line_owner;
  int line_index = 0;
  return RunStatement(interpreter_, ctx, current_command, false, true, line_index, line_owner);
}

void session::PrintCodeValue(context& ctx, const value& result) {
  if (output.PrintedOutsideLocation()) Print(wstring(u"\n"));
  if (result.Type() == kw::type_keyword && result.Code() == kw::type_null)
    Print(wstring(u"пусто"));
  else
    Print(ValueText(result, ctx));
}

bool session::CharacterRefuses(context& ctx) {
  value answer;
  if (!read_property(checked_holder(ctx), ctx, u"_check_npc", u"_проверка_нпс", answer)) return false;
  if (answer.Type() != kw::type_bool || answer.Code() != kw::result_fail) return false;
  Print(answer.Text().IsEmpty() ? wstring(u"Персонаж недееспособен.") : answer.Text());
  return true;
}

bool session::ReplyToFailure(context& ctx, const value& result) {
  wstring reply = SpeakerPrefix(ctx);
  if (has_message(result)) {
    reply += as_sentence(result.Text());
    full_log.fields[full_log_row::outcome] = u"error";
  } else {
    reply += ParserReply(*parsed_input, ctx);
  }
  NoteQuestion(reply);
  Print(reply);
  return has_message(result);
}

bool session::ReplyToResult(context& ctx, const value& result) {
  if (output.PrintedOutsideLocation()) return true;
  wstring reply = SpeakerPrefix(ctx);
  bool understood = true;
  int typed_tokens = parsed_input->Tokens().Count();
  if (typed_tokens > (reply.IsEmpty() ? 1 : 3)) {
    reply += ValueText(result, ctx);
  } else if (result.Type() == kw::type_act) {
    value act(result);
    act.SetKeyText(u"Ив");
    reply += u"возможно, можно было бы ";
    reply += ValueText(act, ctx);
    reply += u", если добавить больше слов.";
  } else {
    full_log.fields[full_log_row::outcome] = u"value";
    command_failed_ = true;
    understood = false;
    reply += ParserReply(*parsed_input, ctx);
  }
  NoteQuestion(reply);
  Print(reply);
  return understood;
}

wstring session::ParserReply(parsed_string& input, context& ctx) const {
  wstring description;
  input.GetErrorDescription(ctx, description);
  return as_sentence(typographic_quotes(description));
}

wstring session::SpeakerPrefix(const context& ctx) const {
  if (ctx.characters[1] == 0 || ctx.characters[2] == 0 || ctx.characters[1] == ctx.characters[2]) return wstring();
  object* addressee = world_->FindById(ctx.characters[2]);
  if (!addressee) return wstring();
  wstring prefix = addressee->Name();
  prefix += u": ";
  return prefix;
}

wstring session::ValueText(const value& v, context& ctx) const {
  bool missing_form = false;
  return v.ToString(world_.get(), &ctx, nullptr, text_all, missing_form);
}

value session::RunNestedCommand(context& ctx, const wstring& text, wstring* error_reply, command_phase* phase) {
  nesting_guard nesting(nested_commands_, max_nested_commands);
  parsed_string input(*world_, interpreter_, engine_.Rules());
  input.last_input = &engine_.last_input;
  value result = run_player_command(input, ctx, text, in_game, phase);
  if (error_reply && is_parse_failure(result)) {
    if (has_message(result))
      *error_reply = result.Text();
    else
      *error_reply = ParserReply(input, ctx);
  }
  return result;
}
