// Undo, saved games and the journal that carries both: the commands that
// reached the game since its world started, replayed into a fresh world.

#include <string_view>

#include "failure_text.h"
#include "kiv_engine.h"
#include "save_folder.h"
#include "session.h"

namespace {

enum class journal_verb { none, undo, save, restore, list };

struct verb_name {
  std::u16string_view word;
  journal_verb verb;
};

constexpr verb_name verb_names[] = {
    {u"отмена", journal_verb::undo},      {u"отменить", journal_verb::undo},   {u"undo", journal_verb::undo},
    {u"сохранить", journal_verb::save},   {u"save", journal_verb::save},       {u"загрузить", journal_verb::restore},
    {u"restore", journal_verb::restore},  {u"сохранения", journal_verb::list}, {u"saves", journal_verb::list},
};

journal_verb verb_of(const wstring& word) {
  for (const verb_name& name : verb_names)
    if (std::u16string_view(word.Text()) == name.word) return name.verb;
  return journal_verb::none;
}

// "«name»" for replies.
wstring quoted(const wstring& text) {
  wstring out(u"«");
  out += text;
  out += u"»";
  return out;
}

// "Opening «name»." for replies.
wstring naming_sentence(const char16_t* opening, const wstring& name) {
  wstring sentence(opening);
  sentence += quoted(name);
  sentence += u".";
  return sentence;
}

// The default name when a player names none.
const char16_t* const default_save = u"сохранение";

// Restores what a replay changes besides the world and the journal.
class replay_scope {
 public:
  replay_scope(bool& replaying, wstring& command, wstring& log_buffer, bool& paranoid)
      : replaying_(replaying),
        command_(command),
        saved_command_(command),
        log_buffer_(log_buffer),
        saved_log_buffer_(log_buffer),
        paranoid_(paranoid),
        saved_paranoid_(paranoid) {
    replaying_ = true;
  }
  ~replay_scope() {
    replaying_ = false;
    command_ = saved_command_;
    log_buffer_ = saved_log_buffer_;
    paranoid_ = saved_paranoid_;
  }
  replay_scope(const replay_scope&) = delete;
  replay_scope& operator=(const replay_scope&) = delete;

 private:
  bool& replaying_;
  wstring& command_;
  wstring saved_command_;
  wstring& log_buffer_;
  wstring saved_log_buffer_;
  bool& paranoid_;
  bool saved_paranoid_;
};

}  // namespace

bool session::RunJournalCommand(const wstring& normalised, bool code_mode) {
  wstring line = code_mode ? normalised.Mid(1, wstring::text_end) : normalised;
  line.Trim(0);
  int space = line.Find(u' ');
  wstring word = space < 0 ? line : line.Left(space);
  wstring name = space < 0 ? wstring() : line.Mid(space + 1, wstring::text_end);
  name.Trim(0);
  journal_verb verb = verb_of(word);
  if (verb == journal_verb::none || (world_ && world_->FindWord(word))) return false;
  if (code_mode && verb != journal_verb::undo) return false;  // game code of that name
  if ((verb == journal_verb::undo || verb == journal_verb::list) && !name.IsEmpty()) return false;
  switch (verb) {
    case journal_verb::undo: Undo(code_mode); break;
    case journal_verb::save: SaveGame(name.IsEmpty() ? wstring(default_save) : name); break;
    case journal_verb::restore: RestoreGame(name.IsEmpty() ? wstring(default_save) : name); break;
    case journal_verb::list: ListSaves(); break;
    case journal_verb::none: break;
  }
  return true;
}

void session::Undo(bool code_mode) {
  int last = journal_.LastCounted();
  if (code_mode || !in_game || last < 0) {
    Print(wstring(u"Отменять нечего."));
    return;
  }
  journal_file file = CurrentJournal();
  wstring undone = file.commands[size_t(last)];
  file.commands.resize(size_t(last));
  Rebuild(file);
  Print(naming_sentence(u"Отменена команда ", undone));
}

void session::SaveGame(const wstring& name) {
  wstring safe = save_folder::SafeName(name);
  if (safe.IsEmpty()) {
    Print(wstring(u"В имени сохранения нужна хотя бы одна буква или цифра."));
    return;
  }
  save_folder saves(base_folder_, user_name);
  if (!saves.Write(safe, CurrentJournal().Format())) {
    Print(naming_sentence(u"Не удалось записать сохранение ", safe));
    return;
  }
  KeepSnapshot(true);
  Print(naming_sentence(u"Игра сохранена под именем ", safe));
}

void session::RestoreGame(const wstring& name) {
  wstring safe = save_folder::SafeName(name);
  wstring text;
  if (safe.IsEmpty() || !save_folder(base_folder_, user_name).Read(safe, text)) {
    wstring reply(u"Сохранения ");
    reply += quoted(safe.IsEmpty() ? name : safe);
    reply += u" нет. Список сохранений покажет команда «сохранения».";
    Print(reply);
    return;
  }
  journal_file file;
  wstring refusal;
  if (!journal_file::Parse(text, file))
    refusal = u"повреждено, и загрузить его нельзя.";
  else
    refusal = JournalMismatch(file);
  wstring reply(u"Сохранение ");
  reply += quoted(safe);
  if (!refusal.IsEmpty()) {
    reply += u" ";
    reply += refusal;
    Print(reply);
    return;
  }
  Rebuild(file);
  reply += u" загружено.";
  Print(reply);
}

