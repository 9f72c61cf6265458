// Locations: exits named by target, by blocked text or by the grid
// neighbour, and the texts that tell the player about them.

#include "location.h"

#include <algorithm>
#include <iterator>

#include "keyword_table.h"
#include "world.h"

namespace {

// In exit order, the direction codes 37 to 46.
constexpr direction_info directions[location::exit_count] = {
    {{0, 0, 1}, u"выше здесь не подняться", u"здесь есть подъём"},
    {{0, 0, -1}, u"здесь нет спуска вниз", u"здесь есть спуск"},
    {{0, 1, 0}, u"на север не пройти", u"здесь есть проход на север"},
    {{0, -1, 0}, u"на юг не пройти", u"здесь есть проход на юг"},
    {{1, 0, 0}, u"на восток не пройти", u"здесь есть проход на восток"},
    {{-1, 0, 0}, u"на запад не пройти", u"здесь есть проход на запад"},
    {{1, 1, 0}, u"на северо-восток не пройти", u"есть проход на северо-восток"},
    {{-1, 1, 0}, u"на северо-запад не пройти", u"есть проход на северо-запад"},
    {{1, -1, 0}, u"на юго-восток не пройти", u"есть проход на юго-восток"},
    {{-1, -1, 0}, u"на юго-запад не пройти", u"есть проход на юго-запад"},
};

int exit_index(int direction) {
  if (!kw::is_direction(direction)) throw u"location::Exit() invalid Direction!";
  return direction - kw::dir_up;
}

// Positions are compared in 64 bits so that no step overflows.
bool lies_one_step(const location& from, const location& to, const int (&step)[3]) {
  if (to.plane != from.plane) return false;
  for (int axis = 0; axis < 3; ++axis)
    if (int64_t(to.position[axis]) - from.position[axis] != step[axis]) return false;
  return true;
}

}  // namespace

const direction_info& direction_of(int direction) { return directions[exit_index(direction)]; }

location::location(world& home, const location& original) : object(home, original), plane(original.plane) {
  std::copy(std::begin(original.position), std::end(original.position), position);
  std::copy(std::begin(original.exits), std::end(original.exits), exits);
}

std::unique_ptr<object> location::CopyFor(world& home) const {
  return std::unique_ptr<object>(new location(home, *this));
}

location::location(context* where, bool inside, const wstring& name)
    : object(where, kw::type_location, inside, name) {}

location::exit_slot& location::Exit(int direction) { return exits[exit_index(direction)]; }

const location::exit_slot& location::Exit(int direction) const { return exits[exit_index(direction)]; }

value location::GetExit(int direction) {
  const exit_slot& slot = Exit(direction);
  const wstring no_way = direction_of(direction).no_way_text;
  if (!slot.blocked_text.IsEmpty()) return value::Result(kw::result_fail, slot.blocked_text);
  if (slot.target) {
    object* target = World()->FindById(slot.target);
    return target ? value::Entity(target->Type(), target) : value::Result(kw::result_fail, no_way);
  }
  location* next = Neighbour(direction);
  return next ? value::Entity(kw::type_location, next) : value::Result(kw::result_fail, no_way);
}

wstring location::GetExitText(int direction) {
  const exit_slot& slot = Exit(direction);
  if (!slot.text.IsEmpty()) return slot.text;
  if (!slot.blocked_text.IsEmpty()) return slot.blocked_text;
  const direction_info& info = direction_of(direction);
  return GetExit(direction).Type() == kw::type_location ? info.way_text : info.no_way_text;
}

int location::GetDirection(const location& other) const {
  int direction = kw::type_null;
  for (int d = kw::dir_up; d <= kw::dir_southwest && direction == kw::type_null; ++d)
    if (Exit(d).target == other.Id()) direction = d;
  if (direction == kw::type_null) direction = DirectionOnGrid(other);
  if (direction == kw::type_null) return kw::type_null;
  const exit_slot& slot = Exit(direction);
  bool elsewhere = slot.target && slot.target != other.Id();
  return slot.blocked_text.IsEmpty() && !elsewhere ? direction : kw::type_null;
}

location* location::Neighbour(int direction) const {
  const direction_info& info = direction_of(direction);
  for (const object_name_list_item& item : World()->objects) {
    if (item.entity->Type() != kw::type_location) continue;
    location* candidate = static_cast<location*>(item.entity);
    if (lies_one_step(*this, *candidate, info.step)) return candidate;
  }
  return nullptr;
}

int location::DirectionOnGrid(const location& other) const {
  for (int d = kw::dir_up; d <= kw::dir_southwest; ++d)
    if (lies_one_step(*this, other, direction_of(d).step)) return d;
  return kw::type_null;
}
