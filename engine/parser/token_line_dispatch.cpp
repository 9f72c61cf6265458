// The token line's part in function dispatch: argument subsets, their
// placements on the tokens and the combinations of the tokens' meanings.

#include "fn_list_item.h"
#include "keyword_table.h"
#include "parsed_string.h"
#include "token_line.h"
#include "world.h"

namespace {

uint32_t bit(int n) { return uint32_t(1) << n; }

uint32_t optional_arguments(const fn_args& args) {
  uint32_t optional = 0;
  for (int n = 0; n < args.Count(); ++n)
    if (!args[n].required) optional |= bit(n);
  return optional;
}

// The subset's argument after the given one in declaration order; -1 when
// it is the last.
int next_in_subset(uint32_t subset, int argument) {
  for (int n = argument + 1; n < 32; ++n)
    if (subset & bit(n)) return n;
  return -1;
}

int count_bits(uint32_t mask) { return __builtin_popcount(mask); }

bool token_fits(const token& t, const fn_arg& arg) {
  for (const op_value& meaning : t.meanings)
    if (token_line::Fits(meaning, arg)) return true;
  return false;
}

bool is_plain_text(const op_value& meaning) {
  return meaning.v.Type() == kw::type_string && meaning.weight <= meaning_weight::plain_text;
}

// A word's plain text stands in only where none of its meanings fits: «на»
// bound as the preposition and again as its text would be two bindings of
// one command.
bool fits_here(const token& t, int n, const fn_arg& arg) {
  if (!token_line::Fits(t.meanings[n], arg)) return false;
  if (!is_plain_text(t.meanings[n])) return true;
  for (int other = 0; other < t.meanings.Count(); ++other)
    if (other != n && !is_plain_text(t.meanings[other]) && token_line::Fits(t.meanings[other], arg)) return false;
  return true;
}

// The fitting meaning of the highest grade (the first of equal ones); -1
// when none fits.
int best_fitting(const token& t, const fn_arg& arg) {
  int best = -1;
  int32_t best_grade = 0;
  for (int n = 0; n < t.meanings.Count(); ++n) {
    if (!fits_here(t, n, arg)) continue;
    const int32_t grade = t.meanings[n].GradeFor(arg.type);
    if (best < 0 || grade > best_grade) {
      best = n;
      best_grade = grade;
    }
  }
  return best;
}

// The grade of a meaning that serves a type because the token's text names
// it (served_types.cpp).
constexpr int32_t typed_text_grade = 6;

// Words that fit an argument because the typed text names its type bind it
// alike: the dictionary gives each verb of an aspect pair the other's
// infinitive, so «читать» is a form of «прочитать» too, and binding both
// would make one command two.
bool bound_by_text(const token& t, int n, const fn_arg& arg) {
  return t.meanings[n].v.Type() == kw::type_word && t.meanings[n].GradeFor(arg.type) == typed_text_grade;
}

// The meaning that follows `current` in the order best first, then the
// others in list order; -1 after the last.
int next_fitting(const token& t, const fn_arg& arg, int current, int best) {
  for (int n = current == best ? 0 : current + 1; n < t.meanings.Count(); ++n)
    if (n != best && fits_here(t, n, arg) && !(bound_by_text(t, n, arg) && bound_by_text(t, best, arg))) return n;
  return -1;
}

}  // namespace

bool token_line::Fits(const op_value& meaning, const fn_arg& arg) {
  if (meaning.GradeFor(arg.type) == 0) return false;
  return arg.key.IsEmpty() || key_matrix(arg.key.Text()).Matches(meaning.keys.Text());
}

uint32_t token_line::FirstSubset(const fn_args& args) {
  return args.Count() >= 32 ? ~uint32_t(0) : bit(args.Count()) - 1;
}

// The optional arguments in use, read as a binary number over the optional
// positions, count down by one.
bool token_line::NextSubset(const fn_args& args, uint32_t& subset) {
  const uint32_t optional = optional_arguments(args);
  const uint32_t in_use = subset & optional;
  if (in_use == 0) return false;
  // Subtracting one within the optional positions: the lowest optional
  // argument in use is left out and every optional one below it comes in.
  const uint32_t lowest = in_use & (~in_use + 1);
  subset = (subset & ~lowest) | (optional & (lowest - 1));
  return true;
}

