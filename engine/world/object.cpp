// Creating, registering and releasing entities; their word forms.

#include "object.h"

#include "keyword_table.h"
#include "list_sets.h"
#include "world.h"

namespace {

// Engine-wide, so identifiers stay unique across worlds; a failed creation
// still uses one up.
int32_t last_entity_id = 0;

using name_index = c_index<object_name_list_item, const char16_t*>;

world* world_of(context* where) {
  if (!where || !where->World()) throw u"object::object() invalid Context!";
  return where->World();
}

void enter(name_index& index, const wstring& name, object* entity) {
  int pos;
  index.Add(name.Text(), pos);
  index[pos].entity = entity;
}

void leave(name_index& index, const wstring& name, const object* entity) {
  int pos;
  if (index.Find(name.Text(), pos) && index[pos].entity == entity) index.Delete(pos);
}

// An object named like a word, or like a word followed by "_" or ":" and
// more, is named by that word.
object* naming_word(const world& home, int type, const wstring& name) {
  if (object* word = find_named(home.words, name)) return word;
  if (type >= kw::type_word) return nullptr;
  int cut = name.FindAny(u"_:");
  return cut > 0 ? find_named(home.words, name.Left(cut)) : nullptr;
}

void check_preposition_clash(const world& home, int type, const wstring& name) {
  if (type != kw::type_preposition) {
    if (find_named(home.prepositions, name)) throw u"имя не должно совпадать с предлогом!";
    return;
  }
  if (find_named(home.words, name)) throw u"предлог не должен совпадать с именем слова!";
  if (find_named(home.objects, name)) throw u"предлог не должен совпадать с именем объекта!";
}

void check_unique(const world& home, int type, const wstring& name, const object* word) {
  switch (type) {
    case kw::type_class:
      if (find_named(home.classes, name)) throw u"object::object() - не уникальное имя класса!";
      break;
    case kw::type_word:
      if (word) throw u"object::object() - не уникальное имя слова!";
      break;
    case kw::type_preposition:
      if (find_named(home.prepositions, name)) throw u"object::object() - повторное объявление предлога!";
      break;
    default:
      if (find_named(home.objects, name)) throw u"object::object() - не уникальное имя объекта!";
  }
}

context* initial_parent(context* where, int type) {
  object* parent = nullptr;
  if (type == kw::type_object) parent = where->NearestEntity();
  if (type == kw::type_location) parent = where->NearestLocation();
  return parent ? static_cast<context*>(parent) : where->World();
}

void enter_name_list(world& home, const wstring& name, object* entity) {
  int pos;
  home.names.Add(name.Text(), pos);
  set_add(home.names[pos].entities, entity);
}

void leave_name_list(world& home, const wstring& name, object* entity) {
  int pos;
  if (!home.names.Find(name.Text(), pos)) return;
  set_remove(home.names[pos].entities, entity);
  if (home.names[pos].entities.Count() == 0) home.names.Delete(pos);
}

wstring form_index_text(const wstring& form_text) { return context::NormalisedName(form_text); }

void enter_word_form(world& home, const wstring& text, object* entity, const wstring& key) {
  int pos;
  home.word_forms.Add(form_index_text(text).Text(), pos);
  c_array<word_form_list_item::owner, object*>& owners = home.word_forms[pos].owners;
  owners.Insert(owners.Count(), entity).key = key;
}

void leave_word_form(world& home, const wstring& text, const object* entity) {
  int pos;
  if (!home.word_forms.Find(form_index_text(text).Text(), pos)) return;
  c_array<word_form_list_item::owner, object*>& owners = home.word_forms[pos].owners;
  for (int i = owners.Count() - 1; i >= 0; --i)
    if (owners[i].entity == entity) owners.Delete(i);
  if (owners.Count() == 0) home.word_forms.Delete(pos);
}

}  // namespace

object::object(context* where, int type, bool inside, const wstring& name)
    : context(world_of(where), type, nullptr), name_(name), normalised_name_(context::NormalisedName(name)) {
  if (name_.IsEmpty()) throw u"object::object() invalid name!";
  world& home = *world_;
  check_preposition_clash(home, type, normalised_name_);
  id_ = ++last_entity_id;
  object* word = naming_word(home, type, normalised_name_);
  // Every refusal comes before the entity touches the world, so a refused
  // one leaves no trace but its identifier.
  check_unique(home, type, normalised_name_, word);
  MoveTo(initial_parent(where, type), inside ? u'I' : u'O');
  Register(word);
}

