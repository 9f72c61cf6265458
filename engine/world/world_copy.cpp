// Copying a world between commands, and the digest that tells whether a
// command changed it.

#include <unordered_map>

#include "keyword_table.h"
#include "location.h"
#include "world.h"

namespace {

// Finds the copy's counterpart of what the original's values point to:
// entities by identifier, list records each copied once so that values
// sharing one record in the original share one in the copy.
class world_copier : public value_remap {
 public:
  world_copier(const world& original, world& copy) : original_(original), copy_(copy) {}

  entity_ref Entity(const entity_ref& original) override {
    const object* entity = original.Get();
    // A vanished entity's anchor stays null for good: both worlds share it.
    if (!entity) return original;
    object* copied = Copied(entity);
    return copied ? copied->Ref() : entity_ref();
  }

  context* Context(context* original) override {
    if (original == &original_) return &copy_;
    if (original->IsEntity()) return Copied(static_cast<const object*>(original));
    return nullptr;  // code that ran and ended: nothing of it lives on
  }

  std::shared_ptr<value_list> List(const std::shared_ptr<value_list>& original) override {
    auto [found, made] = lists_.try_emplace(original.get());
    if (made) {
      // Entered before it is filled, so a list holding itself ends.
      found->second = std::make_shared<value_list>();
      original->CopyInto(*found->second, *this);
    }
    return found->second;
  }

  object* Copied(const object* entity) const {
    return entity && entity->World() == &original_ ? copy_.FindById(entity->Id()) : nullptr;
  }

  void CopyList(c_array<object*, object*>& list) const {
    for (int i = list.Count() - 1; i >= 0; --i) {
      list[i] = Copied(list[i]);
      if (!list[i]) list.Delete(i);
    }
  }

  void CopyIndex(c_index<object_name_list_item, const char16_t*>& index) const {
    for (int i = index.Count() - 1; i >= 0; --i) {
      index[i].entity = Copied(index[i].entity);
      if (!index[i].entity) index.Delete(i);
    }
  }

 private:
  const world& original_;
  world& copy_;
  std::unordered_map<const value_list*, std::shared_ptr<value_list>> lists_;
};

// Numbers and texts mixed in 64-bit steps, in the order the walk meets
// them: run after every command, so texts go four code units a step.
class state_digest {
 public:
  void Add(uint64_t number) {
    digest_ = (digest_ ^ number) * 0x9E3779B97F4A7C15ull;
    digest_ ^= digest_ >> 29;
  }
  void Add(const wstring& text) {
    const int length = text.Length();
    Add(uint64_t(length));
    for (int i = 0; i < length; i += 4) {
      uint64_t chunk = 0;
      for (int j = i; j < length && j < i + 4; ++j) chunk = chunk << 16 | text[j];
      Add(chunk);
    }
  }
  void Add(const value& v) {
    Add(uint64_t(v.Type()) << 8 | uint64_t(uint8_t(v.Code())));
    Add(v.KeyText());
    switch (v.Type()) {
      case kw::type_number: Add(uint64_t(uint32_t(v.GetNumber()))); break;
      case kw::type_string:
      case kw::type_bool: Add(v.Text()); break;
      default:
        if (v.IsList()) {
          value_items items = v.Items();
          Add(uint64_t(items.Count()));
          for (const value& item : items) Add(item);
        } else if (v.IsEntity()) {
          const object* entity = v.GetEntity();
          Add(uint64_t(entity ? entity->Id() : 0));
        }
    }
  }
  // Properties declared temporary ("tmp") are scratch: code keeps in them
  // what one command needs, and their changes change no game.
  void Add(const context& holder) {
    for (const variable& v : holder.Variables()) {
      if (v.is_temporary) continue;
      Add(v.name);
      Add(uint64_t(v.is_computed));
      Add(v.key_text);
      if (!v.is_computed) Add(v.content);
    }
  }
  void Add(const c_array<object*, object*>& list) {
    Add(uint64_t(list.Count()));
    for (const object* entity : list) Add(uint64_t(entity->Id()));
  }
  uint64_t Value() const { return digest_; }

