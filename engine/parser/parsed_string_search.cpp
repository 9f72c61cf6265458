// The search for the readings of a player's line: a tree of token lines,
// each child its parent with one more rule applied, and the reading chosen
// from the complete ones.

#include <algorithm>
#include <initializer_list>

#include "context.h"
#include "keyword_table.h"
#include "link.h"
#include "parsed_string.h"
#include "system_factory.h"
#include "world.h"

namespace {

// The function rule of actions: a one-token line is tried with it once,
// so that a command of one word («осмотреться», «север») is an action.
constexpr int32_t action_rule = 12;

// The weight of the errors the parser itself records.
constexpr int32_t parser_error_weight = 100;

bool has_errors(const token_line* line) {
  for (; line; line = line->Parent())
    if (line->errors.Count() > 0) return true;
  return false;
}

}  // namespace

void parsed_string::Parsing(context& ctx, op_value& result) {
  busy_mark running(busy_);
  wstring refusal = SetUpLine(ctx);
  tokens_->CopyCharactersFrom(ctx);
  if (!refusal.IsEmpty()) {
    Fail(ctx, refusal, result);
    return;
  }
  bool cut_short = Search(ctx);
  Choose(ctx, cut_short, result);
}

bool parsed_string::Search(context& ctx) {
  token_line* current = &NewLine(tokens_.get());
  while (current->Parent() && complete_.Count() < max_complete_lines) {
    if (OverBudget()) return true;
    current = Step(ctx, *current);
  }
  return false;
}

// One step of the search on the current line; the next current line.
token_line* parsed_string::Step(context& ctx, token_line& line) {
  token_line* up = line.Parent();
  if (line.Count() == 0) {
    complete_.Insert(complete_.Count(), &line);
    return up;
  }
  if (line.Count() == 1) {
    if (line.ChildCount() > 0) return up;
    if (line.k == 0 && up->k != action_rule) {
      line.k = action_rule - 1;
      token_line* child = TryNextApplication(ctx, line);
      if (child != &line) return child;
      // A word that is no action stays the reading no rule made.
      line.k = 0;
    }
    complete_.Insert(complete_.Count(), &line);
    return up;
  }
  if (!HasNextApplication(line)) {
    // A line with children has its readings in them.
    if (line.ChildCount() == 0) {
      if (up->ChildCount() > 1)
        DeleteLine(line);
      else
        complete_.Insert(complete_.Count(), &line);
    }
    return up;
  }
  if (line.ChildCount() > 0) {
    // A line with children stays as it is: a sibling goes on with its
    // enumeration.
    token_line& sibling = NewLine(up);
    sibling.TakeRuleState(line);
    return &sibling;
  }
  return TryNextApplication(ctx, line);
}

bool parsed_string::HasNextApplication(const token_line& line) const {
  int32_t k = line.k;
  if (k == 0)
    k = 1;
  else if (line.i + 1 >= line.Count())
    ++k;
  return k < rule_slots && rules_.Rule(k);
}

token_line* parsed_string::TryNextApplication(context& ctx, token_line& line) {
  if (line.k == 0) {
    line.k = 1;
    line.i = 0;
  } else if (++line.i >= line.Count()) {
    ++line.k;
    line.i = 0;
  }
  const class link* rule = line.k < rule_slots ? rules_.Rule(line.k) : nullptr;
  bool applied = false;
  if (rule) {
    line.j = line.i + rule->ElementCount();
    line.CopyCharactersTo(ctx);
    ++applications_;
    applied = rule->Apply(ctx, line);
  }
  RestoreChanged(line, applied);
  if (!applied) {
    std::copy(std::begin(line.Parent()->characters), std::end(line.Parent()->characters),
              std::begin(line.characters));
    line.joined.Clear();
    return &line;
  }
  line.score = 0;
  for (int p = std::max(line.i, 0); p < std::min(line.j, line.Count()); ++p) line.score += line[p].weight;
  line.joined.weight = line.score;
  return &NewLine(&line);
}