object::object(world& home, const object& original)
    : context(&home, original.type_, nullptr),
      own_keys(original.own_keys),
      default_key(original.default_key),
      linked_words(original.linked_words),
      opened(original.opened),
      transparent(original.transparent),
      main_class(original.main_class),
      classes(original.classes),
      effective_classes(original.effective_classes),
      excluded_classes(original.excluded_classes),
      heirs(original.heirs),
      likeness(original.likeness),
      forms(original.forms),
      related_attributes(original.related_attributes),
      id_(original.id_),
      name_(original.name_),
      normalised_name_(original.normalised_name_),
      source_text_(original.source_text_),
      sectioned_(original.sectioned_) {}

std::unique_ptr<object> object::CopyFor(world& home) const {
  return std::unique_ptr<object>(new object(home, *this));
}

void object::Register(object* word) {
  world& home = *world_;
  int pos;
  home.ids.Add(id_, pos);  // owned once world::Create hands the entity over
  switch (type_) {
    case kw::type_class:
      enter(home.classes, normalised_name_, this);
      enter_name_list(home, normalised_name_, this);
      if (word) set_add(linked_words, word->Id());
      break;
    case kw::type_word:
      enter(home.words, normalised_name_, this);
      break;
    case kw::type_preposition:
      enter(home.prepositions, normalised_name_, this);
      break;
    default:
      enter(home.objects, normalised_name_, this);
      enter_name_list(home, normalised_name_, this);
      if (word) {
        set_add(linked_words, word->Id());
        own_keys = word->own_keys;
      }
      // Only a class the world owns: any other would refuse being given.
      object* same_named = find_named(home.classes, normalised_name_);
      if (same_named && home.FindById(same_named->Id())) SetClass(value::Entity(kw::type_class, same_named));
  }
}

object::~object() {
  self_.Clear();
  if (world_->Dismantling()) return;
  ReleaseContents();
  LeaveParent();
  Unregister();
}

// What stood in, on or as part of the entity is left in the world.
void object::ReleaseContents() {
  for (c_array<object*, object*>* list : {&inside, &outside, &part}) {
    for (object* held : *list) {
      // Locations list each other both ways; no list may keep this entity.
      set_remove(held->inside, this);
      set_remove(held->outside, this);
      set_remove(held->part, this);
      held->SetParent(world_);
    }
    list->Clear();
  }
}

void object::LeaveParent() {
  if (parent_ && parent_->Type() >= kw::type_object && parent_->Type() <= kw::type_location) {
    object& holder = static_cast<object&>(*parent_);
    set_remove(holder.inside, this);
    set_remove(holder.outside, this);
    set_remove(holder.part, this);
  }
  parent_ = nullptr;
}

void object::Unregister() {
  world& home = *world_;
  for (name_index* index : {&home.objects, &home.classes, &home.words, &home.prepositions})
    leave(*index, normalised_name_, this);
  leave_name_list(home, normalised_name_, this);
  for (const form_list_item& form : forms) leave_word_form(home, form.text, this);
  for (const numb_class& cls : classes)
    if (object* holder = home.FindById(cls.class_id)) set_remove(holder->heirs, id_);
  int pos;
  // An entity never handed to world::Create leaves an empty entry behind.
  if (home.ids.Find(id_, pos) && !home.ids[pos].entity) home.ids.Delete(pos);
}

void object::AddForm(const wstring& key, const wstring& text) {
  int skip = 0;
  while (skip < key.Length() && key[skip] == u'#') ++skip;
  wstring form_key = key.Mid(skip, wstring::text_end);
  int pos;
  if (!forms.Add(form_key, pos)) return;
  forms[pos].text = text;
  enter_word_form(*world_, text, this, form_key);
}

bool object::GetForm(const key_matrix* keys, wstring& text, int& best) const {
  if (!keys) throw u"object::GetForm() нет ключа!";
  if (forms.Count() == 0) return false;
  key_matrix merged = *keys;
  merged.AddKey(default_key.Text());
  bool strict = keys->AsksForForm();
  bool only_fitting = strict && keys->Score(own_keys.Text()) == 0;
  const form_list_item* winner = nullptr;
  int winner_score = 0;
  for (const form_list_item& form : forms) {
    if (only_fitting && keys->Score(form.key.Text()) == 0) continue;
    int score = merged.Score(form.key.Text());
    if (score > winner_score) {
      winner = &form;
      winner_score = score;
    }
  }
  if (!winner) return false;
  int final_score = strict ? keys->Score((winner->key + own_keys.Text()).Text()) : 100;
  if (final_score <= best) return false;
  best = final_score;
  text = winner->text;
  return true;
}

wstring object::MarkedName() const {
  wstring marked = type_ == kw::type_class ? u"@" : type_ == kw::type_word ? u"$" : u"";
  marked += name_;
  return marked;
}
