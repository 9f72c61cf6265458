#include "session.h"


#include "failure_text.h"
#include "kiv_engine.h"
#include "keyword_table.h"
#include "log_file.h"
#include "block.h"
#include "statements.h"

namespace {

wstring today() {
  wstring date;
  date.AddDateTime(true, false, false);
  return date;
}

wstring start_header() {
  wstring header(u"\r\n\r\n== ");
  header.AddDateTime(true, true, true);
  header += u" ====================================\r\n";
  return header;
}

// A user name as a file name: folder separators would reach outside the
// logs folder.
wstring log_name_for(const wstring& user) {
  wstring file(user);
  file.Replace(u'/', u"_");
  file.Replace(u'\\', u"_");
  wstring name(u"logs\\");
  name += file;
  name += u".log";
  return name;
}

// A game file's name within its folder: what crash reports show of it,
// since the folders above are the host's business.
wstring file_part(const wstring& path) {
  int start = path.Length();
  while (start > 0 && path[start - 1] != u'/' && path[start - 1] != u'\\') --start;
  return path.Mid(start, wstring::text_end);
}

}  // namespace

session::session(kiv_engine& engine, int32_t id)
    : engine_(engine),
      id_(id),
      host_(engine, *this),
      interpreter_(host_),
      dictionary_(engine.DictionaryFile(), &engine.current_dictionary_entry) {}

// The readings refer to the world's entities: they go first.
session::~session() { parsed_input.reset(); }

void session::SessionProcess() {
  output.Clear();
  // A failing turn is reported where it failed, before its output is
  // flushed, so the report still names the file being read.
  ReportFailure(run_guarded([this] { Execute(); }));
  engine_.current_file.Clear();
  engine_.current_dictionary_entry.Clear();
  engine_.current_article_code.Clear();
  engine_.current_code = u"session::SessionProcess() - вывод текста";
  wstring flush_error = run_guarded([this] { engine_.FlushOutput(*this); });
  if (flush_error.IsEmpty()) engine_.current_code.Clear();
  if (!ide_reply.IsEmpty()) {
    engine_.Print(id_, u"ide", ide_reply);
    ide_reply.Clear();
  }
  ReportFailure(flush_error);
}

void session::ReportFailure(const wstring& error) {
  if (!error.IsEmpty()) engine_.ReportCrash(*this, error);
}

void session::ReplaceGame(const wstring& user, const wstring& game_file) {
  game_started_ = false;
  parsed_input.reset();
  world_.reset();
  user_name = user;
  start_game_file = restart_game_file = game_file;
}

void session::Log(const wstring& text) {
  wstring line(text);
  line += u"\r\n";
  if (!log_buffer.IsEmpty())
    log_buffer += line;
  else if (!log_name.IsEmpty())
    append_to_log(base_folder_, log_name.Text(), line);
}

wstring session::LogPath() const { return log_name.IsEmpty() ? wstring() : log_path(base_folder_, log_name.Text()); }

full_log_row session::CrashRow(const wstring& report) const {
  full_log_row row;
  row.fields[full_log_row::outcome] = u"crash";
  row.fields[full_log_row::command] = current_command;
  row.fields[full_log_row::transcript] = report;
  row.fields[full_log_row::user] = user_name;
  row.fields[full_log_row::date] = today();
  return row;
}

void session::WriteHeldBackLog() {
  if (log_buffer.IsEmpty()) return;
  append_to_log(base_folder_, log_name.Text(), log_buffer);
  log_buffer.Clear();
}

void session::Print(const wstring& text) { engine_.CallHostFunction(*this, u"print", nullptr, text.Text(), nullptr); }

void session::Execute() {
  full_log.Clear();
  full_log.fields[full_log_row::date] = today();
  full_log.fields[full_log_row::user] = user_name;
  full_log.fields[full_log_row::command] = current_command;
  if (!game_started_) {
    StartGame();
    current_command.Clear();
  }
  if (current_command.IsEmpty()) return;
  if (current_command[0] == u'*') {
    wstring comment(u"\r\n");
    comment += current_command;
    Log(comment);
    full_log.fields[full_log_row::outcome] = u"*";
    full_log.Write(base_folder_);
    return;
  }
  // A leading "/" or "\\" asks for game code.
  bool code_mode = current_command[0] == u'/' || current_command[0] == u'\\';
  if (code_mode) current_command = current_command.Mid(1, current_command.Length());
  WriteHeldBackLog();
  wstring command_line(u"------------------\r\n> ");
  command_line += current_command;
  Log(command_line);
  location* place = PlayerLocation();
  if (place && in_game && !code_mode) {
    RunInGame(*place);
    return;
  }
  RunAsCode(current_command);
  full_log.fields[full_log_row::outcome] = u"Ok";
}

void session::RunAsCode(const wstring& code) {
  host_.StartCommand();
  interpreter_.StartCommand();
  block line_owner;
  int line_index = 0;
  value result = RunStatement(interpreter_, *world_, code, false, true, line_index, line_owner);
  if (output.PrintedOutsideLocation()) Print(wstring(u"\n"));
  if (result.Type() == kw::type_keyword && result.Code() == kw::type_null) {
    Print(wstring(u"пусто"));
    return;
  }
  bool missing_form = false;
  Print(result.ToString(world_.get(), world_.get(), nullptr, text_all, missing_form));
}

void session::StartGame() {
  parsed_input.reset();
  world_ = std::make_unique<world>(wstring(u"world"));
  world_->SetRunner(&interpreter_);
  world_->SetOperatorHost(&host_);
  world_->dictionary = &dictionary_;
  world_->file_label = &engine_.current_file;
  parsed_input = std::make_unique<parsed_string>(*world_, interpreter_, engine_.Rules());
  parsed_input->last_input = &engine_.last_input;
  // The world stays even when its game fails to load: later commands run
  // in it, and a restart loads the game again.
  game_started_ = true;
  in_game = true;
  engine_.current_file = file_part(start_game_file);
  world_->SetFileName(disk_path(start_game_file));
  base_folder_ = world_->Directory();
  log_name = log_name_for(user_name);
  engine_.PrepareFaultReport(*this);  // now that the logs have their folder
  log_buffer = start_header();
  full_log.fields[full_log_row::outcome] = u"start";
  output.ForgetShownLocation();
  Print(wstring(u"<location>КИВ: движок русских текстовых игр.</location>"));
  host_.StartCommand();
  interpreter_.StartCommand();
  world_->Load();
  engine_.current_file.Clear();
}
