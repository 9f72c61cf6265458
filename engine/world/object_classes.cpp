// Classes of an entity: giving and taking them, their priority, likeness.

#include "key_matrix.h"
#include "keyword_table.h"
#include "list_sets.h"
#include "object.h"
#include "world.h"

namespace {

// Engine-wide: a later assignment has priority over an earlier one.
int32_t last_class_assignment = 0;

using class_list = c_index<object::numb_class, int>;
using id_list = c_array<int32_t, int32_t>;

bool is_negated(const value& v) { return key_matrix(v.KeyText().Text()).GetMarker(u'е') == u'Н'; }

bool holds(const class_list& list, int32_t id) {
  int pos;
  return list.Find(id, pos);
}

void remove_class(class_list& list, int32_t id) {
  int pos;
  if (list.Find(id, pos)) list.Delete(pos);
}

id_list ancestors_of(const object& cls) {
  id_list found;
  cls.WalkClasses([&](object& above) {
    found.Insert(found.Count(), above.Id());
    return object::class_step::go_on;
  });
  return found;
}

}  // namespace

bool object::WalkClasses(const std::function<class_step(object&)>& visit) const {
  c_index<int32_t, int32_t> seen;
  int pos;
  seen.Add(id_, pos);
  c_array<const object*, const object*> level;
  level.Insert(0, this);
  // Breadth first, so a class is met at its shortest distance and the
  // depth limit cuts no chain that a shorter way reaches.
  for (int depth = 1; depth <= max_class_depth && level.Count() > 0; ++depth) {
    c_array<const object*, const object*> next;
    for (const object* below : level) {
      for (int i = below->effective_classes.Count() - 1; i >= 0; --i) {
        object* cls = world_->FindById(below->effective_classes[i].class_id);
        if (!cls || !seen.Add(cls->Id(), pos)) continue;
        class_step step = visit(*cls);
        if (step == class_step::stop) return true;
        if (step == class_step::go_on) next.Insert(next.Count(), cls);
      }
    }
    level = std::move(next);
  }
  return false;
}

bool object::IsOfClass(int32_t class_id) const {
  if (class_id == id_) return true;
  return WalkClasses([&](object& cls) { return cls.Id() == class_id ? class_step::stop : class_step::go_on; });
}

bool object::IsLike(int32_t entity_id) const {
  if (likeness == entity_id) return true;
  if (holds(classes, entity_id)) return false;
  return WalkClasses([&](object& cls) {
    if (cls.likeness == entity_id) return class_step::stop;
    return holds(cls.classes, entity_id) ? class_step::skip : class_step::go_on;
  });
}

bool object::SetClass(const value& v) {
  if (v.Type() == kw::type_and_list) return SetClassList(v);
  bool class_like = v.Type() == kw::type_attribute || v.Type() == kw::type_act;
  if (v.Type() != kw::type_class && !(class_like && v.Type() == type_)) return false;
  object* cls = ClassOf(v);
  if (!cls) return false;
  if (is_negated(v)) return TakeClass(*cls);
  GiveClass(*cls);
  return true;
}

bool object::SetClassList(const value& list) {
  if (is_negated(list)) throw u"отрицательный список в качестве класса!";
  if (!list.IsList()) throw u"object::SetClass() invalid List!";
  bool any = false;
  // Elements are single values: adding a list to a list of its kind merges
  // them, so nothing nests here.
  for (const value& item : list.Items())
    if (!item.IsList()) any |= SetClass(item);
  return any;
}

object* object::ClassOf(const value& v) const {
  if (!v.GetEntity()) return nullptr;
  int pos;
  if (!world_->ids.Find(v.GetEntity()->Id(), pos)) return nullptr;
  object* cls = world_->ids[pos].entity.get();
  if (!cls) throw u"object::SetClass() ошибка в списке объектов!";
  return cls;
}

bool object::TakeClass(object& cls) {
  if (cls.Id() == main_class) throw u"нельзя отменить основной класс!";
  bool was_direct = holds(classes, cls.Id());
  remove_class(classes, cls.Id());
  set_remove(cls.heirs, id_);
  bool excludes = type_ == kw::type_class || type_ == kw::type_attribute;
  if (excludes) {
    set_add(excluded_classes, cls.Id());
    set_add(cls.excluded_classes, id_);
  }
  RebuildEffectiveClasses();
  if (excludes && heirs.Count() > 0) throw u"класс уже имеет наследников, которые требуют проверки!";
  return was_direct || excludes;
}

void object::GiveClass(object& cls) {
  int pos;
  bool is_new = !classes.Find(cls.Id(), pos);
  // A more specific class replaces its ancestors among the direct classes;
  // checked before anything changes, so a refusal changes nothing.
  id_list replaced;
  if (is_new && classes.Count() > 0) {
    replaced = ancestors_of(cls);
    if (main_class && set_contains(replaced, main_class)) throw u"нельзя отменить основной класс!";
  }
  if (!main_class) main_class = cls.Id();
  classes.Add(cls.Id(), pos);
  classes[pos].assignment = ++last_class_assignment;
  set_add(cls.heirs, id_);
  for (int32_t ancestor : replaced) {
    if (!holds(classes, ancestor)) continue;
    remove_class(classes, ancestor);
    if (object* holder = world_->FindById(ancestor)) set_remove(holder->heirs, id_);
  }
  RebuildEffectiveClasses();
}

// Drops classes gone from the world, then keeps as effective only the
// classes no other direct class descends from.
void object::RebuildEffectiveClasses() {
  for (int i = classes.Count() - 1; i >= 0; --i)
    if (!world_->FindById(classes[i].class_id)) classes.Delete(i);
  effective_classes = classes;
  for (const numb_class& candidate : classes) {
    for (const numb_class& other : classes) {
      if (other.class_id == candidate.class_id) continue;
      if (world_->FindById(other.class_id)->IsOfClass(candidate.class_id)) {
        remove_class(effective_classes, candidate.class_id);
        break;
      }
    }
  }
}

bool object::SetLike(const value& v) {
  if (is_negated(v)) throw u"object::SetLike() отрицательное подобие!";
  if (likeness) throw u"не допускается присвоение более одного подобия!";
  int32_t kept_main = main_class;
  bool given = SetClass(v);
  if (!given) return false;
  if (object* model = v.GetEntity()) likeness = model->Id();
  if (kept_main) main_class = kept_main;
  return true;
}

bool object::CalcClsPriority(int32_t a, int32_t b) const {
  const object* holder = this;
  // Equal claims are settled by the class they came through, one level up
  // at a time.
  for (int depth = 0; depth <= max_class_depth; ++depth) {
    int32_t best_a = 0, best_b = 0;
    const object* through = nullptr;
    for (const numb_class& pair : holder->classes) {
      const object* cls = world_->FindById(pair.class_id);
      if (!cls) continue;
      bool own = pair.class_id == a || pair.class_id == b;
      if (pair.assignment > best_a && cls->IsOfClass(a)) {
        best_a = pair.assignment;
        through = own ? nullptr : cls;
      }
      if (pair.assignment > best_b && cls->IsOfClass(b)) {
        best_b = pair.assignment;
        through = own ? nullptr : cls;
      }
    }
    if (best_a != best_b) return best_a > best_b;
    if (!through) throw u"object::CalcClsPriority() не может такого быть!";
    holder = through;
  }
  return false;
}
