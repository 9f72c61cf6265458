// Relations that test in a condition and act in a statement: is, like, the
// six placements of locations, inside, outside and part.

#include <cstdint>

#include "keyword_table.h"
#include "location.h"
#include "object.h"
#include "operator_rows.h"
#include "world.h"

namespace {

bool is_type_name(const value& v) { return v.Type() == kw::type_keyword && v.Code() <= kw::type_null; }

bool is_class_of(const operands& in, value& out) {
  object* entity = live_entity(in.left);
  object* cls = live_entity(in.right);
  if (!entity || !cls) return false;
  if (!in.action) {
    out = truth(entity->IsOfClass(cls->Id()));
    return true;
  }
  if (!entity->SetClass(in.right)) return false;
  out = value::Result(kw::result_ok, u"добавлен класс");
  return true;
}

// The coordinate a placement looks at and the step it places by.
struct placement {
  char16_t letter;
  int axis;  // 0 x, 1 y, 2 z
  int step;
};

constexpr placement placements[] = {
    {u'a', 2, 1}, {u'b', 2, -1}, {u'n', 1, 1}, {u's', 1, -1}, {u'e', 0, 1}, {u'w', 0, -1},
};

const placement& placement_of(char16_t letter) {
  for (const placement& p : placements)
    if (p.letter == letter) return p;
  throw u"Operation() invalid placement!";
}

value placed(location& place, const location& other, const placement& p) {
  place.plane = other.plane;
  for (int axis = 0; axis < 3; ++axis) place.position[axis] = other.position[axis];
  place.position[p.axis] = int32_t(int64_t(other.position[p.axis]) + p.step);
  return value::Result(kw::result_ok, u"локация позиционирована");
}

value lies_beyond(const location& place, const location& other, const placement& p) {
  if (place.plane != other.plane) return truth(false);
  int64_t difference = int64_t(place.position[p.axis]) - other.position[p.axis];
  return truth(p.step > 0 ? difference > 0 : difference < 0);
}

// How inside, outside and part hold an entity.
struct holding {
  char16_t letter;
  c_array<object*, object*> object::*held;
  const char16_t* comment;
};

constexpr holding holdings[] = {
    {u'I', &object::inside, u"внутри"},
    {u'O', &object::outside, u"снаружи"},
    {u'P', &object::part, u"часть"},
};

const holding& holding_of(char16_t letter) {
  for (const holding& h : holdings)
    if (h.letter == letter) return h;
  throw u"Operation() invalid holding!";
}

bool can_be_held(const value& v) { return v.Type() == kw::type_object || v.Type() == kw::type_location; }

bool holds_entity(const c_array<object*, object*>& list, const object* entity) {
  for (const object* held : list)
    if (held == entity) return true;
  return false;
}

wstring unsuitable_types(const value& a, const value& b) {
  wstring message(u"неподходящие типы объектов в операции: ");
  message += kw::at(a.Type()).russian;
  message += u", ";
  message += kw::at(b.Type()).russian;
  return message;
}

}  // namespace

bool op_is(const operands& in, value& out) {
  if (is_type_name(in.right)) {
    if (in.action) throw u"невозможно изменить тип значения!";
    out = truth(in.left.Type() == in.right.Code(), u"тип совпал", u"тип не совпадает");
    return true;
  }
  if (in.Numbers()) {
    out = truth(in.left.GetNumber() == in.right.GetNumber());
    return true;
  }
  if (in.left.IsList()) {
    out = over_elements(in.left, [&](const value& element) {
      value answer;
      return op_is(in.With(element), answer) ? answer : truth(false);
    });
    return true;
  }
  return in.left.IsEntity() && in.right.Type() == kw::type_class && is_class_of(in, out);
}

bool op_like(const operands& in, value& out) {
  if (in.left.IsList() || in.right.IsList()) throw u"Operation() 'l': операция подобия для списков не реализована!";
  object* entity = live_entity(in.left);
  object* model = live_entity(in.right);
  if (!entity || !model || entity == model) return false;
  if (!in.action) {
    out = truth(entity->IsLike(model->Id()), u"подобно", u"нет подобия");
    return true;
  }
  if (!entity->SetLike(in.right)) return false;
  out = value::Result(kw::result_ok, u"добавлено подобие");
  return true;
}

bool op_placement(const operands& in, value& out) {
  if (in.left.Type() != kw::type_location || in.right.Type() != kw::type_location)
    throw u"установить взаимное расположение можно только для локаций";
  location* place = live_location(in.left);
  location* other = live_location(in.right);
  if (!place || !other) throw u"локация не найдена";
  const placement& p = placement_of(in.letter);
  out = in.action ? placed(*place, *other, p) : lies_beyond(*place, *other, p);
  return true;
}

bool op_holding(const operands& in, value& out) {
  if (!can_be_held(in.left) || !can_be_held(in.right)) {
    if (in.action) throw unsuitable_types(in.left, in.right);
    out = truth(false);
    return true;
  }
  object* thing = live_entity(in.left);
  object* place = live_entity(in.right);
  if (!thing || !place) throw u"объекты не найдены";
  const holding& h = holding_of(in.letter);
  if (in.action) {
    thing->MoveTo(place, h.letter);
    out = value::Result(kw::result_ok, u"объект перемещён");
  } else {
    out = truth(holds_entity(place->*h.held, thing), h.comment);
  }
  return true;
}