bool token_line::FirstPlacement(int first, const fn_candidate& fn, uint32_t subset, dispatch_budget& budget) {
  return SearchPlacement(first, fn, subset, 0, 0, budget);
}

bool token_line::NextPlacement(int first, const fn_candidate& fn, uint32_t subset, dispatch_budget& budget) {
  const int last = count_bits(subset) - 1;
  return SearchPlacement(first, fn, subset, last, (*this)[first + last].argument + 1, budget);
}

// Depth first over the tokens, arguments in declaration order at each: the
// placements come in the order of their argument sequences.
bool token_line::SearchPlacement(int first, const fn_candidate& fn, uint32_t subset, int p, int start,
                                 dispatch_budget& budget) {
  const int count = count_bits(subset);
  while (p >= 0) {
    int argument = start;
    while (argument < fn.args.Count() && !CanPlace(first, fn, subset, p, argument)) {
      budget.Spend();
      ++argument;
    }
    if (argument >= fn.args.Count()) {
      if (--p >= 0) start = (*this)[first + p].argument + 1;
      continue;
    }
    budget.Spend();
    (*this)[first + p].argument = argument;
    if (p == count - 1) return true;
    ++p;
    start = 0;
  }
  return false;
}

uint32_t token_line::PlacedBefore(int first, int p) const {
  uint32_t placed = 0;
  for (int n = 0; n < p; ++n) placed |= bit((*this)[first + n].argument);
  return placed;
}

bool token_line::CanPlace(int first, const fn_candidate& fn, uint32_t subset, int p, int argument) const {
  const uint32_t placed = PlacedBefore(first, p);
  if (!(subset & bit(argument)) || (placed & bit(argument))) return false;
  // Strings keep their declared order: every string argument before this
  // one is placed already.
  if ((fn.strings & bit(argument)) && (fn.strings & subset & (bit(argument) - 1) & ~placed)) return false;
  const token& t = (*this)[first + p];
  if (p > 0 && (*this)[first + p - 1].preposition &&
      next_in_subset(subset, (*this)[first + p - 1].argument) != argument)
    return false;
  if (t.preposition) {
    const int next = next_in_subset(subset, argument);
    if (p == count_bits(subset) - 1 || next < 0 || (placed & bit(next))) return false;
  }
  return token_fits(t, fn.args[argument]);
}

void token_line::FirstValues(int first, int count, const fn_args& args) {
  for (int n = first; n < first + count; ++n) {
    token& t = (*this)[n];
    t.meaning = t.meanings.Count() == 0 ? -1 : best_fitting(t, args[t.argument]);
    if (t.meaning < 0) throw u"token_line::FirstValues() no values!";
  }
}

bool token_line::NextValues(int first, int count, const fn_args& args) {
  for (int n = first; n < first + count; ++n) {
    token& t = (*this)[n];
    const fn_arg& arg = args[t.argument];
    const int best = best_fitting(t, arg);
    const int next = next_fitting(t, arg, t.meaning, best);
    if (next >= 0) {
      t.meaning = next;
      return true;
    }
    if (best < 0) throw u"token_line::NextValues() сбой итерации";
    t.meaning = best;
  }
  return false;
}

void token_line::RemoveValueWithoutFn(int first, int count, c_array<int32_t, int32_t> op_value::*marks) {
  if (candidates.Count() == 0) throw u"token_line::RemoveValueWithoutFn() no fns";
  const auto& functions = Owner().World().functions.Functions();
  int pos;
  for (const fn_candidate& fn : candidates)
    if (!functions.Find(fn.args, pos)) throw u"token_line::RemoveValueWithoutFn() не найдена функция!";
  for (int n = first; n < first + count && n < Count(); ++n) {
    token& t = (*this)[n];
    for (int m = t.meanings.Count() - 1; m >= 0; --m) {
      bool used = false;
      for (const fn_candidate& fn : candidates)
        for (int32_t serial : t.meanings[m].*marks) used = used || serial == fn.serial;
      if (used) continue;
      t.meanings.Delete(m);
      t.changed = true;
    }
    t.RebuildKeys();
  }
}
