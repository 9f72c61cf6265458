// Moving entities: the parent and the relation lists inside, outside and
// part, kept as sets.

#include "keyword_table.h"
#include "object.h"
#include "world.h"

namespace {

using relation_list = c_array<object*, object*>;

enum relation : unsigned { in_list = 1, out_list = 2, part_list = 4, all_lists = 7 };

struct list_change {
  unsigned leaves;  // lists of the current parent the entity leaves
  unsigned joins;   // lists of the new place it joins
};

// By [same place][where % 4]: 0 is "P", 1 "I", 3 "O"; 2 joins nothing,
// but still leaves a parent left behind, whose lists must not keep an
// entity that may be destroyed elsewhere.
constexpr list_change list_changes[2][4] = {
    {{all_lists, out_list | part_list}, {all_lists, in_list}, {all_lists, 0}, {all_lists, out_list}},
    {{0, part_list}, {out_list, in_list}, {0, 0}, {in_list, out_list}},
};

int position_in(const relation_list& list, const object* entity) {
  for (int i = 0; i < list.Count(); ++i)
    if (list[i] == entity) return i;
  return -1;
}

void add_once(relation_list& list, object* entity) {
  if (position_in(list, entity) < 0) list.Insert(list.Count(), entity);
}

void remove(relation_list& list, object* entity) {
  int i = position_in(list, entity);
  if (i >= 0) list.Delete(i);
}

void change_lists(object& holder, unsigned lists, object* entity, void (*change)(relation_list&, object*)) {
  if (lists & in_list) change(holder.inside, entity);
  if (lists & out_list) change(holder.outside, entity);
  if (lists & part_list) change(holder.part, entity);
}

// Entities whose relation lists follow their contents.
bool keeps_lists(const context* c) {
  return c && c->Type() >= kw::type_object && c->Type() <= kw::type_location;
}

bool is_object_or_location(const context* c) {
  return c && (c->Type() == kw::type_object || c->Type() == kw::type_location);
}

bool is_object(const context* c) { return c && c->Type() == kw::type_object; }

// Locations stand in the world's root and relate to other locations both
// ways: what lies inside a place has that place in its outside list.
void move_location(object& moved, context* place, char16_t where) {
  if (place->Type() != kw::type_location) throw u"object::MoveTo() invalid Place->Type!";
  if (where != u'I' && where != u'O' && where != u'P') throw u"object::MoveTo() invalid Where";
  object& other = static_cast<object&>(*place);
  moved.SetParent(moved.World());
  change_lists(other, all_lists, &moved, remove);
  change_lists(moved, all_lists, &other, remove);
  if (where == u'I') {
    add_once(other.inside, &moved);
    add_once(moved.outside, &other);
  } else {
    add_once(other.outside, &moved);
    add_once(moved.inside, &other);
  }
}

// Refuses a place that lies within the moved entity, unless both are
// objects: then the place first steps up to the mover's parent.
void break_loop(object& moved, context* place) {
  int steps = 0;
  for (context* up = place->Parent(); up; up = up->Parent()) {
    if (++steps > context::max_enclosing_steps) throw u"object::MoveTo() петля!";
    if (up != &moved) continue;
    context* parent = moved.Parent();
    if (!is_object(&moved) || !is_object(place) || !parent) throw u"object::MoveTo() петля!";
    object& content = static_cast<object&>(*place);
    bool outside = keeps_lists(parent) && position_in(static_cast<object*>(parent)->outside, &content) >= 0;
    content.MoveTo(parent, outside ? u'O' : u'I');
    return;
  }
}

void change_relations(object& moved, context* place, char16_t where) {
  context* current = moved.Parent();
  const list_change& change = list_changes[current == place][where % 4];
  if (keeps_lists(current)) change_lists(static_cast<object&>(*current), change.leaves, &moved, remove);
  if (is_object_or_location(place)) change_lists(static_cast<object&>(*place), change.joins, &moved, add_once);
}

}  // namespace

void object::MoveTo(context* place, char16_t where) {
  if (!place) throw u"object::MoveTo() invalid Place!";
  if (place == this) throw u"object::MoveTo() объект не может находиться сам в себе!";
  if (type_ == kw::type_location && place->Type() != kw::type_context) {
    move_location(*this, place, where);
    return;
  }
  break_loop(*this, place);
  change_relations(*this, place, where);
  parent_ = place;
}
