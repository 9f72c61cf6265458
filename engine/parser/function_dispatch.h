#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "c_array.h"
#include "dispatch_budget.h"
#include "fn_candidate.h"
#include "token_line.h"
#include "value.h"
#include "wstring.h"

class context;
class key_matrix;
class fn_it;
class interpreter;
class world;

// A character other than the player acting on a command speaks to the
// one who told it: the speaker becomes the actor and the addressee the
// former speaker, while the action is checked and while it runs.
void speak_as_actor(context& fresh, int32_t player);

// One application of a function rule of a kind on a line at its position:
// the functions whose arguments fit the tokens are found, bound in every
// way and run through their parsing and check sections; the line's joined
// token receives what they answer, or the line the errors.
class fn_dispatch {
 public:
  // value_pattern: the keys a token must have to be a value.
  fn_dispatch(const key_matrix& value_pattern, context& ctx, token_line& line, int kind);
  bool Apply();

 private:
  // Matching: the tokens from the position on narrowed to values and typed,
  // the candidates found and grown over them; the count of matched tokens.
  int MatchTokens();
  void AddCandidatesOf(const token& verb);
  void GrowCandidates(int a, token& t);
  void DropUnplacedCandidates();
  // The parsing phase, the choice among the candidates that passed it, and
  // the check phase.
  void ParseCandidates();
  void TryParsing(fn_candidate& fn, int count);
  void Choose();
  bool Dominates(const fn_candidate& a, const fn_candidate& b);
  void JoinCoveredTokens();
  void CheckCandidates();
  void TryCheck(fn_candidate& fn, int count);
  void CheckBinding(fn_candidate& fn, int count);
  bool CheckAction(const fn_candidate& fn, context& fresh, object* act, value& answer);
  void TakeAnswer(fn_candidate& fn, const value& answer, const char16_t* extra_keys);
  // The arguments and values of the binding on the line, by token.
  using binding = std::vector<std::pair<int, value>>;
  binding Binding(int count) const;
  bool AlreadySucceeded(const binding& b) const;
  bool Outcome();
  void TakeQuestionMark();

  // Calls visit(count) for every binding of the candidate: argument subsets
  // (only those of `exact` arguments when exact is not 0), placements and
  // meaning combinations.
  template <class Visit>
  void ForEachBinding(const fn_candidate& fn, int exact, Visit visit);

  const fn_it& Code(const fn_candidate& fn, const char16_t* missing_message) const;
  void AddError(const value& answer);
  void ErrorsToLine();
  void ClearMarks(int count);
  wstring AmbiguityText() const;
  wstring MeaningText(const value& v) const;

  const key_matrix& value_pattern_;
  context& ctx_;
  token_line& line_;
  world& home_;
  interpreter& runner_;
  int kind_;
  int first_;
  int covered_ = 0;
  // Tokens whose meanings were typed and marked.
  int touched_ = 0;
  bool any_success_ = false;
  // The distinct bindings of the candidate being checked that succeeded.
  std::vector<binding> succeeded_;
  c_array<error_item, error_item> errors_;
  dispatch_budget budget_;
};
