// The commands a session answers itself, before the game hears them:
// comments, code mode, restart, abbreviations, "test", leaving the game and
// strict error analysis.

#include "session.h"

wstring session::Normalised(const wstring& command) {
  wstring normalised(command);
  normalised.ToLower(true);
  return normalised;
}

void session::LogComment() {
  wstring line(u"\r\n");
  line += current_command;
  Log(line);
  full_log.fields[full_log_row::outcome] = u"*";
  full_log.Write(base_folder_);
}

void session::LogCommandLine() {
  wstring line(u"------------------\r\n> ");
  line += current_command;
  Log(line);
}

bool session::TakeCodeMark() {
  if (current_command[0] != u'/' && current_command[0] != u'\\') return false;
  current_command = current_command.Mid(1, wstring::text_end);
  return true;
}

bool session::IsRestart(const wstring& normalised) { return normalised == u"restart" || normalised == u"заново"; }

void session::RestartGame() {
  LoadGame(restart_game_file);
  current_command.Clear();
}

wstring session::Unabbreviated(const wstring& text) const {
  const wstring* expansion = abbreviations_.Expansion(Normalised(text));
  return expansion ? *expansion : text;
}

void session::ExpandAbbreviation(wstring& normalised) {
  const wstring* expansion = abbreviations_.Expansion(normalised);
  if (!expansion) return;
  normalised = *expansion;
  current_command = *expansion;
}

bool session::RunServiceCommand(const wstring& normalised) {
  if (normalised == u"test") {
    Print(world_->prepforms.Listing());
    return true;
  }
  if (normalised == u"out game" || normalised == u"вне игры") {
    in_game = false;
    Print(wstring(u"вы вне игры."));
    return true;
  }
  if (normalised == u"paranoia" || normalised == u"паранойя") {
    paranoid_analysis = !paranoid_analysis;
    wstring answer(paranoid_analysis ? u"в" : u"от");
    answer += u"ключен параноидальный анализ ошибок";
    Print(answer);
    return true;
  }
  return false;
}
