#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>

#include <memory>
#include <optional>
#include <vector>

#include "command_abbreviations.h"
#include "command_journal.h"
#include "dictionary.h"
#include "full_log.h"
#include "interpreter.h"
#include "line_rewrite.h"
#include "output_pool.h"
#include "parsed_string.h"
#include "player_command.h"
#include "random_source.h"
#include "session_host.h"
#include "world.h"
#include "world_services.h"
#include "world_snapshots.h"
#include "wstring.h"

class kiv_engine;
class location;
class object;

// One running game for one player of the host. Its fields other than
// those of the session list are touched only by the worker thread.
class session : public log_collector {
 public:
  session(kiv_engine& engine, int32_t id);
  ~session() override;

  int32_t Id() const { return id_; }

  // Runs the current command as one turn and hands its output to the host;
  // a failing turn becomes a crash report and the session stays usable.
  void SessionProcess();

  // Sets the user and the game for a fresh start, discarding the game that
  // runs now.
  void ReplaceGame(const wstring& user, const wstring& game_file);
  // The next turn starts the game by replaying this journal (journal_file
  // text) instead; a journal that does not fit the game starts it afresh.
  void ResumeFrom(const wstring& journal_text) { resume_journal_ = journal_text; }
  // A replay is rebuilding the world: nothing reaches the host or the logs.
  bool Replaying() const { return replaying_; }

  // Writes a line to the session log, or holds it back with the start
  // header until the first command runs.
  void Log(const wstring& text);
  // The folder the logs are written under.
  const wstring& BaseFolder() const { return base_folder_; }
  // The session log on disk; empty before the game starts.
  wstring LogPath() const;
  // The full-log row of a crash of the current command.
  full_log_row CrashRow(const wstring& report) const;

  // log_collector: the world's lines for the session log wait with the
  // start header.
  bool Collect(const wstring& file_name, const wstring& text) override;

  // Parses and runs a command that game code gives (a line that is no code,
  // a command told to a character) with readings of its own, so that the
  // turn's readings stay intact; the result, and for a command that was not
  // understood its error reply when asked for.
  value RunNestedCommand(context& ctx, const wstring& text, wstring* error_reply, command_phase* phase = nullptr);

  wstring user_name;
  wstring restart_game_file;
  wstring start_game_file;
  wstring log_name;
  wstring log_buffer;
  full_log_row full_log;
  wstring current_command;
  output_pool output;
  // The current command after parsing; made with the world.
  std::unique_ptr<parsed_string> parsed_input;
  bool parsed = false;
  bool paranoid_analysis = false;
  wstring ide_reply;
  wstring ide_command_tree;
  bool in_game = false;

 private:
  // How a step of the turn lets the turn go on.
  enum class turn_flow { go_on, end, restart };

  // Nested player commands deeper than this are refused: game code that
  // tells characters to tell each other would otherwise recurse.
  static constexpr int max_nested_commands = 8;
  // A location's entering event may send the player on this many times in
  // one turn.
  static constexpr int max_moves = 3;
  // A game whose start asks for a restart again and again would hold the
  // worker for ever.
  static constexpr int max_restarts = 8;

  // ---- the turn (session_turn.cpp) ----
  // The player turn: restarts it as often as the game asks.
  void Execute();
  // One pass of the turn; restart when the game is to begin anew.
  turn_flow PlayTurn();
  void BeginTurn();
  // The context the command runs in: the player's location, or the world
  // (then the version banner is shown and the player is out of the game).
  context& ChooseContext();
  // The context's characters for a turn of the player.
  void ResetCharacters(context& ctx) const;
  // What the game code asked the session for by the state 5 signal.
  void PrepareRestart();

  // ---- service commands (service_commands.cpp) ----
  // The command text, lower case and normalised, as service commands and
  // abbreviations are compared.
  static wstring Normalised(const wstring& command);
  void LogComment();
  void LogCommandLine();
  // Drops a leading "/" or "\": the command is game code; true then.
  bool TakeCodeMark();
  static bool IsRestart(const wstring& normalised);
  void RestartGame();
  void ExpandAbbreviation(wstring& normalised);
  // The full command a short one stands for («с»: «на север»), for an
  // action of a line; the text itself otherwise.
  wstring Unabbreviated(const wstring& text) const;
  // "test", "out game", "paranoia": true when the command was one of them.
  bool RunServiceCommand(const wstring& normalised);

