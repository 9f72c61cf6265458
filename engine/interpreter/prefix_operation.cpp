// The prefix operators: - ! $ + var prp tmp delete return goto check plane.

#include <cstdint>

#include "code_places.h"
#include "context.h"
#include "keyword_table.h"
#include "location.h"
#include "object.h"
#include "operation.h"
#include "operator_rows.h"
#include "world.h"

namespace {

struct prefix_call {
  context& ctx;
  value& operand;
  char16_t letter;
};

// False when the operator does not apply to the operand.
using prefix_handler = bool (*)(prefix_call& call);

bool negative(prefix_call& call) {
  if (call.operand.Type() != kw::type_number) throw u"ожидалось число";
  value negated = value::Number(int32_t(-int64_t(call.operand.GetNumber())));
  negated.SetKeyText(call.operand.KeyText());
  call.operand = negated;
  return true;
}

bool logical_not(prefix_call& call) {
  if (!is_truth(call.operand)) return false;
  call.operand = value::Result(result_not(call.operand.Code()), call.operand.Text());
  return true;
}

bool as_text(prefix_call& call) {
  call.operand = value::String(text_of(call.operand, call.ctx));
  return true;
}

bool unchanged(prefix_call&) { return true; }

// var declares in the running code; prp and tmp on the entity it acts in,
// when there is one. A name declared already keeps its value.
bool declare(prefix_call& call) {
  if (call.operand.Type() != kw::type_string) throw u"имя переменной должно быть строкой";
  const wstring& name = call.operand.Text();
  if (name.Length() > 0 && name[0] == u'#') throw u"ключ не может быть именем переменной";
  object* entity = call.letter == u'v' ? nullptr : own_object(call.ctx);
  context& holder = entity ? *entity : call.ctx;
  const wstring normalised = context::NormalisedName(name);
  if (!holder.FindVariable(normalised)) holder.SetVariable(name, value(), true, false);
  variable* declared = holder.FindVariable(normalised);
  if (declared && call.letter != u'v') declared->is_property = true;
  if (declared && call.letter == u't') declared->is_temporary = true;
  return true;
}

// An entity that the running code lies in must outlive that code.
bool runs_inside(context& ctx, const object* entity) {
  context* c = &ctx;
  for (int step = 0; c && step < context::max_enclosing_steps; ++step, c = c->Parent())
    if (c == entity || c->Place() == entity) return true;
  return false;
}

bool delete_entity(prefix_call& call) {
  if (!call.operand.IsEntity()) throw u"удалять можно только объекты";
  world& home = *call.ctx.World();
  object* entity = live_entity(call.operand);
  if (!entity || runs_inside(call.ctx, entity)) {
    call.operand = value::Result(kw::result_no, u"не удалось удалить объект");
    return true;
  }
  home.Destroy(entity);
  call.operand = value::Result(kw::result_ok, u"объект удалён");
  return true;
}

bool return_value(prefix_call& call) {
  call.ctx.state = context::stop_return;
  return true;
}

location& location_for_direction(context& ctx) {
  location* here = current_location(ctx);
  if (!here) throw u"Переход по направлению возможен только из локации!";
  return *here;
}

// The session moves the player to the location the code answers with the
// goto signal; a refused exit answers its refusal and moves no one.
bool go_to(prefix_call& call) {
  if (call.operand.Type() == kw::type_course)
    call.operand = location_for_direction(call.ctx).GetExit(call.operand.Code());
  else if (call.operand.Type() != kw::type_location)
    throw u"goto: ожидалась локация или направление!";
  call.ctx.state = context::stop_goto;
  return true;
}

bool way_exists(prefix_call& call) {
  if (call.operand.Type() == kw::type_course)
    return location_for_direction(call.ctx).GetExit(call.operand.Code()).Type() == kw::type_location;
  if (call.operand.Type() != kw::type_location) throw u"check goto: ожидалась локация или направление!";
  location* here = current_location(call.ctx);
  location* target = live_location(call.operand);
  return here && target && here->GetDirection(*target) != kw::type_null;
}

bool check_way(prefix_call& call) {
  call.operand = truth(way_exists(call), u"переход возможен", u"прохода нет!");
  return true;
}

bool set_plane(prefix_call& call) {
  call.ctx.World()->current_plane = text_of(call.operand, call.ctx);
  call.operand = value::Result(kw::result_ok, u"назначен новый план");
  return true;
}

struct prefix_row {
  char16_t letter;
  prefix_handler handler;
};

constexpr prefix_row prefix_rows[] = {
    {u'm', negative},      {u'!', logical_not}, {u'$', as_text},   {u'+', unchanged},
    {u'v', declare},       {u'p', declare},     {u't', declare},   {u'd', delete_entity},
    {u'r', return_value},  {u'g', go_to},       {u'c', check_way}, {u'P', set_plane},
};

}  // namespace

bool PrefixOperation(context& ctx, value& operand, const wstring& code) {
  char16_t letter = code.IsEmpty() ? 0 : code[0];
  for (const prefix_row& row : prefix_rows) {
    if (row.letter != letter) continue;
    prefix_call call{ctx, operand, letter};
    return row.handler(call);
  }
  wstring message(u"неизвестный префиксный оператор '");
  message += code;
  message += u"'!";
  throw message;
}
