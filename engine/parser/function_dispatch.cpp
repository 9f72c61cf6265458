// Function dispatch: matching the tokens to the game functions, binding
// them in every way, the parsing and check phases and the choice.

#include "function_dispatch.h"

#include <algorithm>
#include <vector>

#include "context.h"
#include "fn_list_item.h"
#include "interpreter.h"
#include "key_matrix.h"
#include "keyword_table.h"
#include "parsed_string.h"
#include "served_types.h"
#include "world.h"

namespace {

// The weight of a section's answer and of the errors it carries: that of a
// whole result.
constexpr int32_t answer_weight = meaning_weight::literal;
// The keys a fact's answer, an action's consent and a fact question get.
constexpr const char16_t* fact_keys = u"vtbvssn!";
constexpr const char16_t* action_keys = u"dtn!";
constexpr const char16_t* question_keys = u"bv";

const char16_t* const check_method_names[] = {u"check", u"проверка"};

bool is_fail(const value& v) { return v.Type() == kw::type_bool && v.Code() == kw::result_fail; }

int count_bits(uint32_t mask) { return __builtin_popcount(mask); }

void add_keys(op_value& meaning, const char16_t* keys) {
  key_matrix merged(keys);
  merged.AddKey(meaning.keys.Text());
  meaning.keys = merged.GetKey();
}

bool contains(const c_array<int32_t, int32_t>& serials, int32_t serial) {
  for (int32_t s : serials)
    if (s == serial) return true;
  return false;
}

void mark(c_array<int32_t, int32_t>& serials, int32_t serial) {
  if (!contains(serials, serial)) serials.Insert(serials.Count(), serial);
}

// One argument bound to one value; an entity is the same whatever keys
// («вёдро» and «ведро» are one object met under two form keys).
bool same_binding(const std::pair<int, value>& a, const std::pair<int, value>& b) {
  if (a.first != b.first) return false;
  if (a.second.IsEntity() && b.second.IsEntity())
    return a.second.Type() == b.second.Type() && a.second.SameEntity(b.second);
  return a.second == b.second;
}

}  // namespace

fn_dispatch::fn_dispatch(const key_matrix& value_pattern, context& ctx, token_line& line, int kind)
    : value_pattern_(value_pattern),
      ctx_(ctx),
      line_(line),
      home_(line.Owner().World()),
      runner_(line.Owner().Runner()),
      kind_(kind),
      first_(line.i) {}

bool fn_dispatch::Apply() {
  const int remaining = line_.Count() - first_;
  if (remaining < 1) return false;
  if (remaining == 1 && !(line_.Count() == 1 && kind_ == kw::fn_action)) return false;
  line_.candidates.Clear();
  line_.joined.Clear();
  try {
    const int matched = MatchTokens();
    touched_ = matched;
    if (line_.candidates.Count() == 0) {
      ClearMarks(matched);
      return false;
    }
    line_.RemoveValueWithoutFn(first_, matched, &op_value::fits);
    ClearMarks(matched);
    ParseCandidates();
    if (line_.candidates.Count() == 0) {
      ErrorsToLine();
      ClearMarks(matched);
      return false;
    }
    Choose();
    JoinCoveredTokens();
    CheckCandidates();
    const bool applies = Outcome();
    ClearMarks(matched);
    return applies;
  } catch (dispatch_budget::spent&) {
    ClearMarks(touched_);
    line_.candidates.Clear();
    line_.joined.Clear();
    line_.joined.MakeError();
    line_.joined.text = u"";
    line_.AddError(u"слишком сложная команда, скажите проще.", answer_weight);
    line_.j = line_.Count();
    return true;
  }
}

// ---- matching ----

int fn_dispatch::MatchTokens() {
  int a = 0;
  for (; first_ + a < line_.Count(); ++a) {
    token& t = line_[first_ + a];
    if (!t.keys.MarkMatching(value_pattern_)) break;
    if (t.keys.KeepMarked(false)) t.DropMeaningsOutsideKeys();
    // A token that serves no type ends the match as it was.
    token typed = t;
    if (!assign_served_types(home_, typed)) break;
    typed.RebuildKeys();
    t = std::move(typed);
    touched_ = a + 1;
    if (a == 0) AddCandidatesOf(t);
    bool growing = false;
    for (fn_candidate& fn : line_.candidates) growing = growing || fn.reach >= a;
    if (!growing) break;
    GrowCandidates(a, t);
  }
  DropUnplacedCandidates();
  return a;
}