 private:
  uint64_t digest_ = 0;
};

void add_entity(state_digest& digest, const object& entity) {
  digest.Add(uint64_t(entity.Id()));
  digest.Add(entity.Name());
  const context* parent = entity.Parent();
  digest.Add(uint64_t(parent && parent->IsEntity() ? static_cast<const object*>(parent)->Id() : 0));
  digest.Add(uint64_t(entity.opened) | uint64_t(entity.transparent) << 1);
  digest.Add(uint64_t(entity.main_class));
  digest.Add(uint64_t(entity.likeness));
  digest.Add(uint64_t(entity.classes.Count()));
  for (const object::numb_class& cls : entity.classes) digest.Add(uint64_t(cls.class_id));
  digest.Add(entity.own_keys);
  digest.Add(entity.inside);
  digest.Add(entity.outside);
  digest.Add(entity.part);
  digest.Add(entity);
  if (const location* place = dynamic_cast<const location*>(&entity)) {
    for (const location::exit_slot& exit : place->exits) {
      digest.Add(uint64_t(exit.target));
      digest.Add(exit.text);
      digest.Add(exit.blocked_text);
    }
  }
}

}  // namespace

std::unique_ptr<world> world::Copy() const {
  auto copy = std::make_unique<world>(name_);
  for (const object_id_list_item& item : ids) {
    if (!item.entity) continue;  // one being made: not between commands
    int pos;
    copy->ids.Add(item.id, pos);
    copy->ids[pos].entity = item.entity->CopyFor(*copy);
  }
  world_copier copier(*this, *copy);
  copy->CopyStateFrom(*this, copier);
  for (const object_id_list_item& item : ids) {
    if (!item.entity) continue;
    const object& original = *item.entity;
    object& copied = *copy->FindById(item.id);
    copied.CopyStateFrom(original, copier);
    for (auto list : {&object::inside, &object::outside, &object::part}) {
      copied.*list = original.*list;
      copier.CopyList(copied.*list);
    }
  }
  for (auto index : {&world::objects, &world::classes, &world::words, &world::prepositions}) {
    (*copy).*index = this->*index;
    copier.CopyIndex((*copy).*index);
  }
  copy->names = names;
  for (name_list_item& item : copy->names) copier.CopyList(item.entities);
  copy->word_forms = word_forms;
  for (word_form_list_item& item : copy->word_forms)
    for (word_form_list_item::owner& owner : item.owners) owner.entity = copier.Copied(owner.entity);
  copy->prepforms = prepforms;
  for (prepform& form : copy->prepforms) form.meaning = form.meaning.CopiedInto(copier);
  copy->functions.CopyFrom(functions);
  copy->player = player;
  copy->current_plane = current_plane;
  copy->loading = loading;
  copy->declaration_pass = declaration_pass;
  copy->dictionary = dictionary;
  copy->collector = collector;
  copy->logged_nouns = logged_nouns;
  copy->word_list = word_list;
  copy->taken_articles = taken_articles;
  copy->looked_up_words = looked_up_words;
  copy->file_label = file_label;
  copy->include_depth = include_depth;
  copy->source_digest = source_digest;
  copy->file_name_ = file_name_;
  copy->file_part_ = file_part_;
  copy->directory_ = directory_;
  copy->source_files_ = source_files_;
  copy->runner_ = runner_;
  copy->operator_host_ = operator_host_;
  return copy;
}

uint64_t world::StateDigest() const {
  state_digest digest;
  digest.Add(*this);
  digest.Add(uint64_t(player));
  digest.Add(current_plane);
  for (const object_id_list_item& item : ids)
    if (item.entity && item.entity->Type() != kw::type_word) add_entity(digest, *item.entity);
  return digest.Value();
}
