// The "." operator: special properties, properties of the elements of a
// list, variables and attributes of entities, exits of locations.

#include <cstdint>
#include <vector>

#include "code_places.h"
#include "context.h"
#include "keyword_table.h"
#include "location.h"
#include "object.h"
#include "operator_rows.h"
#include "property_read.h"
#include "random_source.h"
#include "world.h"

namespace {

// A special property of the value left of "."; false when the value has
// no such property.
using property_reader = bool (*)(const operands& in, value& out);

template <class Items>
value entity_list(const Items& entities) {
  value list;
  for (object* entity : entities) list.AddToList(kw::type_and_list, entity_value(entity), false);
  return list;
}

// The context a value stands for: its entity's, or a context value's.
context* context_of(const value& v) {
  if (v.Type() == kw::type_context) return v.GetContext();
  return live_entity(v);
}

bool as_number(const operands& in, value& out) {
  if (in.left.Type() == kw::type_number) {
    out = value::Number(in.left.GetNumber());
    return true;
  }
  if (in.left.Type() != kw::type_string) return false;
  const wstring& text = in.left.Text();
  bool negative = text.Length() > 0 && text[0] == u'-';
  int digits = negative ? 1 : 0;
  int32_t magnitude = digits < text.Length() ? text.ToInt(digits) : 0;
  out = value::Number(negative ? -magnitude : magnitude);
  return true;
}

bool neighbours(const operands& in, value& out) {
  location* place = live_location(in.left);
  if (!place) return false;
  value list;
  for (int direction = kw::dir_up; direction <= kw::dir_southwest; ++direction) {
    value target = place->GetExit(direction);
    if (target.Type() == kw::type_location) list.AddToList(kw::type_and_list, target, false);
  }
  out = list;
  return true;
}

// The attributes set on the entity: among the names of its properties and
// those of its classes, the names of attributes whose truth holds.
bool attributes(const operands& in, value& out) {
  object* entity = live_entity(in.left);
  if (!entity) return false;
  std::vector<entity_ref> named;
  auto take_names = [&](object& holder) {
    for (const variable& property : holder.Variables()) {
      object* attribute = in.home.FindObject(property.name);
      if (attribute && attribute->Type() == kw::type_attribute) named.push_back(attribute->Ref());
    }
    return object::class_step::go_on;
  };
  take_names(*entity);
  entity->WalkClasses(take_names);
  // Reading may run code that changes the properties, or deletes the
  // entity or the attributes: names first, each resolved when it is read.
  const entity_ref held = entity->Ref();
  value list;
  for (const entity_ref& named_attribute : named) {
    object* attribute = named_attribute.Get();
    if (!attribute || !held.Get()) continue;
    if (result_holds(attribute_value(*held.Get(), *attribute, in.ctx).Code()))
      list.AddToList(kw::type_and_list, entity_value(attribute), false);
  }
  out = list;
  return true;
}

bool classes(const operands& in, value& out) {
  object* entity = live_entity(in.left);
  if (!entity) return false;
  if (entity->Type() == kw::type_class) {
    out = in.left;
    return true;
  }
  value list;
  for (const object::numb_class& cls : entity->classes)
    list.AddToList(kw::type_and_list, entity_value(in.home, cls.class_id), false);
  out = list;
  return true;
}

bool location_of(const operands& in, value& out) {
  object* entity = live_entity(in.left);
  if (!entity) return false;
  out = entity_value(entity->NearestLocation());
  return true;
}

bool word_of(const operands& in, value& out) {
  object* entity = live_entity(in.left);
  if (!entity) return false;
  if (entity->Type() == kw::type_word) {
    out = in.left;
    return true;
  }
  c_array<object*, object*> words = in.home.LinkedWords(entity);
  out = words.Count() > 0 ? entity_value(words[0]) : value();
  return true;
}

bool type_name(const operands& in, value& out) {
  out = value::String(kw::at(in.left.Type()).english);
  return true;
}

bool name(const operands& in, value& out) {
  object* entity = live_entity(in.left);
  out = value::String(entity ? entity->Name() : in.left.ShortText(&in.home));
  return true;
}

// Written as a key text, as the key is assigned.
bool key(const operands& in, value& out) {
  object* entity = live_entity(in.left);
  wstring text(u"#");
  text += entity ? entity->own_keys : in.left.KeyText();
  out = value::String(text);
  return true;
}

bool comment(const operands& in, value& out) {
  if (!is_truth(in.left)) return false;
  out = value::String(in.left.Text());
  return true;
}

bool position(const operands& in, value& out) {
  object* entity = live_entity(in.left);
  if (!entity) return false;
  context* parent = entity->Parent();
  bool is_place = parent && (parent->Type() == kw::type_object || parent->Type() == kw::type_location);
  out = is_place ? entity_value(static_cast<object*>(parent)) : value();
  return true;
}

bool opened(const operands& in, value& out) {
  object* entity = live_entity(in.left);
  if (!entity) return false;
  out = truth(entity->opened, u"открыто", u"закрыто");
  return true;
}

bool transparent(const operands& in, value& out) {
  object* entity = live_entity(in.left);
  if (!entity) return false;
  out = truth(entity->transparent, u"прозрачно", u"непрозрачно");
  return true;
}

bool default_key(const operands& in, value& out) {
  object* entity = live_entity(in.left);
  if (!entity) return false;
  out = value::String(entity->default_key);
  return true;
}

bool any(const operands& in, value& out) {
  if (!in.left.IsList()) {
    out = in.left;
    return true;
  }
  const value_items items = in.left.Items();
  out = items[int(random_source::Next() % uint32_t(items.Count()))];
  return true;
}

template <int axis>
bool coordinate(const operands& in, value& out) {
  location* place = live_location(in.left);
  if (!place) return false;
  out = value::Number(place->position[axis]);
  return true;
}

template <int role>
bool speech_role(const operands& in, value& out) {
  context* holder = context_of(in.left);
  if (!holder) return false;
  out = entity_value(in.home, holder->characters[role]);
  return true;
}

bool count(const operands& in, value& out) {
  out = value::Number(in.left.IsList() ? in.left.Items().Count() : 1);
  return true;
}

// Synonyms are the further words that name the entity.
bool synonyms(const operands& in, value& out) {
  object* entity = live_entity(in.left);
  if (!entity) return false;
  out = entity_list(in.home.LinkedWords(entity));
  return true;
}

bool variable_names(const operands& in, value& out) {
  context* holder = context_of(in.left);
  if (!holder) return false;
  value list;
  for (const variable& v : holder->Variables()) list.AddToList(kw::type_and_list, value::String(v.name), false);
  out = list;
  return true;
}

bool plane(const operands& in, value& out) {
  location* place = live_location(in.left);
  if (!place) return false;
  out = value::String(place->plane);
  return true;
}

template <c_array<object*, object*> object::*held>
bool held_entities(const operands& in, value& out) {
  object* entity = live_entity(in.left);
  if (!entity) return false;
  out = entity_list(entity->*held);
  return true;
}

struct property_row {
  int code;
  property_reader read;
};

constexpr property_row special_properties[] = {
    {kw::type_number, as_number},
    {kw::type_course, neighbours},
    {kw::type_attribute, attributes},
    {kw::type_class, classes},
    {kw::type_location, location_of},
    {kw::type_word, word_of},
    {kw::prp_type, type_name},
    {kw::prp_name, name},
    {kw::prp_key, key},
    {kw::prp_comment, comment},
    {kw::prp_position, position},
    {kw::prp_opened, opened},
    {kw::prp_transparent, transparent},
    {kw::prp_defkey, default_key},
    {kw::prp_any, any},
    {kw::prp_pos_x, coordinate<0>},
    {kw::prp_pos_y, coordinate<1>},
    {kw::prp_pos_z, coordinate<2>},
    {kw::name_actor, speech_role<0>},
    {kw::name_speaker, speech_role<1>},
    {kw::name_addressee, speech_role<2>},
    {kw::name_count, count},
    {kw::name_synonym, synonyms},
    {kw::st_var, variable_names},
    {kw::st_plane, plane},
    {kw::rel_inside, held_entities<&object::inside>},
    {kw::rel_outside, held_entities<&object::outside>},
    {kw::rel_part, held_entities<&object::part>},
};

bool special_property(const operands& in, value& out) {
  for (const property_row& row : special_properties)
    if (row.code == in.right.Code()) return row.read(in, out);
  return false;
}

// any and count are the list's own; other properties are its elements',
// collected in a list of its kind, or summed in an and-list of numbers.
bool of_the_list_itself(const value& property) {
  return property.Type() == kw::type_keyword &&
         (property.Code() == kw::prp_any || property.Code() == kw::name_count);
}

bool element_properties(const operands& in, value& out) {
  value collected;
  int64_t sum = 0;
  bool all_numbers = true;
  for (const value& element : in.left.Items()) {
    value property;
    if (!op_property(in.With(element), property) || property.IsNull()) continue;
    if (property.Type() == kw::type_number)
      sum += property.GetNumber();
    else
      all_numbers = false;
    collected.AddToList(in.left.Type(), property, false);
  }
  bool summed = in.left.Type() == kw::type_and_list && all_numbers && !collected.IsNull();
  out = summed ? value::Number(int32_t(sum)) : collected;
  return true;
}

bool exit_of(const operands& in, value& out) {
  location* place = live_location(in.left);
  if (!place) throw u"Направления могут быть только у локаций";
  out = place->GetExit(in.right.Code());
  return true;
}

bool attribute_of(const operands& in, value& out) {
  object* entity = live_entity(in.left);
  object* attribute = live_entity(in.right);
  if (!entity || !attribute) return false;
  out = attribute_value(*entity, *attribute, in.ctx);
  return true;
}

// A variable of an entity or a context, its classes' included; null when
// there is none.
bool variable_of(const operands& in, value& out) {
  if (!context_of(in.left)) return false;
  wstring named;
  if (in.right.Type() == kw::type_string) {
    named = in.right.Text();
  } else {
    object* word = live_entity(in.right);
    if (!word) return false;
    named = word->Name();
  }
  value read;
  out = read_property(in.left, in.ctx, named, wstring(), read) ? read : value();
  return true;
}

}  // namespace

bool op_property(const operands& in, value& out) {
  if (in.left.IsList() && !of_the_list_itself(in.right)) return element_properties(in, out);
  switch (in.right.Type()) {
    case kw::type_keyword:
      return special_property(in, out);
    case kw::type_course:
      return exit_of(in, out);
    case kw::type_attribute:
      return attribute_of(in, out);
    case kw::type_string:
    case kw::type_word:
      return variable_of(in, out);
    default:
      return false;
  }
}
