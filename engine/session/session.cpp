#include "session.h"

#include "failure_text.h"
#include "kiv_engine.h"
#include "log_file.h"

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
  random_source::scope draws(random_);
  // A failing turn is reported where it failed, before its output is
  // flushed, so the report still names the file being read.
  ReportFailure(run_guarded([this] {
    if (resume_journal_.IsEmpty())
      Execute();
    else
      Resume();
  }));
  NotifyJournal();
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
  DestroyWorld();
  snapshots_.Clear();
  user_name = user;
  start_game_file = restart_game_file = game_file;
}

void session::Log(const wstring& text) {
  if (replaying_) return;
  wstring line(text);
  line += u"\r\n";
  if (!log_buffer.IsEmpty())
    log_buffer += line;
  else if (!log_name.IsEmpty())
    append_to_log(base_folder_, log_name.Text(), line);
}

bool session::Collect(const wstring& file_name, const wstring& text) {
  if (replaying_) return true;  // written when the command first ran
  if (log_buffer.IsEmpty()) return false;
  wstring name(file_name);
  name.Replace(u'/', u"\\");
  if (context::NormalisedName(name) != context::NormalisedName(log_name)) return false;
  log_buffer += text;
  return true;
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

void session::BeginTurn() {
  full_log.Clear();
  full_log.fields[full_log_row::date] = today();
  full_log.fields[full_log_row::user] = user_name;
  full_log.fields[full_log_row::command] = current_command;
  host_.ClearPendingRun();  // a run asked for by a command that came to nothing
  // What a command's continuation changes counts with the command.
  if (continuing_) return;
  count_pending_ = false;
  journal_entry_made_ = false;
}

void session::WriteHeldBackLog() {
  if (log_buffer.IsEmpty() || replaying_) return;
  append_to_log(base_folder_, log_name.Text(), log_buffer);
  log_buffer.Clear();
}

void session::Print(const wstring& text) { engine_.CallHostFunction(*this, u"print", nullptr, text.Text(), nullptr); }

// The world is made and the game started; its start is held back in the
// session log until the first command.
void session::CreateWorld() {
  LoadGame(start_game_file);
  log_buffer = start_header();
  full_log.fields[full_log_row::outcome] = u"start";
  current_command.Clear();
}

// A fresh world for the game file, with the session's services. The world
// stays even when its game fails to load: later commands run in it, and a
// restart loads the game again.
void session::LoadGame(const wstring& game_file) {
  DestroyWorld();
  auto made = std::make_unique<world>(wstring(u"world"));
  made->SetRunner(&interpreter_);
  made->SetOperatorHost(&host_);
  made->dictionary = &dictionary_;
  made->collector = this;
  made->file_label = &engine_.current_file;
  AdoptWorld(std::move(made));
  in_game = true;
  engine_.current_file = file_part(game_file);
  world_->SetFileName(disk_path(game_file));
  base_folder_ = world_->Directory();
  log_name = log_name_for(user_name);
  engine_.PrepareFaultReport(*this);  // now that the logs have their folder
  output.ForgetShownLocation();
  host_.StartCommand();
  interpreter_.StartCommand();
  uint64_t seed = replaying_ ? replay_seed_ : random_source::FreshSeed();
  random_.Reseed(seed);
  journal_.Start(seed);
  count_pending_ = journal_entry_made_ = false;
  memory_ = player_memory();  // the things named belong to the old world
  world_file_ = game_file;
  world_->Load();
  game_version_ = world_->source_digest;
  engine_.current_file.Clear();
}

void session::AdoptWorld(std::unique_ptr<world> made) {
  world_ = std::move(made);
  digest_now_.reset();
  parsed_input = std::make_unique<parsed_string>(*world_, interpreter_, engine_.Rules());
  parsed_input->last_input = &engine_.last_input;
}

void session::DestroyWorld() {
  parsed_input.reset();
  parsed = false;
  world_.reset();
}
