#include "property_read.h"

#include <algorithm>

#include "context.h"
#include "keyword_table.h"
#include "object.h"
#include "world.h"

namespace {

bool holds_true(const value& v) {
  return v.Type() == kw::type_bool && (v.Code() == kw::result_yes || v.Code() == kw::result_ok);
}

bool holds_false(const value& v) {
  return v.Type() == kw::type_bool &&
         (v.Code() == kw::result_no || v.Code() == kw::result_illegal || v.Code() == kw::result_fail);
}

// The attribute the English, or else the Russian, name stands for.
object* attribute_named(const world& home, const wstring& english, const wstring& russian) {
  object* found = home.FindObject(context::NormalisedName(english));
  if (!found && !russian.IsEmpty()) found = home.FindObject(context::NormalisedName(russian));
  return found && found->Type() == kw::type_attribute ? found : nullptr;
}

c_array<context*, context*> holders_named(context& base, object* entity, const wstring& normalised_name) {
  if (entity) return property_holders(*entity, normalised_name);
  c_array<context*, context*> own;
  if (base.FindVariable(normalised_name)) own.Insert(0, &base);
  return own;
}

// Reads every holder's property; methods among them run now, and may
// change or remove what the others hold, so each is looked up afresh.
c_array<value, value> read_all(const world& home, const c_array<context*, context*>& holders,
                               const wstring& normalised_name, context& ctx, object* entity) {
  c_array<value, value> values;
  for (context* holder : holders) {
    value& read = values.Insert(values.Count(), value());
    if (holder->IsEntity() && !home.IsInWorld(static_cast<object*>(holder))) continue;
    if (variable* property = holder->FindVariable(normalised_name)) read = property->GetValue(*holder, &ctx, entity);
  }
  return values;
}

value attribute_answer(const c_array<value, value>& values, const object* attribute) {
  for (const value& v : values)
    if (v.IsEntity() && v.GetEntity() == attribute) return v;
  for (const value& v : values)
    if (holds_true(v)) return v;
  // Every collected item carries the collection's mark: a false value on the
  // entity or on any of its classes makes the answer no.
  bool any_false = std::any_of(values.begin(), values.end(), holds_false);
  return value::Keyword(any_false ? kw::result_no : kw::result_unknown);
}

}  // namespace

c_array<context*, context*> property_holders(object& entity, const wstring& normalised_name) {
  c_array<context*, context*> holders;
  auto take_holder = [&](object& holder) {
    if (holder.FindVariable(normalised_name)) holders.Insert(holders.Count(), &holder);
    return object::class_step::go_on;
  };
  take_holder(entity);
  entity.WalkClasses(take_holder);
  return holders;
}

bool read_property(const value& holder, context& ctx, const wstring& english, const wstring& russian,
                   value& result) {
  if (&result == &holder) throw u"op_value::GetPrp() invalid Value!";
  const world& home = *ctx.World();
  object* entity = holder.IsEntity() ? holder.GetEntity() : holder.Owner();
  if (entity && !home.IsInWorld(entity)) return false;
  context* base = entity ? entity : (holder.Type() == kw::type_context ? holder.GetContext() : nullptr);
  if (!base) return false;

  wstring name = context::NormalisedName(english);
  c_array<context*, context*> holders = holders_named(*base, entity, name);
  if (holders.Count() == 0 && !russian.IsEmpty()) {
    name = context::NormalisedName(russian);
    holders = holders_named(*base, entity, name);
  }
  if (holders.Count() == 0) return false;

  const object* attribute = attribute_named(home, english, russian);
  c_array<value, value> values = read_all(home, holders, name, ctx, entity);
  result = attribute ? attribute_answer(values, attribute) : values[0];
  result.SetOwner(entity);
  return true;
}
