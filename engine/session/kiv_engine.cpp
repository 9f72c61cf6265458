#include "kiv_engine.h"

#include "failure_text.h"
#include "log_file.h"
#include "message_box.h"
#include "random_source.h"

#include <cstdlib>
#include <string_view>

namespace {

const char16_t* const list_busy = u"Не удалось захватить список сессий!";

// Owns the engine for the library's lifetime. The library is unloaded
// only when no worker holds it, so a worker still alive here means the
// process is ending: the engine is left to it.
struct engine_holder {
  kiv_engine* engine = nullptr;
  ~engine_holder() {
    if (!engine) return;
    if (engine->WorkerAlive()) {
      engine->LeaveAtProcessExit();
      return;
    }
    engine->Exit();
    delete engine;
  }
} holder;

std::string ansi_bytes(wstring text) {
  const char* bytes = text.ToAnsi();
  return bytes ? bytes : "";
}

}  // namespace

kiv_engine& kiv_engine::Instance() {
  static kiv_engine* engine = holder.engine = new kiv_engine;
  return *engine;
}

kiv_engine::~kiv_engine() = default;

ext_fn_item* kiv_engine::RegisterName(const wstring& name, int32_t kind, int32_t argument_count) {
  ext_fn_item& entry = registry_.Entry(host_registry::NormalisedName(name));
  entry.kind = uint8_t(kind & 0xFF);
  entry.argument_count = argument_count;
  return &entry;
}

int32_t kiv_engine::RegisterWide(const char16_t* name, kiv_host_function fn, int32_t kind,
                                 int32_t argument_count) {
  if (!name || !*name) return KIV_REG_NO_NAME;
  if (!fn) return KIV_REG_NO_FUNCTION;
  wstring normalised = host_registry::NormalisedName(name);
  if (normalised == u"print")
    print_ = fn;
  else if (normalised == u"speech")
    speech_ = fn;
  std::lock_guard lock(registry_mutex_);
  ext_fn_item* entry = RegisterName(normalised, kind, argument_count);
  entry->wide_function = fn;
  return KIV_REG_OK;
}

int32_t kiv_engine::RegisterAnsi(const char* name, kiv_host_function_ansi fn, int32_t kind,
                                 int32_t argument_count) {
  if (!name || !*name) return KIV_REG_NO_NAME;
  if (!fn) return KIV_REG_NO_FUNCTION;
  wstring normalised = host_registry::NormalisedName(wstring(name));
  kiv_host_function wide = nullptr;
  if (normalised == u"print") {
    ansi_print_ = fn;
    print_ = wide = &kiv_engine::PrintThroughAnsi;
  } else if (normalised == u"speech") {
    speech_ = nullptr;  // an 8-bit host gets no speech from flushes
  }
  std::lock_guard lock(registry_mutex_);
  ext_fn_item* entry = RegisterName(normalised, kind, argument_count);
  entry->wide_function = wide;
  entry->ansi_function = fn;
  return KIV_REG_OK;
}

// The print callback of a host that registered an 8-bit "print".
const char16_t* kiv_engine::PrintThroughAnsi(int32_t session_id, const char16_t* first,
                                             const char16_t* second) {
  kiv_engine& engine = Instance();
  kiv_host_function_ansi print = engine.ansi_print_;
  if (!print) return nullptr;
  wstring first_text(first), second_text(second);
  const char* result = print(session_id, first_text.ToAnsi(), second_text.ToAnsi());
  engine.ansi_result_ = wstring(result);
  return engine.ansi_result_.Text();
}

bool kiv_engine::Init(void* const* plugins) {
  if (!print_) {
    show_message_box(u"Не зарегистрированы интерфейсные функции kiv.dll!", u"Error");
    return false;
  }
  if (running_) return true;  // one worker serves every session
  // A worker that outlived Exit still serves the sessions; a second one
  // beside it would serve them too.
  if (worker_.Running()) {
    show_message_box(u"Рабочий поток ядра КИВ ещё не завершился.", u"Error");
    return false;
  }
  worker_.Leave();  // a worker left by Exit that has ended since
  fault_handler_.Install();
  stop_.Reset();
  random_source::Reseed();
  plugin_handles handles{};
  if (plugins) std::copy(plugins, plugins + KIV_PLUGIN_SLOTS, handles.begin());
  worker_left_ = false;
  const char* prompt = std::getenv("KIV_PROMPT_WORKER");
  prompt_worker_ = prompt && std::string_view(prompt) == "1";
  command_arrived_.Reset();
  if (!worker_.Start([this, handles] { WorkerMain(handles); })) {
    show_message_box(u"Не удалось создать рабочий поток ядра КИВ.", u"Error");
    return false;
  }
  running_ = true;
  return true;
}