void fn_dispatch::AddCandidatesOf(const token& verb) {
  const auto& index = home_.functions.FnAgIndex();
  const auto& functions = home_.functions.Functions();
  // One flag per function of the world, so a function named by several
  // meanings of the verb becomes a candidate once without a search.
  std::vector<bool> known(functions.Count(), false);
  for (const fn_candidate& fn : line_.candidates) {
    int at;
    if (functions.Find(fn.args, at)) known[at] = true;
  }
  for (const op_value& meaning : verb.meanings) {
    for (const served_type& served : meaning.types) {
      int pos;
      if (!index.Find(served.type, pos)) throw u"function::Apply() ошибка данных в World->FnAgIndex";
      for (const fn_args& args : index[pos].functions) {
        int at;
        if (!functions.Find(args, at)) throw u"function::Apply() 806. No fn()";
        if (known[at] || functions[at].kind != kind_ || args.Count() > fn_candidate::max_arguments) continue;
        known[at] = true;
        fn_candidate& fn = line_.candidates.Insert(line_.candidates.Count(), fn_candidate());
        fn.serial = line_.next_candidate_serial++;
        fn.args = args;
        for (int n = 0; n < args.Count(); ++n) {
          int type;
          if (!index.Find(args[n].type, type)) continue;
          const wstring& name = index[type].name;
          if (name == u"string" || name == u"строка") fn.strings |= uint32_t(1) << n;
        }
      }
    }
  }
}

void fn_dispatch::GrowCandidates(int a, token& t) {
  for (fn_candidate& fn : line_.candidates) {
    if (fn.reach < a) continue;
    bool found = false;
    for (int n = 0; n < fn.args.Count(); ++n) {
      for (op_value& meaning : t.meanings) {
        if (!token_line::Fits(meaning, fn.args[n])) continue;
        mark(meaning.fits, fn.serial);
        found = true;
        if (fn.args[n].required) fn.placed |= uint32_t(1) << n;
      }
    }
    if (found && fn.reach < fn.args.Count()) fn.reach = a + 1;
  }
}

void fn_dispatch::DropUnplacedCandidates() {
  const bool single_token = line_.Count() == 1;
  for (int n = line_.candidates.Count() - 1; n >= 0; --n) {
    const fn_candidate& fn = line_.candidates[n];
    uint32_t required = 0;
    for (int a = 0; a < fn.args.Count(); ++a)
      if (fn.args[a].required) required |= uint32_t(1) << a;
    const bool covers = fn.reach > 1 || (single_token && fn.reach == 1);
    if ((fn.placed & required) != required || !covers) line_.candidates.Delete(n);
  }
}

// ---- bindings ----

template <class Visit>
void fn_dispatch::ForEachBinding(const fn_candidate& fn, int exact, Visit visit) {
  // Only a line of one token binds the verb alone.
  const int fewest = line_.Count() == 1 ? 1 : 2;
  uint32_t subset = token_line::FirstSubset(fn.args);
  do {
    const int count = count_bits(subset);
    if (count < fewest || count > fn.reach || (exact && count != exact)) continue;
    if (!line_.FirstPlacement(first_, fn, subset, budget_)) continue;
    do {
      line_.FirstValues(first_, count, fn.args);
      do {
        budget_.Spend();
        visit(count);
      } while (line_.NextValues(first_, count, fn.args));
    } while (line_.NextPlacement(first_, fn, subset, budget_));
  } while (token_line::NextSubset(fn.args, subset));
}

const fn_it& fn_dispatch::Code(const fn_candidate& fn, const char16_t* missing_message) const {
  // Looked up before every run: game code may declare functions, which
  // moves them in the list.
  int pos;
  if (!home_.functions.Functions().Find(fn.args, pos)) throw missing_message;
  return home_.functions.Functions()[pos];
}

// ---- parsing phase and choice ----