  // ---- undo, saves and the journal (journal_commands.cpp) ----
  // "отмена", "сохранить", "загрузить", "сохранения" and their English
  // names, unless the game declares the word itself: true when the
  // command was one of them.
  bool RunJournalCommand(const wstring& normalised, bool code_mode);
  void Undo(bool code_mode);
  void SaveGame(const wstring& name);
  void RestoreGame(const wstring& name);
  void ListSaves();
  journal_file CurrentJournal() const;
  // Why a journal cannot be replayed into this game; empty when it can.
  wstring JournalMismatch(const journal_file& file) const;
  // The world the journal's commands lead to: from the nearest snapshot
  // when one fits, else replayed into a fresh world.
  void Rebuild(const journal_file& file);
  void GoOnFrom(const world_snapshots::snapshot& start, const journal_file& file);
  // Keeps a copy of the world as it stands before the next command.
  void KeepSnapshot(bool at_save);
  // A fresh world of the game rebuilt by the journal's commands.
  void Replay(const journal_file& file);
  void ReplayTurn(const wstring& command);
  // The first turn of a session the host resumes.
  void Resume();
  // Tells the host the journal when it changed.
  void NotifyJournal();
  // Before a command reaches the journal: a snapshot when one is due, and
  // the state it starts from.
  void PrepareJournalEntry();
  // After the command's turn: undo counts it when it was understood and
  // changed the game.
  void CountIfChanged();

  // ---- the command itself (session_command.cpp) ----
  turn_flow RunCommand(context& ctx, wstring normalised, bool code_mode, value& pending);
  value EvaluateCode(context& ctx);
  void PrintCodeValue(context& ctx, const value& result);
  // Stops the turn when the location refuses commands ("_check_npc").
  bool CharacterRefuses(context& ctx);
  // The reply to a result that did something or failed; false when the
  // command was not understood (its reply explains the reading), which
  // undo then does not count.
  bool ReplyToFailure(context& ctx, const value& result);
  bool ReplyToResult(context& ctx, const value& result);
  // Why a command was not understood, as the player reads it.
  wstring ParserReply(parsed_string& input, context& ctx) const;
  // "Name: " of the character speaking, when one is addressed.
  wstring SpeakerPrefix(const context& ctx) const;
  wstring ValueText(const value& v, context& ctx) const;

  // ---- the player's line (player_line.cpp) ----
  // What the player's earlier commands leave for the next: the things they
  // named, latest first (for pronouns), the things one command acted on
  // each in turn, and the command a reply «неоднозначно: …» asked about
  // with that reply.
  struct player_memory {
    std::vector<op_value> named;
    std::vector<op_value> group;
    typed_words question;
    wstring ambiguity;
  };
  // The characters of a context (who acts, speaks and is spoken to), kept
  // to be put back.
  struct kept_characters {
    explicit kept_characters(const context& ctx) { std::copy(std::begin(ctx.characters), std::end(ctx.characters), ids); }
    void RestoreTo(context& ctx) const { std::copy(std::begin(ids), std::end(ids), ctx.characters); }
    int32_t ids[3];
  };
  // The commands of the typed line, each run as its own turn.
  std::vector<wstring> CommandsOfLine() const;
  // The current command read and run as the player's; a command the parser
  // cannot read is tried again as the commands it stands for.
  value RunPlayerLine(context& ctx);
  bool CompleteQuestion(context& ctx, const typed_words& question, const wstring& ambiguity, value& result);
  // The rewrites of a command that was not understood; tried is set when
  // one of them parsed other lines.
  bool RunRewritten(context& ctx, const kept_characters& typed, value& result);
  bool AddCommaAfterAddress(context& ctx, typed_words& words);
  bool NamesThingInNominative(context& ctx, const typed_word& word);
  bool DropUnknownAdjectives(context& ctx, typed_words& words);
  bool IsUnknownAdjective(context& ctx, const typed_word& word);
  bool RunWithoutQuestionMark(context& ctx, const typed_words& words, bool& tried, value& result);
  bool RunWithPronoun(context& ctx, const typed_words& words, bool& tried, value& result);
  bool RunForEverything(context& ctx, const typed_words& words, bool& tried, value& result);
  bool RunJoinedCommands(context& ctx, const typed_words& words, bool& tried, value& result);
  bool RunForEachConjunct(context& ctx, const typed_words& words, bool& tried, value& result);
  bool RunInventoryQuestion(context& ctx, const typed_words& words, bool& tried, value& result);
  bool RunWithoutReferent(context& ctx, const typed_words& words, bool& tried, value& result);
  typed_words ChooseUnderstood(context& ctx, const std::vector<typed_words>& candidates);
  // Whether a text parses as an action of its own.
  bool ReadsAsAction(context& ctx, const wstring& text);
  bool StartsWithVerb(context& ctx, const typed_word& word);
  // How RunForEach runs its commands: each reply under the thing's name,
  // with every refusal (labelled) or with commands not understood left out
  // and refusals told only when nothing was done («всё»: quiet).
  enum class each_mode { labelled, quiet };
  // False when no command was answered.
  bool RunForEach(context& ctx, const std::vector<wstring>& commands, each_mode mode, value& result);
  std::vector<value> ThingsEveryCommandNames(context& ctx, const kept_characters& typed,
                                             const std::vector<wstring>& commands);
  // Actions in a row, each read as if typed alone, stopping at the first
  // that fails.
  void RunInSequence(context& ctx, const std::vector<wstring>& commands, value& result);
  value RunOneOfSequence(context& ctx, const kept_characters& typed, const wstring& text);
  void CutReply(int start, std::vector<output_pool_item>& kept);
  // Where the reply starts (-1 when it needs no line break of its own).
  int StartReplyLine();
  // A line break between the replies of the commands of one line; where
  // the next reply starts (-1 when nothing was printed before).
  int SeparateFromPreviousCommand();
  void DropDoubledBreak(int mark);
  void JoinReplyToLabel(int label_end);
  bool IsPersonLikePlayer(const object& thing) const;
  bool HeldBy(const object& thing, const wstring& word, context& ctx) const;
  std::vector<const object*> ThingsNamedBy(context& ctx, const std::vector<wstring>& words);
  // Parses and, when understood, runs a command; false when not understood.
  bool TryCommand(context& ctx, const wstring& text, value& result);
  typed_words TypedWords();
  std::vector<op_value> NamedThings() const;
  void RememberNamed(const std::vector<op_value>& things);
  std::vector<op_value> Referents(const pronoun_use& use) const;
  wstring CommandForThing(context& ctx, const kept_characters& typed, typed_words words, size_t pos,
                          const op_value& thing, const wstring& cases);
  // A thing's name in a case (a letter of the key "п"), in the number it
  // was named in.
  wstring ThingInCase(const op_value& thing, char16_t grammatical_case, context& ctx) const;
  wstring IdleVerb(context& ctx) const;
  // Remembers the command a reply «неоднозначно: …» asks about.
  void NoteQuestion(const wstring& reply);

