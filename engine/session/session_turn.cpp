// The player turn: what one command does in a session, step by step.

#include "kiv_engine.h"
#include "location.h"
#include "session.h"

namespace {

const char16_t* const version_banner = u"<location>КИВ: движок русских текстовых игр.</location>";

}  // namespace

void session::Execute() {
  std::vector<wstring> commands = CommandsOfLine();
  // The actions a move cut off: they go on in the new place as part of
  // the command that named them.
  std::vector<bool> continuing(commands.size(), false);
  continuing_ = false;  // a turn that failed part way may have left it set
  for (size_t n = 0; n < commands.size(); ++n) {
    const int reply_start = n == 0 ? -1 : SeparateFromPreviousCommand();
    current_command = commands[n];
    continuing_ = continuing[n];
    command_failed_ = false;
    line_rest_.clear();
    for (int restarts = 0; PlayTurn() == turn_flow::restart; ++restarts) {
      if (restarts == max_restarts) throw u"игра перезапускается снова и снова: перезапуск остановлен!";
      PrepareRestart();
      line_rest_.clear();
    }
    CountIfChanged();
    DropDoubledBreak(reply_start);
    if (command_failed_) break;
    commands.insert(commands.begin() + std::ptrdiff_t(n + 1), line_rest_.begin(), line_rest_.end());
    continuing.insert(continuing.begin() + std::ptrdiff_t(n + 1), line_rest_.size(), true);
  }
  continuing_ = false;
}

session::turn_flow session::PlayTurn() {
  BeginTurn();
  if (!world_) CreateWorld();
  const wstring normalised = Normalised(current_command);
  bool code_mode = false;
  if (!current_command.IsEmpty()) {
    if (normalised.Mid(0, 4) == u"ide=") {
      IdeQuery(normalised.Mid(4, wstring::text_end));
      return turn_flow::end;
    }
    if (current_command[0] == u'*') {
      LogComment();
      return turn_flow::end;
    }
    code_mode = TakeCodeMark();
    LogCommandLine();
    if (IsRestart(normalised)) RestartGame();
  }
  context& ctx = ChooseContext();
  ResetCharacters(ctx);
  ctx.state = context::stop_none;
  host_.StartCommand();
  interpreter_.StartCommand();
  value pending;
  if (!current_command.IsEmpty()) {
    turn_flow flow = RunCommand(ctx, normalised, code_mode, pending);
    if (flow != turn_flow::go_on) return flow;
  }
  return RunLocationEvents(pending);
}

context& session::ChooseContext() {
  if (location* place = PlayerLocation()) {
    full_log.fields[full_log_row::location] = place->Name();
    return *place;
  }
  Print(wstring(version_banner));
  in_game = false;
  return *world_;
}

void session::ResetCharacters(context& ctx) const {
  ctx.characters[0] = ctx.characters[2] = world_->player;
  ctx.characters[1] = 0;
}

// The game begins anew in a fresh world, with the game file the code asked
// for when it named one.
void session::PrepareRestart() {
  if (!host_.PendingRun().IsEmpty()) {
    start_game_file = host_.PendingRun();
    host_.ClearPendingRun();
  }
  DestroyWorld();
  current_command = u"run";
}
