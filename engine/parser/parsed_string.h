#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "c_array.h"
#include "op_value.h"
#include "token.h"
#include "token_line.h"
#include "tokenizer.h"
#include "wstring.h"

class context;
class interpreter;
class system_factory;
class world;

// A player's command and its readings: the line split into tokens with
// their candidate meanings, and the search that joins neighbouring tokens
// by the combination rules until one token (one meaning of the whole
// command) is left.
class parsed_string : private tokenizer {
 public:
  // The most complete readings the search collects.
  static constexpr int max_complete_lines = 20;
  // The rule index at and past which no rule exists.
  static constexpr int32_t rule_slots = 60;
  // The distance to the last preposition while there was none.
  static constexpr int32_t no_preposition = 100500;
  // A word form in the prepositional case counts only this close after a
  // preposition.
  static constexpr int32_t preposition_reach = 3;
  // Bounds of the work one command may cause: longer lines are refused
  // before their words are looked up; a search that tries more rule
  // applications or makes more readings ends with the readings it has.
  static constexpr int max_tokens = 64;
  static constexpr int32_t max_applications = 20000;
  static constexpr int32_t max_lines = 2000;
  // The replies of a command that hits those bounds.
  static constexpr const char16_t* too_long = u"слишком длинная команда.";
  static constexpr const char16_t* too_complex = u"слишком сложная команда, скажите проще.";

  // The character classes of player input, brackets "(){}[]".
  static wchar_set InputClasses();

  parsed_string(world& home, interpreter& runner, const system_factory& rules);
  ~parsed_string() override;

  // Sets the line to parse.
  void SetLine(const wstring& line);
  const wstring& Line() const { return line_; }

  // The known words of the line, described as in word-information mode;
  // the tokens are filled but no reading is searched for.
  wstring DescribeWords(context& ctx);
  // Parses the line in the command context; the result has weight 100.
  void Parsing(context& ctx, op_value& result);
  // The chosen reading's execute and remember phases.
  void Execute(context& ctx, op_value& result);
  void Remember(context& ctx, op_value& result);
  // The reply for a failed reading of the chosen line.
  void GetErrorDescription(context& ctx, wstring& reply);

  // Fills a token's meanings from its kind and text; distance: tokens
  // since the last preposition (no_preposition when none).
  void FillMeanings(context& ctx, token& t, int32_t distance);

  world& World() const { return world_; }
  interpreter& Runner() const { return runner_; }
  const system_factory& Rules() const { return rules_; }
  // The tokens as the player typed them: the parent of the root line.
  token_line& Tokens() { return *tokens_; }
  token_line* Chosen() const { return chosen_; }
  // The readings the last search completed, kept until the next line.
  const c_array<token_line*, token_line*>& CompleteLines() const { return complete_; }
  // A reading built by hand (the token list is the parent of a root line):
  // owned here until the next command, its tokens the caller's to fill; it
  // may then be made the chosen one.
  token_line& AddReading(token_line& parent) {
    lines_.push_back(std::make_unique<token_line>(*this, &parent));
    return *lines_.back();
  }
  void ChooseReading(token_line& line) { chosen_ = &line; }
  // The work the last search did: rule applications tried, lines made.
  int32_t Applications() const { return applications_; }
  int32_t LinesMade() const { return lines_made_; }

  // Set by the development environment: the known words of each line are
  // described in word_information.
  bool word_information_mode = false;
  wstring word_information;
  // What the error description leaves for the session: the error kind
  // ("word" for an unknown word) and an unknown word with no candidates.
  wstring error_kind;
  wstring unknown_word;
  // The engine's last input text; null: not recorded.
  wstring* last_input = nullptr;

 private:
  // Marks the parsed string busy while it lives; raises
  // "parsed_string::Parsing() разбор уже идёт!" when it already is.
  class busy_mark {
   public:
    explicit busy_mark(bool& flag);
    ~busy_mark() { flag_ = false; }
    busy_mark(const busy_mark&) = delete;
    busy_mark& operator=(const busy_mark&) = delete;

   private:
    bool& flag_;
  };

  // tokenizer
  bool OnLexeme(const char16_t* start, int length, bool pure_russian, char16_t kind) override;

  // Setting the line: the previous command's lines dropped, the line
  // tokenized and its tokens filled; the message of an input the tokenizer
  // refused (empty when none).
  wstring SetUpLine(context& ctx);
  void DropLines();
  void FillTokens(context& ctx);
  void CollectWordInformation();

  // The search; true when it was cut short by the bounds of work.
  bool Search(context& ctx);
  token_line* Step(context& ctx, token_line& line);
  bool HasNextApplication(const token_line& line) const;
  token_line* TryNextApplication(context& ctx, token_line& line);
  void RestoreChanged(token_line& line, bool applied) const;
  bool OverBudget() const { return applications_ >= max_applications || lines_made_ >= max_lines; }
  token_line& NewLine(token_line* parent);
  void DeleteLine(token_line& line);

  // The chosen line and the result.
  void Choose(context& ctx, bool cut_short, op_value& result);
  void ChooseOneToken(context& ctx, token_line& line, op_value& result);
  void ChooseFewestTokens(context& ctx, op_value& result);
  token_line& CopyLine(const token_line& line);
  void Fail(context& ctx, const wstring& message, op_value& result);
  op_value Result(const value& v) const;

  world& world_;
  interpreter& runner_;
  const system_factory& rules_;
  wstring line_;
  std::unique_ptr<token_line> tokens_;
  // Every line of the current command, owned here; complete lines keep
  // their ancestors alive.
  std::vector<std::unique_ptr<token_line>> lines_;
  c_array<token_line*, token_line*> complete_;
  token_line* chosen_ = nullptr;
  // The normalised English and Russian names of the keywords a word's
  // classes may stand for, two per code from kw::result_no on.
  c_array<wstring, wstring> keyword_names_;
  // Set when the line had more than max_tokens tokens.
  bool too_long_ = false;
  // The work of the current search.
  int32_t applications_ = 0;
  int32_t lines_made_ = 0;
  // Set while a search or a phase of the chosen reading runs: game code
  // they run must parse with a parsed string of its own, as a new line
  // would drop the readings in use.
  bool busy_ = false;
};
