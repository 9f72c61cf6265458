#pragma once

#include <cstdint>

#include "c_array.h"
#include "dispatch_budget.h"
#include "fn_candidate.h"
#include "op_value.h"
#include "token.h"
#include "wstring.h"

class context;
class parsed_string;

// An error recorded on a reading, with its weight; only the heaviest reach
// the player.
struct error_item {
  wstring text;
  int32_t weight = 0;
};

// One reading of a player's command: its tokens, some of them joined by
// combination rules. A child line is its parent with one more rule
// applied; the parsed string's token list is the parent of the root.
class token_line : public c_array<token, token> {
 public:
  // The rule index past every rule: the line is exhausted.
  static constexpr int32_t exhausted = 100500;

  // A child of parent (made from it by the parent's current application,
  // or by the caller); raises "token_line::token_line() invalid Prnt!" for
  // a missing parent.
  token_line(parsed_string& owner, token_line* parent);
  // The parsed string's token list: the line with no parent.
  explicit token_line(parsed_string& owner);
  ~token_line() override;
  token_line(const token_line&) = delete;
  token_line& operator=(const token_line&) = delete;

  parsed_string& Owner() const { return owner_; }
  token_line* Parent() const { return parent_; }
  int32_t ChildCount() const { return child_count_; }
  // Raises "token_line::~token_line() ChildCount!=0" when the line still
  // has children; called before a line is deleted.
  void CheckDeletable() const;

  // Fills the tokens: the parent's tokens before i, the parent's joined
  // token when it has any meaning, then the parent's tokens from j on.
  void TakeFromParent();
  // Continues a sibling's enumeration: its rule state (k, i, j).
  void TakeRuleState(const token_line& sibling);

  void AddError(const wstring& text, int32_t weight);
  int32_t HighestErrorWeight() const;

  // The actor, speaker and addressee of the reading, copied to and from
  // the command context.
  void CopyCharactersFrom(const context& ctx);
  void CopyCharactersTo(context& ctx) const;

  // Function dispatch
  // The first subset of a candidate's arguments (all of them); each next
  // one leaves out another combination of the optional arguments, counting
  // down over them as a binary number. False when none is left.
  static uint32_t FirstSubset(const fn_args& args);
  static bool NextSubset(const fn_args& args, uint32_t& subset);
  // Binds the subset's arguments to the tokens from first on, one per
  // token (token::argument): the declaration order first, then every other
  // valid order. A token fits its argument by type and key; a preposition is
  // followed by the next argument of the subset; strings keep their order.
  bool FirstPlacement(int first, const fn_candidate& fn, uint32_t subset, dispatch_budget& budget);
  bool NextPlacement(int first, const fn_candidate& fn, uint32_t subset, dispatch_budget& budget);
  // The meanings of the bound tokens (token::meaning): each token's
  // best-graded fitting meaning first; NextValues moves on like an odometer,
  // the first token fastest, and answers false once every combination was
  // given.
  void FirstValues(int first, int count, const fn_args& args);
  bool NextValues(int first, int count, const fn_args& args);
  // Drops the meanings of the tokens from first on whose marks (op_value::
  // fits or op_value::succeeded) name no candidate of the line.
  void RemoveValueWithoutFn(int first, int count, c_array<int32_t, int32_t> op_value::*marks);
  // Whether the meaning fits the argument by type and key pattern.
  static bool Fits(const op_value& meaning, const fn_arg& arg);

  // The line-level phases of the chosen reading.
  void Execute(context& ctx, op_value& result);
  void Remember(context& ctx, op_value& result);

  // The rule state: rule index k, position i and end j of the application
  // being tried.
  int32_t k = 0;
  int32_t i = 0;
  int32_t j = 0;
  // The result of the application at (k, i, j).
  token joined;
  // The sum of the weights of the tokens the last application joined.
  int32_t score = 0;
  // Sorted by weight.
  c_array<error_item, error_item> errors;
  // Actor, speaker and addressee (entity identifiers), as in context.
  int32_t characters[3] = {0, 0, 0};
  // The function rules' candidates for this line.
  c_array<fn_candidate, fn_candidate> candidates;
  // The next serial number for a candidate.
  int32_t next_candidate_serial = 1;

 private:
  // Function dispatch: the placement search from token p on, trying
  // arguments from start for it; the arguments the tokens before p hold.
  bool SearchPlacement(int first, const fn_candidate& fn, uint32_t subset, int p, int start,
                       dispatch_budget& budget);
  bool CanPlace(int first, const fn_candidate& fn, uint32_t subset, int p, int argument) const;
  uint32_t PlacedBefore(int first, int p) const;

  parsed_string& owner_;
  token_line* parent_;
  int32_t child_count_ = 0;
};