const char16_t* kiv_engine::Run(int32_t id, const char16_t* user_name, const char16_t* game_file) {
  if (!game_file || !*game_file) return u"не указан файл игры!";
  std::unique_lock lock(list_mutex_, std::defer_lock);
  if (!running_ || !lock.try_lock_for(lock_wait)) return list_busy;
  wstring user(user_name), game(game_file);
  int pos;
  if (!sessions_.Find(id, pos)) {
    AddSession(pos, id, user, game);
    return nullptr;
  }
  session_item& item = sessions_[pos];
  if (!item.owned_session) return u"Run() - invalid Session!";
  if (item.release_pending) return u"Сессия завершается!";
  if (item.game_file == game) return nullptr;  // a running game is not restarted
  item.game_file = game;
  item.switch_user = user;
  item.switch_pending = true;
  item.pending_command = u"run";
  if (prompt_worker_) command_arrived_.Set();
  return nullptr;
}

const char16_t* kiv_engine::Resume(int32_t id, const char16_t* user_name, const char16_t* game_file,
                                   const char16_t* journal) {
  if (!game_file || !*game_file) return u"не указан файл игры!";
  if (!journal || !*journal) return u"не указан журнал игры!";
  std::unique_lock lock(list_mutex_, std::defer_lock);
  if (!running_ || !lock.try_lock_for(lock_wait)) return list_busy;
  int pos;
  if (sessions_.Find(id, pos)) return u"Сессия уже существует!";
  AddSession(pos, id, wstring(user_name), wstring(game_file)).resume_journal = journal;
  return nullptr;
}

session_item& kiv_engine::AddSession(int pos, int32_t id, const wstring& user, const wstring& game) {
  auto created = std::make_unique<session>(*this, id);
  created->user_name = user;
  created->start_game_file = created->restart_game_file = game;
  session_item& item = sessions_.Insert(pos, id);
  item.owned_session = std::move(created);
  item.game_file = game;
  item.pending_command = u"run";
  if (prompt_worker_) command_arrived_.Set();
  return item;
}

const char16_t* kiv_engine::Release(int32_t id) {
  std::unique_lock lock(list_mutex_, std::defer_lock);
  if (!running_ || !lock.try_lock_for(lock_wait)) return list_busy;
  session_item* item = sessions_.Get(id);
  if (!item || !item->owned_session) return u"Сессия не найдена!";
  item->release_pending = true;
  if (prompt_worker_) command_arrived_.Set();
  return nullptr;
}

const char16_t* kiv_engine::Input(int32_t id, const char16_t* command) {
  std::unique_lock lock(list_mutex_, std::defer_lock);
  if (!running_ || !lock.try_lock_for(lock_wait)) return list_busy;
  session_item* item = sessions_.Get(id);
  if (!item || !item->owned_session || item->release_pending) return u"Сессия не найдена!";
  if (!item->pending_command.IsEmpty()) return u"Предыдущая команда не обработана!";
  item->pending_command = command;
  if (prompt_worker_) command_arrived_.Set();
  return nullptr;
}

bool kiv_engine::Exit() {
  stop_.Set();
  command_arrived_.Set();
  running_ = false;
  // The turn that holds a worker past the wait ends at its next check of
  // the stop event; the engine outlives it, since the worker holds the
  // library.
  if (worker_.Joinable() && !worker_.WaitForEnd(exit_wait)) LeaveWorker();
  ForgetHost();
  return true;
}

void kiv_engine::LeaveAtProcessExit() {
  stop_.Set();
  running_ = false;
  LeaveWorker();
  ForgetHost();
}

void kiv_engine::ForgetHost() {
  print_ = nullptr;
  speech_ = nullptr;
  ansi_print_ = nullptr;
  std::lock_guard lock(registry_mutex_);
  registry_.Clear();
}

// The plug-ins may be unloaded once Exit returns: a worker left running
// must not call them.
void kiv_engine::LeaveWorker() {
  {
    std::lock_guard lock(plugin_exit_mutex_);
    worker_left_ = true;
  }
  worker_.Leave();
}

void kiv_engine::PrintAnsi(const char* text) {
  if (kiv_host_function_ansi ansi_print = ansi_print_) {
    ansi_print(0, "print", text);
  } else if (kiv_host_function print = print_) {
    wstring converted(text);
    print(0, u"print", converted.Text());
  }
}

void kiv_engine::Print(int32_t session_id, const char16_t* channel, const wstring& text) {
  if (kiv_host_function print = print_) print(session_id, channel, text.Text());
}

bool kiv_engine::FindHostFunction(const wstring& name, ext_fn_item& found) const {
  std::lock_guard lock(registry_mutex_);
  const ext_fn_item* entry = registry_.Find(name);
  if (!entry) return false;
  found = *entry;
  return true;
}

const char16_t* kiv_engine::CallHost(const ext_fn_item& entry, int32_t session_id, const char16_t* first,
                                     const char16_t* second, wstring& ansi_result) {
  if (entry.wide_function) return entry.wide_function(session_id, first, second);
  if (!entry.ansi_function) return nullptr;
  wstring first_text(first), second_text(second);
  ansi_result = wstring(entry.ansi_function(session_id, first_text.ToAnsi(), second_text.ToAnsi()));
  return ansi_result.Text();
}

