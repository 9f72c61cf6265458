#include "function.h"

#include "context.h"
#include "fn_list_item.h"
#include "function_dispatch.h"
#include "interpreter.h"
#include "keyword_table.h"
#include "parsed_string.h"
#include "token_line.h"
#include "world.h"

namespace {

const char16_t* const execute_method_names[] = {u"execute", u"выполнение"};

int kind_of_mode(char16_t mode) {
  if (mode == u'/') return kw::fn_expression;
  if (mode == u'1') return kw::fn_fact;
  return kw::fn_action;
}

const fn_it& chosen_function(const world& home, const token_line& line) {
  if (line.next_candidate_serial == 1) throw u"function::Execute() error 1";
  if (line.candidates.Count() == 0) throw u"function::Execute() функция не найдена!";
  if (line.candidates.Count() > 1) throw u"function::Execute() функции не отсеяны!";
  int pos;
  if (!home.functions.Functions().Find(line.candidates[0].args, pos)) throw u"function::Apply() - no fn 1398";
  return home.functions.Functions()[pos];
}

// The act's own execute method, when it has one; true with its answer when
// that answer is a failure, which stands for the whole action.
bool act_fails(world& home, object* act, context& fresh, value& answer) {
  if (!act || !home.Runner()) return false;
  for (const char16_t* name : execute_method_names) {
    object* holder = world::MethodHolder(*act, name);
    if (!holder) continue;
    answer = home.Runner()->RunMethod(*holder, name, fresh);
    return answer.Type() == kw::type_bool && answer.Code() == kw::result_fail;
  }
  return false;
}

}  // namespace

bool function::Apply(context& ctx, token_line& line) const {
  return fn_dispatch(Pattern(0), ctx, line, kind_of_mode(Mode())).Apply();
}

void function::Execute(context& ctx, token_line& line, op_value& result) const {
  world& home = line.Owner().World();
  chosen_function(home, line);
  const fn_candidate& fn = line.candidates[0];
  if (fn.successes >= 2) {
    result = op_value::Make(&home, value::Result(kw::result_unclear, u"факт неоднозначен"), meaning_weight::literal);
    return;
  }
  context fresh(&home, kw::type_context, &ctx);
  for (int n = 0; n < 3; ++n) fresh.characters[n] = ctx.characters[n];
  if (kind_of_mode(Mode()) == kw::fn_action) speak_as_actor(fresh, home.player);
  object* act = chosen_function(home, line).SetArgs(fresh, line, line.i, fn.covered, bind_mode::execute);
  value answer;
  if (!act_fails(home, act, fresh, answer))
    answer = chosen_function(home, line).Run(line.Owner().Runner(), fresh, fn_section::execute, value());
  if (answer.Type() == kw::type_bool && answer.Code() == kw::result_unclear) throw wstring(answer.Text());
  // A move or a new game the action asked for is the turn's to carry out.
  if (fresh.state == context::stop_goto || fresh.state == context::stop_run) ctx.state = fresh.state;
  result = op_value::Make(&home, answer, meaning_weight::literal);
}

void function::Remember(context& ctx, token_line& line, op_value& result) const { Execute(ctx, line, result); }
