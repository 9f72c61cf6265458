// The map of the located locations: every location by the plane it lies on,
// with the bounds of each plane so that the page can draw it to scale.

#include "ide_map.h"

#include <algorithm>
#include <map>
#include <string>

#include "json_text.h"
#include "location.h"
#include "world.h"

namespace {

class plane_map {
 public:
  void Add(const location& place) {
    for (int axis = 0; axis < 3; ++axis) {
      low_[axis] = empty() ? place.position[axis] : std::min(low_[axis], place.position[axis]);
      high_[axis] = empty() ? place.position[axis] : std::max(high_[axis], place.position[axis]);
    }
    if (!empty()) entries_ += u',';
    entries_ += u'[';
    append_json_text(entries_, place.Name());
    for (int axis = 0; axis < 3; ++axis) {
      entries_ += u',';
      append_json_number(entries_, place.position[axis]);
    }
    entries_ += u']';
    ++count_;
  }

  // The bounds and the entries are texts of their own: the page parses
  // them again.
  void Write(wstring& out, const wstring& name) const {
    out += u'[';
    append_json_text(out, name);
    out += u',';
    append_json_text(out, Bounds());
    out += u',';
    wstring entries(u"[");
    entries += entries_;
    entries += u']';
    append_json_text(out, entries);
    out += u']';
  }

 private:
  bool empty() const { return count_ == 0; }

  // min x, max x, min y, max y, min z, max z
  wstring Bounds() const {
    wstring bounds(u"[");
    for (int axis = 0; axis < 3; ++axis) {
      if (axis > 0) bounds += u',';
      append_json_number(bounds, low_[axis]);
      bounds += u',';
      append_json_number(bounds, high_[axis]);
    }
    bounds += u']';
    return bounds;
  }

  int32_t low_[3] = {0, 0, 0};
  int32_t high_[3] = {0, 0, 0};
  wstring entries_;
  int count_ = 0;
};

}  // namespace

wstring map_json(const world& home) {
  std::map<std::u16string, plane_map> planes;
  for (const object_name_list_item& item : home.objects) {
    const location* place = dynamic_cast<const location*>(item.entity);
    if (place) planes[place->plane.Text()].Add(*place);
  }
  wstring out(u"[");
  bool first = true;
  for (const auto& [name, plane] : planes) {
    if (!first) out += u',';
    first = false;
    plane.Write(out, wstring(name.c_str()));
  }
  out += u']';
  return out;
}