wstring session::JournalMismatch(const journal_file& file) const {
  if (!world_) return wstring(u"не подходит: игра не загружена.");
  if (context::NormalisedName(file.game) != context::NormalisedName(world_->FilePart())) {
    wstring refusal(u"сделано в другой игре (");
    refusal += quoted(file.game);
    refusal += u"), и загрузить его в эту нельзя.";
    return refusal;
  }
  if (file.version != game_version_) return wstring(u"сделано в другой версии этой игры, и загрузить его нельзя.");
  return wstring();
}

void session::ListSaves() {
  std::vector<wstring> names = save_folder(base_folder_, user_name).Names();
  if (names.empty()) {
    Print(wstring(u"Сохранений пока нет."));
    return;
  }
  wstring reply(u"Сохранения: ");
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) reply += u", ";
    reply += quoted(names[i]);
  }
  reply += u".";
  Print(reply);
}

journal_file session::CurrentJournal() const {
  journal_file file;
  if (world_) file.game = world_->FilePart();
  file.version = game_version_;
  file.seed = journal_.Seed();
  for (const command_journal::entry& entry : journal_.Entries()) file.commands.push_back(entry.command);
  return file;
}

void session::PrepareJournalEntry() {
  if (snapshots_.Due(journal_.Entries().size(), journal_.Digest())) KeepSnapshot(false);
  digest_before_ = digest_now_ ? *digest_now_ : world_->StateDigest();
  journal_entry_made_ = true;
}

void session::CountIfChanged() {
  // A turn that put nothing in the journal (the game's start, an empty
  // command) may still have changed the world through its events.
  if (!journal_entry_made_ || !world_) {
    digest_now_.reset();
    return;
  }
  digest_now_ = world_->StateDigest();
  if (count_pending_ && *digest_now_ != digest_before_) journal_.CountLast();
}

void session::KeepSnapshot(bool at_save) {
  world_snapshots::snapshot taken;
  taken.copy = world_->Copy();
  taken.random = random_;
  taken.in_game = in_game;
  taken.game_file = world_file_;
  taken.version = game_version_;
  taken.seed = journal_.Seed();
  taken.commands = journal_.Entries().size();
  taken.digest = journal_.Digest();
  taken.counts = journal_.Counts();
  snapshots_.Keep(std::move(taken), at_save);
}

void session::Rebuild(const journal_file& file) {
  if (const world_snapshots::snapshot* start = snapshots_.Nearest(world_file_, game_version_, file.seed, file.commands))
    GoOnFrom(*start, file);
  else
    Replay(file);
  PutCurrentTree();
}

// The snapshot's world copied (the snapshot stays for later undos), then
// the commands after it replayed as Replay does.
void session::GoOnFrom(const world_snapshots::snapshot& start, const journal_file& file) {
  replay_scope scope(replaying_, current_command, log_buffer, paranoid_analysis);
  const size_t first = start.commands;
  DestroyWorld();
  AdoptWorld(start.copy->Copy());
  random_ = start.random;
  in_game = start.in_game;
  std::vector<wstring> done(file.commands.begin(), file.commands.begin() + std::ptrdiff_t(first));
  journal_.Resume(file.seed, done, start.counts);
  memory_ = player_memory();
  // Replayed turns may keep snapshots of their own, which can push this
  // one out: nothing of it is read from here on.
  for (size_t i = first; i < file.commands.size(); ++i) ReplayTurn(file.commands[i]);
  output.ForgetShownLocation();
}

// The turns run as they ran first, from the same seed; what they print
// and log is dropped, as it was shown and written then.
void session::Replay(const journal_file& file) {
  replay_scope scope(replaying_, current_command, log_buffer, paranoid_analysis);
  replay_seed_ = file.seed;
  // The world is rebuilt from the file it was loaded from: «заново» may
  // have loaded another than the one the session started last.
  const wstring start_file = start_game_file;
  start_game_file = world_file_;
  DestroyWorld();
  ReplayTurn(wstring(u"run"));
  for (const wstring& command : file.commands) ReplayTurn(command);
  start_game_file = start_file;
  output.ForgetShownLocation();
}

void session::ReplayTurn(const wstring& command) {
  current_command = command;
  // A command that failed when it was played fails again: the replay goes on.
  run_guarded([this] { Execute(); });
  output.Clear();
}

void session::Resume() {
  journal_file file;
  wstring text(resume_journal_);
  resume_journal_.Clear();
  bool parsed = journal_file::Parse(text, file);
  current_command = u"run";
  Execute();  // the game's start, to compare the game with the journal
  if (!parsed || !JournalMismatch(file).IsEmpty()) {
    Print(wstring(u"Сохранённая партия повреждена или не подходит к этой версии игры: игра начата заново."));
    return;
  }
  output.Clear();
  ide_reply.Clear();  // the tree of the start, which the replay replaces
  Replay(file);
  PutCurrentTree();
}

void session::NotifyJournal() {
  if (!world_ || replaying_ || journal_.Revision() == told_revision_) return;
  told_revision_ = journal_.Revision();
  engine_.TellJournal(*this, CurrentJournal().Format());
}
