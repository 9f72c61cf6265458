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

  parsed_string(world& home, interpreter& runner, const system_factory& rules);
  ~parsed_string() override;

  // Sets the line to parse.
  void SetLine(const wstring& line);
  const wstring& Line() const { return line_; }

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
  // A reading built by hand (the token list is the parent of a root line):
  // owned here until the next command, its tokens the caller's to fill; it
  // may then be made the chosen one.
  token_line& AddReading(token_line& parent) {
    lines_.push_back(std::make_unique<token_line>(*this, &parent));
    return *lines_.back();
  }
  void ChooseReading(token_line& line) { chosen_ = &line; }

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
  // tokenizer
  bool OnLexeme(const char16_t* start, int length, bool pure_russian, char16_t kind) override;

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
};