void fn_dispatch::ParseCandidates() {
  for (int n = line_.candidates.Count() - 1; n >= 0; --n) {
    fn_candidate& fn = line_.candidates[n];
    ForEachBinding(fn, 0, [&](int count) { TryParsing(fn, count); });
    if (fn.successes == 0) line_.candidates.Delete(n);
  }
}

void fn_dispatch::TryParsing(fn_candidate& fn, int count) {
  const fn_it& code = Code(fn, u"function::Apply() функция не найдена 915");
  context fresh(&home_, kw::type_context, &ctx_);
  line_.CopyCharactersTo(fresh);
  code.SetArgs(fresh, line_, first_, count, bind_mode::parsing);
  const value answer = code.Run(runner_, fresh, fn_section::parsing, value::Keyword(kw::result_ok));
  if (is_fail(answer)) {
    if (!answer.Text().IsEmpty()) AddError(answer);
    return;
  }
  int32_t weight_sum = 0;
  for (int n = first_; n < first_ + count; ++n) {
    op_value& used = line_[n].meanings[line_[n].meaning];
    weight_sum += used.weight;
    mark(used.succeeded, fn.serial);
  }
  const bool better = fn.successes == 0 || count > fn.covered || (count == fn.covered && weight_sum > fn.weight_sum);
  if (better) {
    for (int a = 0; a < count && a < fn_candidate::graded_arguments; ++a) {
      const token& t = line_[first_ + a];
      fn.graded_types[a] = fn.args[t.argument].type;
      fn.grades[a] = int8_t(t.meanings[t.meaning].GradeFor(fn.graded_types[a]));
    }
  }
  ++fn.successes;
  if (count > fn.covered) fn.covered = count;
  if (weight_sum > fn.weight_sum) fn.weight_sum = weight_sum;
}

void fn_dispatch::Choose() {
  errors_.Clear();
  auto keep_greatest = [&](int32_t fn_candidate::*field) {
    int32_t greatest = 0;
    for (const fn_candidate& fn : line_.candidates) greatest = std::max(greatest, fn.*field);
    for (int n = line_.candidates.Count() - 1; n >= 0; --n)
      if (line_.candidates[n].*field < greatest) line_.candidates.Delete(n);
  };
  keep_greatest(&fn_candidate::covered);
  keep_greatest(&fn_candidate::weight_sum);
  c_array<bool, bool> beaten;
  for (int n = 0; n < line_.candidates.Count(); ++n) beaten.Insert(n, false);
  for (int a = 0; a < line_.candidates.Count(); ++a)
    for (int b = 0; b < line_.candidates.Count(); ++b)
      if (a != b && !beaten[a] && Dominates(line_.candidates[a], line_.candidates[b])) beaten[b] = true;
  for (int n = line_.candidates.Count() - 1; n >= 0; --n)
    if (beaten[n]) line_.candidates.Delete(n);
  for (fn_candidate& fn : line_.candidates) fn.successes = 0;
  covered_ = line_.candidates.Count() > 0 ? line_.candidates[0].covered : 0;
}

// Better in some bound token and worse in none: by the grade of its
// argument's type, and between two class arguments by derivation.
bool fn_dispatch::Dominates(const fn_candidate& a, const fn_candidate& b) {
  bool better = false;
  for (int n = 0; n < a.covered && n < fn_candidate::graded_arguments; ++n) {
    int order = a.grades[n] - b.grades[n];
    const int class_grade = 4;
    if (order == 0 && a.grades[n] == class_grade && a.graded_types[n] != b.graded_types[n]) {
      bool a_is_b, b_is_a;
      home_.CmpArgAsCls(a.graded_types[n], b.graded_types[n], a_is_b, b_is_a);
      order = a_is_b == b_is_a ? 0 : (a_is_b ? 1 : -1);
    }
    if (order < 0) return false;
    better = better || order > 0;
  }
  return better;
}

void fn_dispatch::JoinCoveredTokens() {
  line_.RemoveValueWithoutFn(first_, covered_, &op_value::succeeded);
  token& joined = line_.joined;
  joined.weight = 0;
  for (int n = first_; n < first_ + covered_; ++n) {
    if (n > first_) joined.text += u" ";
    joined.text += line_[n].text;
    joined.weight += line_[n].weight;
  }
  line_.j = first_ + covered_;
}

// ---- check phase ----

