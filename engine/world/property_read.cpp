#include "property_read.h"

#include <algorithm>
#include <vector>

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

// The entity a holder is, for holding it while game code runs; an empty
// reference for a context of running code, which outlives the read.
entity_ref held_entity(context* holder) {
  return holder->IsEntity() ? static_cast<object*>(holder)->Ref() : entity_ref();
}

// Reads the first `count` holders' properties; methods among them run now,
// and may change or remove what the others hold (the entity read for among
// them), so each is looked up afresh and a removed one reads nothing.
c_array<value, value> read_holders(const c_array<context*, context*>& holders, int count,
                                   const wstring& normalised_name, context& ctx, const entity_ref& entity) {
  std::vector<entity_ref> held;
  for (context* holder : holders) held.push_back(held_entity(holder));
  c_array<value, value> values;
  for (int i = 0; i < count; ++i) {
    value& read = values.Insert(values.Count(), value());
    context* holder = holders[i];
    // A holder that was an entity and is gone is not touched.
    if (held[size_t(i)].Identity() && !held[size_t(i)].Get()) continue;
    if (variable* property = holder->FindVariable(normalised_name))
      read = property->GetValue(*holder, &ctx, entity.Get());
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
  if (holder.IsEntity() && !entity) return false;
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
  const entity_ref held = entity ? entity->Ref() : entity_ref();
  // An attribute is decided by the whole collection; any other read is the
  // first property, and a method that a class gives and the holder redefines
  // must not run the class's version too.
  const int read_count = attribute ? holders.Count() : 1;
  c_array<value, value> values = read_holders(holders, read_count, name, ctx, held);
  result = attribute ? attribute_answer(values, attribute) : values[0];
  result.SetOwner(held.Get());
  return true;
}