  // ---- location events (location_events.cpp) ----
  struct event_answer;
  // The player character: an object of the world; null otherwise.
  object* Player() const;
  // The player character's location: the player is an object of the world
  // lying in a location; null otherwise.
  location* PlayerLocation() const;
  turn_flow RunLocationEvents(value pending);
  event_answer CallEvent(location& place, const char16_t* english, const char16_t* russian);
  turn_flow Leave(location& here, value& pending);
  turn_flow MoveAlong(location* here, value& pending);
  turn_flow ShowScene();
  // The object tree of the player's location (or "global") for the IDE.
  void PutCurrentTree();
  // Raises the text of an event's answer that is unclear or fail.
  void FailOnRefusal(const value& answer, context& ctx) const;
  void PrintEventMessage(const value& answer);

  // ---- the development environment (development_environment.cpp) ----
  // Answers a query by a member of the IDE reply; a query names what it
  // asks about after "objtree=", "clstree=", "prplist=", "code=", "entry="
  // or "method=", or is "syntax" or "map".
  void IdeQuery(const wstring& query);
  // The object tree of a location (or "global"), then the command tree.
  void PutObjTree(const wstring& name);
  void GetClsTree(const wstring& name);
  void GetPrpList(const wstring& name);
  wstring ObjectCode(const wstring& name);
  wstring DictionaryEntry(const wstring& word);
  wstring MethodCode(const wstring& text);
  // The words of a command run as game code, for the command tree.
  void BuildCommandTree(context& ctx);
  // The entity a query names: "$" a word, "@" a class, else an object or a
  // class. Queries look and never declare, so unlike the game's lookup
  // this one leaves the dictionary alone.
  object* QueriedEntity(const wstring& name) const;
  void AddIdeMember(const char16_t* key, const wstring& json);
  void TellAuthor(const char16_t* message);
  // Keeps the reply one line of valid JSON: line feeds become the escape
  // "\r\n", carriage returns go, other control characters are escaped.
  void EscapeIdeReply();

  // ---- the world and the logs (session.cpp) ----
  void CreateWorld();
  void LoadGame(const wstring& game_file);
  // Makes the world the session's and gives it a parser.
  void AdoptWorld(std::unique_ptr<world> made);
  void DestroyWorld();
  void ReportFailure(const wstring& error);
  void Print(const wstring& text);
  void WriteHeldBackLog();

  kiv_engine& engine_;
  int32_t id_;
  wstring base_folder_;
  session_host host_;
  interpreter interpreter_;
  dictionary dictionary_;
  const command_abbreviations abbreviations_;
  std::unique_ptr<world> world_;
  int nested_commands_ = 0;
  random_stream random_{random_source::FreshSeed()};
  command_journal journal_;
  world_snapshots snapshots_;
  // The state digest before the current command, and whether the command
  // was understood (undo counts it if it also changed the game). The
  // digest after a command is the one before the next, unless the world
  // was made or replaced in between.
  uint64_t digest_before_ = 0;
  bool journal_entry_made_ = false;
  bool count_pending_ = false;
  std::optional<uint64_t> digest_now_;
  // The game file the world was loaded from, and its version (its
  // source's digest).
  wstring world_file_;
  uint64_t game_version_ = 0;
  uint64_t told_revision_ = 0;
  bool replaying_ = false;
  uint64_t replay_seed_ = 0;
  wstring resume_journal_;
  player_memory memory_;
  // Set when the turn's command was not understood or failed: the rest of
  // the line is not run.
  bool command_failed_ = false;
  // Actions joined to the turn's command that a move cut off («иди на
  // север и возьми лампу»): they run next, in the new place, as turns of
  // the same journal entry (continuing_ while they run).
  std::vector<wstring> line_rest_;
  bool continuing_ = false;
};