bool kiv_engine::CallHostFunction(session& s, const wstring& name, wstring* result, const char16_t* first,
                                  const char16_t* second) {
  if (result) result->Clear();
  if (Stopped()) return false;
  ext_fn_item entry;
  if (!FindHostFunction(name, entry)) return false;
  // A replayed turn's calls reached the host when the turn was played; the
  // code goes on past them now as it did then.
  if (s.Replaying()) return true;
  if (entry.kind == KIV_KIND_DEFERRED) {
    if (entry.name == u"print") {
      s.output.Add(wstring(first));
    } else {
      s.output.AddItem(output_pool::call_kind, entry.name, wstring(first));
      if (second && *second) s.output.AddItem(output_pool::call_argument_kind, wstring(second), wstring());
    }
    return true;
  }
  if (entry.kind == KIV_KIND_FLUSH_FIRST) FlushOutput(s);
  wstring ansi_result;
  const char16_t* answer = CallHost(entry, s.Id(), first, second, ansi_result);
  if (result) *result = answer;
  return true;
}

void kiv_engine::TellJournal(session& s, const wstring& journal) {
  ext_fn_item entry;
  if (Stopped() || !FindHostFunction(wstring(u"kiv.journal"), entry)) return;
  wstring ansi_result;
  CallHost(entry, s.Id(), journal.Text(), nullptr, ansi_result);
}

void kiv_engine::FlushOutput(session& s) {
  if (Stopped()) return;
  s.output.Finish();
  if (kiv_host_function speech = speech_) speech(s.Id(), s.output.GetSpeechText().Text(), nullptr);
  wstring marked, plain;
  bool in_location = false;
  wstring& transcript = s.full_log.fields[full_log_row::transcript];
  for (const output_pool_item& item : s.output.Items()) {
    if (item.kind == output_pool::call_kind) continue;
    marked += item.print_text;
    if (item.kind == output_pool::tag_kind) {
      if (item.print_text == u"<location>")
        in_location = true;
      else if (item.print_text == u"</location>")
        in_location = false;
      continue;
    }
    wstring text(item.print_text);
    text.Replace(u'`', nullptr);
    plain += text;
    if (!in_location) transcript += text;
  }
  Print(s.Id(), u"print", marked);
  s.output.Clear();
  plain.Trim(0);
  s.Log(plain);
  if (!transcript.IsEmpty()) s.full_log.Write(s.BaseFolder());
}

void kiv_engine::ReportCrash(session& s, const wstring& error) {
  wstring where(u"<location>Ошибка платформы!");
  if (!current_dictionary_entry.IsEmpty()) {
    where += u"\nСловарная статья: ";
    where += current_dictionary_entry;
  } else if (!current_file.IsEmpty()) {
    where += u"\nФайл: ";
    where += current_file;
  }
  where += u"</location>";
  Print(s.Id(), u"print", where);
  s.Log(where);

  wstring what(u"\n<font color=green>");
  const wstring& failed_line = current_dictionary_entry.IsEmpty() ? current_code : current_article_code;
  if (!failed_line.IsEmpty()) {
    wstring code(failed_line);
    code.Trim(400);
    what += code;
  }
  what += u"</font>\n<font color=red>";
  what += error;
  what += u"</font>";
  Print(s.Id(), u"print", what);
  s.Log(what);

  s.full_log.fields[full_log_row::outcome] = u"crash";
  s.full_log.fields[full_log_row::transcript] = what;
  s.full_log.Write(s.BaseFolder());
  // The turn's own text, flushed after the report, goes in a row of its own.
  s.full_log.fields[full_log_row::transcript].Clear();

  current_file.Clear();
  current_dictionary_entry.Clear();
  current_code.Clear();
  current_article_code.Clear();
  if (kiv_host_function speech = speech_) speech(s.Id(), u"Здесь ошибка!", nullptr);
}

void kiv_engine::SetCurrentLine(const wstring& line) {
  if (current_dictionary_entry.IsEmpty())
    current_code = line;
  else
    current_article_code = line;
}

void kiv_engine::PrepareFaultReport(const session& s) {
  const wstring what(u"\n<font color=green></font>\n<font color=red>плохой указатель!</font>");
  wstring log_text(u"<location>Ошибка платформы!</location>\r\n");
  log_text += what;
  log_text += u"\r\n";
  auto report = std::make_unique<fault_report>();
  report->session_log = {ansi_bytes(s.LogPath()), ansi_bytes(log_text)};
  report->full_log = {ansi_bytes(log_path(s.BaseFolder(), full_log_row::file_name)),
                      ansi_bytes(s.CrashRow(what).Format())};
  report->engine_log = {ansi_bytes(message_box_log),
                        message_box_line(u"Аппаратная ошибка", u"Приложение будет закрыто.")};
  fault_handler_.Prepare(std::move(report));
}
