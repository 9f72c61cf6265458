#include "context.h"

#include <algorithm>
#include <iterator>

#include "key_matrix.h"
#include "keyword_table.h"
#include "object.h"
#include "world.h"

namespace {

// Key characters a variable does not keep from its value's key.
const char16_t* const stripped_key_chars = u"scрчпдмлаыш";
const char16_t* const always_stripped_key_chars = u"c";

wstring variable_message(const wstring& name, const char16_t* tail) {
  wstring message(u"переменная ");
  message += name;
  message += tail;
  return message;
}

// The first context from `from` upwards (itself included) that `accept`
// takes, as the entity it then is; null after max_enclosing_steps.
template <class Accept>
object* nearest(context* from, Accept accept) {
  context* c = from;
  for (int step = 0; c && step < context::max_enclosing_steps; ++step, c = c->Parent())
    if (accept(*c)) return static_cast<object*>(c);
  return nullptr;
}

}  // namespace

context::context(world* home, int type, context* parent) : type_(type), world_(home), parent_(parent) {}

context::~context() = default;

wstring context::NormalisedName(const wstring& name) {
  wstring normalised(name);
  normalised.ToLower(true);
  return normalised;
}

variable* context::FindVariable(const wstring& normalised_name) {
  int pos;
  return variables_.Find(normalised_name, pos) ? &variables_[pos] : nullptr;
}

void context::SetVariable(const wstring& name, const value& v, bool declare, bool strip) {
  if (name.IsEmpty()) return;
  wstring normalised = NormalisedName(name);
  // Built first: a malformed key is refused before anything changes.
  wstring key = StrippedKey(v, strip);
  variable* target = (IsEntity() || declare) ? &Declared(normalised, IsEntity()) : FindVariable(normalised);
  if (!target) {
    AssignInEnclosing(name, normalised, v);
    return;
  }
  target->content = v;
  target->is_computed = false;
  target->key_text = key;
  if (target->is_property && v.Type() == kw::type_bool) ResetRelatedAttributes(normalised, strip);
}

variable& context::Declared(const wstring& normalised_name, bool property) {
  int pos;
  if (variables_.Add(normalised_name, pos)) variables_[pos].is_property = property;
  return variables_[pos];
}

void context::AssignInEnclosing(const wstring& name, const wstring& normalised_name, const value& v) {
  context* c = parent_;
  for (int step = 0; c && step < max_enclosing_steps; ++step, c = c->parent_) {
    variable* found = c->FindVariable(normalised_name);
    if (!found) continue;
    // Locals of enclosing code are out of reach; only the root's are shared.
    if (c->parent_) throw variable_message(name, u" недоступна для изменения!");
    found->content = v;
    found->is_computed = false;
    return;
  }
  throw variable_message(name, u" не объявлена!");
}

wstring context::StrippedKey(const value& v, bool strip) const {
  value keyed(v);
  keyed.BuildKey(world_);
  key_matrix keys(keyed.KeyText().Text());
  keys.ClearKeys(strip ? stripped_key_chars : always_stripped_key_chars);
  return keys.GetKey();
}

void context::ResetRelatedAttributes(const wstring& normalised_name, bool strip) {
  if (type_ < kw::type_object || type_ > kw::type_word) return;
  object* attribute = world_->FindObject(normalised_name);
  if (!attribute || attribute->Type() != kw::type_attribute) return;
  const value no = value::Keyword(kw::result_no);
  const wstring no_key = StrippedKey(no, strip);
  // A copy: the list may name this very attribute, whose holder we change.
  const c_array<wstring, wstring> related(attribute->related_attributes);
  for (const wstring& name : related) {
    wstring related_name = NormalisedName(name);
    // The attribute just given is not taken back by its own list.
    if (related_name == normalised_name) continue;
    object* other = world_->FindObject(related_name);
    if (!other || other->Type() != kw::type_attribute) continue;
    variable& reset = Declared(related_name, true);
    reset.content = no;
    reset.is_computed = false;
    reset.key_text = no_key;
  }
}

bool context::GetVariable(const wstring& normalised_name, value& result, context* reader) {
  variable* found = FindVariable(normalised_name);
  if (!found) return false;
  result = found->GetValue(*this, reader);
  return true;
}

void context::DeleteVariable(const wstring& normalised_name) {
  int pos;
  if (variables_.Find(normalised_name, pos)) variables_.Delete(pos);
}

void context::CopyStateFrom(const context& original, value_remap& remap) {
  variables_ = original.variables_;
  for (variable& copied : variables_) copied.content = copied.content.CopiedInto(remap);
  std::copy(std::begin(original.characters), std::end(original.characters), characters);
  state = original.state;
  switch_values = original.switch_values;
  for (value& v : switch_values) v = v.CopiedInto(remap);
  parent_ = original.parent_ ? remap.Context(original.parent_) : nullptr;
  place_ = original.place_ ? static_cast<object*>(remap.Context(original.place_)) : nullptr;
  std::copy(std::begin(original.place_characters_), std::end(original.place_characters_), place_characters_);
}

void context::MoveTo(object* place) {
  if (!place) throw u"context::MoveTo() no Place!";
  place_ = place;
  for (int i = 0; i < 3; ++i) place_characters_[i] = place->characters[i];
}

object* context::NearestEntity() {
  return nearest(this, [](const context& c) { return c.IsEntity(); });
}

object* context::NearestLocation() {
  return nearest(this, [](const context& c) { return c.Type() == kw::type_location; });
}
