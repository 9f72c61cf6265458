// The world: the root context that owns the entities and their indexes,
// and what values and the output pool ask of it.

#include "world.h"

#include "keyword_table.h"
#include "location.h"
#include "obj_word.h"
#include "world_registry.h"

namespace {

std::unique_ptr<object> make_entity(context* where, int type, bool inside, const wstring& name) {
  if (type == kw::type_location) return std::make_unique<location>(where, inside, name);
  if (type == kw::type_word || type == kw::type_preposition)
    return std::make_unique<obj_word>(where, type, inside, name);
  return std::make_unique<object>(where, type, inside, name);
}

const char16_t* const get_form_names[] = {u"_get_form", u"_получить_форму"};
const char16_t* const subject_names[] = {u"_object", u"_объект"};

bool is_method(const context& holder, const wstring& name) {
  int pos;
  return holder.Variables().Find(name, pos) && holder.Variables()[pos].is_computed;
}

}  // namespace

object* world::MethodHolder(object& holder, const wstring& name) {
  if (is_method(holder, name)) return &holder;
  object* found = nullptr;
  holder.WalkClasses([&](object& cls) {
    if (!is_method(cls, name)) return object::class_step::go_on;
    found = &cls;
    return object::class_step::stop;
  });
  return found;
}

world::world(const wstring& name) : context(this, kw::type_context, nullptr), name_(name) {
  register_world(*this, name_);
}

world::~world() {
  ReleaseEntities();
  unregister_world(*this, name_);
}

void world::ReleaseEntities() {
  // Every entity goes, so the indexes and the places go whole rather than
  // being kept up to date entity by entity, which costs the square of
  // their sizes.
  dismantling_ = true;
  for (auto index : {&world::objects, &world::classes, &world::words, &world::prepositions}) (this->*index).Clear();
  names.Clear();
  word_forms.Clear();
  prepforms.Clear();
  while (ids.Count() > 0) ReleaseEntry(ids.Count() - 1);
  dismantling_ = false;
}

void world::ReleaseEntry(int pos) {
  std::unique_ptr<object> owned = std::move(ids[pos].entity);
  ids.Delete(pos);
}

object* world::Create(context* where, int type, bool inside, const wstring& name) {
  if (!where) where = this;
  if (where->World() != this) throw u"world::Create() invalid Context!";
  std::unique_ptr<object> made = make_entity(where, type, inside, name);
  object* entity = made.get();
  ids.Get(entity->Id())->entity = std::move(made);
  return entity;
}

void world::Destroy(object* entity) {
  if (!entity) return;
  int pos;
  if (ids.Find(entity->Id(), pos) && ids[pos].entity.get() == entity) ReleaseEntry(pos);
}

object* world::FindById(int32_t id) const {
  int pos;
  return ids.Find(id, pos) ? ids[pos].entity.get() : nullptr;
}

object* world::FindObject(const wstring& normalised_name) const { return find_named(objects, normalised_name); }

object* world::FindClass(const wstring& normalised_name) const { return find_named(classes, normalised_name); }

obj_word* world::FindPreposition(const wstring& normalised_name) const {
  return dynamic_cast<obj_word*>(find_named(prepositions, normalised_name));
}

object* world::FindWord(const wstring& name) const { return find_named(words, name); }

wstring world::EntityName(const object* entity) const { return entity->Name(); }

int world::EntityType(const object* entity) const { return entity->Type(); }

bool world::GetForm(const object* entity, const key_matrix& keys, wstring& text, int& best) const {
  return entity->GetForm(&keys, text, best);
}

c_array<object*, object*> world::LinkedWords(const object* entity) const {
  c_array<object*, object*> found;
  for (int32_t id : entity->linked_words)
    if (object* word = FindById(id)) found.Insert(found.Count(), word);
  return found;
}

bool world::GetTitle(const object* entity, value& title) const {
  int pos;
  if (!entity->Variables().Find(u"title", pos)) return false;
  const variable& property = entity->Variables()[pos];
  if (property.is_computed) return false;
  title = property.content;
  return true;
}

bool world::CallGetForm(object* holder, const value& subject, context* ctx, wstring& text) {
  if (!runner_) return false;
  for (const char16_t* name : get_form_names) {
    object* code_holder = MethodHolder(*holder, name);
    if (!code_holder) continue;
    context fresh(this, kw::type_context, ctx ? ctx : holder);
    for (const char16_t* subject_name : subject_names) fresh.SetVariable(subject_name, subject, true, false);
    value answer = runner_->RunMethod(*code_holder, name, fresh);
    if (answer.Type() != kw::type_string) return false;
    text = answer.Text();
    return true;
  }
  return false;
}

bool world::GetExitText(context* ctx, int direction, wstring& text) {
  location* place = dynamic_cast<location*>(ctx ? ctx->NearestLocation() : nullptr);
  if (!place) return false;
  text = place->GetExitText(direction);
  return true;
}

void world::AddEntityKeys(const object* entity, key_matrix& keys) const {
  keys.AddKey(entity->own_keys.Text());
  entity->WalkClasses([&](object& cls) {
    keys.AddKey(cls.own_keys.Text());
    return object::class_step::go_on;
  });
}

bool world::PrepositionForm(const wstring& word, const wstring& next, wstring& form) const {
  wstring name = NormalisedName(word);
  obj_word* found = dynamic_cast<obj_word*>(find_named(words, name));
  if (!found) found = FindPreposition(name);
  if (!found) return false;
  form = found->GetPreposition(NormalisedName(next));
  return true;
}