void fn_dispatch::CheckCandidates() {
  for (int n = line_.candidates.Count() - 1; n >= 0; --n) {
    fn_candidate& fn = line_.candidates[n];
    const int meanings_before = line_.joined.meanings.Count();
    succeeded_.clear();
    ForEachBinding(fn, covered_, [&](int count) { TryCheck(fn, count); });
    const bool ambiguous = kind_ == kw::fn_fact ? line_.joined.meanings.Count() - meanings_before > 1
                                                : kind_ == kw::fn_action && fn.successes >= 2;
    if (!ambiguous) continue;
    line_.joined.meanings.Clear();
    error_item& error = errors_.Insert(errors_.Count(), error_item());
    error.text = AmbiguityText();
    error.weight = answer_weight;
  }
  line_.joined.RebuildKeys();
}

void fn_dispatch::TryCheck(fn_candidate& fn, int count) {
  // Meanings that differ only in their keys («съешь» is an imperative and
  // a future form) bind the same values: that binding is one reading.
  binding bound = Binding(count);
  if (AlreadySucceeded(bound)) return;
  const int32_t successes_before = fn.successes;
  CheckBinding(fn, count);
  if (fn.successes > successes_before) succeeded_.push_back(std::move(bound));
}

fn_dispatch::binding fn_dispatch::Binding(int count) const {
  binding bound;
  for (int n = first_; n < first_ + count; ++n) {
    const token& t = line_[n];
    bound.emplace_back(t.argument, t.meanings[t.meaning].v);
  }
  return bound;
}

bool fn_dispatch::AlreadySucceeded(const binding& b) const {
  for (const binding& earlier : succeeded_)
    if (std::equal(earlier.begin(), earlier.end(), b.begin(), b.end(), same_binding)) return true;
  return false;
}

void fn_dispatch::CheckBinding(fn_candidate& fn, int count) {
  context fresh(&home_, kw::type_context, &ctx_);
  line_.CopyCharactersTo(fresh);
  // The binding of the first success is the one executed: until one is met
  // every binding is saved.
  const bind_mode mode = any_success_ ? bind_mode::parsing : bind_mode::fix;
  object* act = Code(fn, u"function::Apply() функция не найдена 991.").SetArgs(fresh, line_, first_, count, mode);
  const value parsed = Code(fn, u"function::Apply() функция не найдена 991.")
                           .Run(runner_, fresh, fn_section::parsing, value::Keyword(kw::result_ok));
  if (is_fail(parsed)) return;
  value answer;
  switch (kind_) {
    case kw::fn_expression:
      answer = Code(fn, u"function::Apply() функция не найдена 999.").Run(runner_, fresh, fn_section::execute, value());
      TakeAnswer(fn, answer, u"");
      return;
    case kw::fn_fact:
      answer = Code(fn, u"function::Apply() - no fn 1137").Run(runner_, fresh, fn_section::check, value());
      if (answer.IsNull()) answer = value::Keyword(kw::result_unknown);
      if (answer.Type() != kw::type_bool) throw u"проверка факта обязана возвратить логическое значение!";
      TakeAnswer(fn, answer, fact_keys);
      return;
    default:
      if (CheckAction(fn, fresh, act, answer)) TakeAnswer(fn, answer, action_keys);
  }
}

void speak_as_actor(context& fresh, int32_t player) {
  if (fresh.characters[0] == player) return;
  fresh.characters[2] = fresh.characters[1];
  fresh.characters[1] = fresh.characters[0];
}

// The act's own check, then the function's; false when the combination is
// refused (a refusal with a message becomes an error).
bool fn_dispatch::CheckAction(const fn_candidate& fn, context& fresh, object* act, value& answer) {
  speak_as_actor(fresh, home_.player);
  for (const char16_t* name : check_method_names) {
    object* holder = act ? world::MethodHolder(*act, name) : nullptr;
    if (!holder) continue;
    const value consent = runner_.RunMethod(*holder, name, fresh);
    if (consent.Type() != kw::type_bool) throw u"проверка действия обязана возвратить логическое значение!";
    if (is_fail(consent) && !consent.Text().IsEmpty()) AddError(consent);
    if (!result_holds(consent.Code())) return false;
    break;
  }
  answer = Code(fn, u"function::Apply() функция не найдена 1166.")
               .Run(runner_, fresh, fn_section::check, value::Keyword(kw::result_ok));
  if (answer.Type() != kw::type_bool) throw u"проверка действия обязана возвратить логическое значение!";
  if (result_holds(answer.Code()) || is_fail(answer)) return true;
  // An action that answers no with its reason refuses like a failure: its
  // reason reaches the player when nothing else worked.
  if (!answer.Text().IsEmpty()) AddError(answer);
  return false;
}