// The tokens a rule narrowed are put back as the line got them from its
// parent (token_line::TakeFromParent), except those a successful
// application joined.
void parsed_string::RestoreChanged(token_line& line, bool applied) const {
  const token_line& parent = *line.Parent();
  const int before = std::min(parent.i, parent.Count());
  const int after = std::min(parent.j, parent.Count());
  const bool joined = parent.joined.meanings.Count() > 0;
  for (int p = 0; p < line.Count(); ++p) {
    if (!line[p].changed || (applied && p >= line.i && p < line.j)) continue;
    const token* original = nullptr;
    if (p < before) {
      original = &parent[p];
    } else if (joined && p == before) {
      original = &parent.joined;
    } else {
      int q = after + p - before - (joined ? 1 : 0);
      if (q < parent.Count()) original = &parent[q];
    }
    if (!original) continue;
    line[p] = *original;
    line[p].changed = false;
  }
}

token_line& parsed_string::NewLine(token_line* parent) {
  lines_.push_back(std::make_unique<token_line>(*this, parent));
  ++lines_made_;
  token_line& line = *lines_.back();
  line.TakeFromParent();
  return line;
}

void parsed_string::DeleteLine(token_line& line) {
  line.CheckDeletable();
  for (size_t n = lines_.size(); n-- > 0;) {
    if (lines_[n].get() != &line) continue;
    lines_.erase(lines_.begin() + std::ptrdiff_t(n));
    return;
  }
}

void parsed_string::Choose(context& ctx, bool cut_short, op_value& result) {
  for (token_line* line : complete_) {
    if (line->Count() != 1) continue;
    ChooseOneToken(ctx, *line, result);
    return;
  }
  // A search that stopped half way has not seen the readings that might
  // have joined the whole line.
  if (cut_short) {
    Fail(ctx, too_complex, result);
    return;
  }
  if (complete_.Count() == 0) throw u"parsed_string::Parsing() разбор не удался!";
  ChooseFewestTokens(ctx, result);
}

void parsed_string::ChooseOneToken(context& ctx, token_line& line, op_value& result) {
  chosen_ = &line;
  line.CopyCharactersTo(ctx);
  token& t = line[0];
  t.Resolve();
  if (t.meanings.Count() == 0) {
    if (!has_errors(&line)) throw u"parsed_string::Parsing() нет результата";
    result = Result(value::Keyword(kw::result_fail));
    return;
  }
  if (t.meanings.Count() == 1) {
    result = t.meanings[0];
    result.weight = meaning_weight::literal;
    return;
  }
  // Truth values join an or-list only after another value has made it a
  // list: first added, they would be combined by "||" and refuse the rest.
  value alternatives;
  for (bool truths : {false, true})
    for (const op_value& meaning : t.meanings)
      if ((meaning.v.Type() == kw::type_bool) == truths) alternatives.AddToList(kw::type_or_list, meaning.v, false);
  result = Result(alternatives);
}

void parsed_string::ChooseFewestTokens(context& ctx, op_value& result) {
  token_line* fewest = complete_[0];
  for (token_line* line : complete_)
    if (line->Count() < fewest->Count()) fewest = line;
  fewest->k = token_line::exhausted;
  token_line& copy = CopyLine(*fewest);
  chosen_ = &copy;
  copy.CopyCharactersTo(ctx);
  result = Result(value::Keyword(kw::result_unclear));
}

// A sibling with the line's tokens, errors, characters and rule state.
token_line& parsed_string::CopyLine(const token_line& line) {
  lines_.push_back(std::make_unique<token_line>(*this, line.Parent()));
  token_line& copy = *lines_.back();
  for (const token& t : line) copy.Insert(copy.Count(), t);
  copy.errors = line.errors;
  std::copy(std::begin(line.characters), std::end(line.characters), std::begin(copy.characters));
  copy.TakeRuleState(line);
  copy.score = line.score;
  return copy;
}

// The line as the player typed it, chosen with the message as its error,
// so that the error reply gives it.
void parsed_string::Fail(context& ctx, const wstring& message, op_value& result) {
  token_line& line = NewLine(tokens_.get());
  line.k = token_line::exhausted;
  line.AddError(message, parser_error_weight);
  chosen_ = &line;
  line.CopyCharactersTo(ctx);
  result = Result(value::Keyword(kw::result_fail));
}

op_value parsed_string::Result(const value& v) const {
  return op_value::Make(&world_, v, meaning_weight::literal);
}