void fn_dispatch::TakeAnswer(fn_candidate& fn, const value& answer, const char16_t* extra_keys) {
  if (is_fail(answer)) {
    AddError(answer);
    return;
  }
  line_.joined.AddMeaning(op_value::Make(&home_, answer, answer_weight, extra_keys));
  ++fn.successes;
  any_success_ = true;
}

// ---- outcome ----

bool fn_dispatch::Outcome() {
  token& joined = line_.joined;
  if (joined.meanings.Count() == 0) {
    ErrorsToLine();
    joined.MakeError();
    return true;
  }
  for (int n = line_.candidates.Count() - 1; n >= 0; --n)
    if (line_.candidates[n].successes == 0) line_.candidates.Delete(n);
  if (line_.candidates.Count() == 0) throw u"function::Apply() - нет результатов";
  TakeQuestionMark();
  if (kind_ == kw::fn_expression) return true;
  joined.Resolve();
  const fn_candidate& only = line_.candidates[0];
  Code(only, u"function::Apply() функция не найдена 1240.");
  const bool single = line_.candidates.Count() == 1 &&
                      (kind_ == kw::fn_fact ? joined.meanings.Count() == 1 : only.successes == 1);
  if (single) return true;
  wstring text;
  for (int n = first_; n < first_ + covered_; ++n) {
    const token& t = line_[n];
    if (t.meanings.Count() < 2) continue;
    value alternatives;
    for (const op_value& meaning : t.meanings) alternatives.AddToList(kw::type_or_list, meaning.v, true);
    text += u"неоднозначно: ";
    text += MeaningText(alternatives);
    text += u"; ";
  }
  if (text.IsEmpty()) text = u"неоднозначный вызов функции";
  joined.meanings.Clear();
  joined.AddMeaning(op_value::Make(&home_, value::Result(kw::result_unclear, text), answer_weight));
  joined.RebuildKeys();
  return true;
}

// A "?" after a fact asks it; after another kind it is taken when the
// command asked with a question word.
void fn_dispatch::TakeQuestionMark() {
  if (line_.j >= line_.Count() || !(line_[line_.j].text == u"?")) return;
  bool asked = kind_ == kw::fn_fact;
  for (int n = first_; n < first_ + covered_; ++n) asked = asked || line_[n].question;
  if (!asked) return;
  ++line_.j;
  if (kind_ != kw::fn_fact) return;
  add_keys(line_.joined.meanings[0], question_keys);
  line_.joined.RebuildKeys();
}

// ---- errors and texts ----

void fn_dispatch::AddError(const value& answer) {
  error_item& error = errors_.Insert(errors_.Count(), error_item());
  error.text = answer.Text();
  error.weight = answer_weight;
}

void fn_dispatch::ErrorsToLine() {
  for (const error_item& error : errors_) line_.AddError(error.text, error.weight);
  errors_.Clear();
}

void fn_dispatch::ClearMarks(int count) {
  for (int n = first_; n < first_ + count && n < line_.Count(); ++n)
    for (op_value& meaning : line_[n].meanings) {
      meaning.fits.Clear();
      meaning.succeeded.Clear();
    }
}

wstring fn_dispatch::AmbiguityText() const {
  wstring text(u"неоднозначно: ");
  for (int n = first_; n < first_ + covered_; ++n) {
    const token& t = line_[n];
    if (t.meanings.Count() < 2) continue;
    for (int m = 0; m < t.meanings.Count(); ++m) {
      if (m > 0) text += u" или ";
      text += MeaningText(t.meanings[m].v);
    }
    text += u"; ";
  }
  return text;
}

wstring fn_dispatch::MeaningText(const value& v) const {
  bool missing_form = false;
  return v.ToString(&home_, &ctx_, nullptr, text_all, missing_form);
}
