#include "value.h"

#include <algorithm>
#include <compare>
#include <utility>

#include "key_matrix.h"
#include "keyword_table.h"
#include "object.h"
#include "value_world.h"

namespace {

template <class T>
int three_way(const T& a, const T& b) {
  auto order = std::compare_three_way{}(a, b);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// Result words as truths: yes and ok hold, no, illegal and fail do not,
// unknown and unclear leave it open.
bool holds(int code) { return code == kw::result_yes || code == kw::result_ok; }
bool fails(int code) {
  return code == kw::result_no || code == kw::result_illegal || code == kw::result_fail;
}
bool open_truth(int code) { return !holds(code) && !fails(code); }

// How an element stands by its "м" (reach) key.
enum class reach { unmarked, near, far };

void check_nesting(const value& item) {
  if (item.ListDepth() >= value::max_list_depth) throw u"слишком глубокая вложенность списков!";
}

reach reach_of(const value& item) {
  char16_t marker = key_matrix(item.KeyText().Text()).GetMarker(u'м');
  if (marker == 0) return reach::unmarked;
  return marker == u'!' ? reach::far : reach::near;
}

}  // namespace

int result_and(int a, int b) {
  if (fails(a) || fails(b)) return kw::result_no;
  if (open_truth(a) || open_truth(b)) return kw::result_unknown;
  return kw::result_yes;
}

int result_or(int a, int b) {
  if (holds(a) || holds(b)) return kw::result_yes;
  if (open_truth(a) || open_truth(b)) return kw::result_unknown;
  return kw::result_no;
}

bool result_holds(int code) { return holds(code); }

int result_not(int code) {
  if (open_truth(code)) return code;
  return holds(code) ? kw::result_no : kw::result_yes;
}

// ---- construction ----

value::value() : value(kw::type_keyword, kw::type_null) {}

value::value(int type, int code) : type_(int8_t(type)), code_(int8_t(code)) {}

value::value(const value& other)
    : type_(other.type_),
      code_(other.code_),
      number_(other.number_),
      text_(other.text_),
      entity_(other.entity_),
      context_(other.context_),
      list_(other.list_),
      list_count_(other.list_count_),
      associated_(other.associated_),
      owner_(other.owner_),
      key_(other.key_) {}

value::value(value&& other) noexcept : value() { Swap(other); }

// Both assignments build the new state aside first, so a value may be
// assigned an element of its own list.
value& value::operator=(const value& other) {
  value copy(other);
  Swap(copy);
  return *this;
}

value& value::operator=(value&& other) noexcept {
  value taken(std::move(other));
  Swap(taken);
  return *this;
}

value::~value() = default;

void value::Swap(value& other) noexcept {
  std::swap(type_, other.type_);
  std::swap(code_, other.code_);
  std::swap(number_, other.number_);
  std::swap(text_, other.text_);
  std::swap(entity_, other.entity_);
  std::swap(context_, other.context_);
  std::swap(list_, other.list_);
  std::swap(list_count_, other.list_count_);
  std::swap(associated_, other.associated_);
  std::swap(owner_, other.owner_);
  std::swap(key_, other.key_);
}

value value::Number(int32_t number) {
  value v(kw::type_number, 0);
  v.number_ = number;
  return v;
}

value value::String(wstring text) {
  value v(kw::type_string, 0);
  v.text_ = std::make_shared<const wstring>(std::move(text));
  return v;
}

value value::Keyword(int code) {
  kw::at(code);  // refuses codes outside the table
  if (kw::is_result_word(code)) return value(kw::type_bool, code);
  if (kw::is_direction(code)) return value(kw::type_course, code);
  return value(kw::type_keyword, code);
}

value value::Result(int code, const wstring& message) {
  if (!kw::is_result_word(code)) throw u"value::Result() invalid Code!";
  value v(kw::type_bool, code);
  v.text_ = std::make_shared<const wstring>(message);
  return v;
}

value value::Entity(int type, object* entity) {
  if (!kw::is_entity_type(type)) throw u"value::Entity() invalid Type!";
  value v(type, 0);
  if (entity) v.entity_ = entity->Ref();
  return v;
}

value value::CopiedInto(value_remap& remap) const {
  value copy(*this);
  copy.entity_ = remap.Entity(entity_);
  copy.associated_ = remap.Entity(associated_);
  copy.owner_ = remap.Entity(owner_);
  if (context_) copy.context_ = remap.Context(context_);
  if (list_) copy.list_ = remap.List(list_);
  return copy;
}

value value::Context(context* ctx) {
  value v(kw::type_context, 0);
  v.context_ = ctx;
  return v;
}

void value::SetAssociated(object* entity) { associated_ = entity ? entity->Ref() : entity_ref(); }

void value::SetOwner(object* entity) { owner_ = entity ? entity->Ref() : entity_ref(); }

const wstring& value::Text() const {
  static const wstring no_text;
  return text_ ? *text_ : no_text;
}

bool value::IsNull() const { return type_ == kw::type_keyword && code_ == kw::type_null; }
bool value::IsList() const { return kw::is_list_type(type_); }
bool value::IsEntity() const { return kw::is_entity_type(type_); }
int value::ListDepth() const { return list_ ? list_->Depth() : 0; }

// ---- order ----

bool value::operator==(const value& other) const {
  return Order(other, u"value::operator==() Context!") == 0;
}

bool value::operator<(const value& other) const {
  return Order(other, u"value::operator<() Context!") < 0;
}

bool value::operator>(const value& other) const {
  return Order(other, u"value::operator>() Context!") > 0;
}

int value::Order(const value& other, const char16_t* context_message) const {
  if (type_ != other.type_) return three_way(type_, other.type_);
  if (int keys = key_.Compare(other.key_.Text())) return keys;
  return PayloadOrder(other, context_message);
}

int value::PayloadOrder(const value& other, const char16_t* context_message) const {
  switch (type_) {
    case kw::type_bool:
    case kw::type_keyword:
    case kw::type_course:
      return three_way(code_, other.code_);
    case kw::type_number:
      return three_way(number_, other.number_);
    case kw::type_string:
      return Text().Compare(other.Text().Text());
    case kw::type_and_list:
    case kw::type_or_list: {
      const value_items mine = Items();
      const value_items theirs = other.Items();
      for (int i = 0; i < mine.Count() && i < theirs.Count(); ++i)
        if (int order = mine[i].Order(theirs[i], context_message)) return order;
      return three_way(mine.Count(), theirs.Count());
    }
    case kw::type_context:
      throw context_message;
    default:
      return three_way(entity_.Identity(), other.entity_.Identity());
  }
}

// ---- lists ----

value_items value::Items() const { return list_ ? value_items(list_, list_count_) : value_items(); }

void value::AddToList(int list_type, const value& b, bool drop_key) {
  if (!kw::is_list_type(list_type)) throw u"value::AddToList() invalid ListType";
  if (b.IsNull()) return;
  if (IsNull()) {
    *this = b;
    return;
  }
  if (b == *this) return;
  if (type_ == kw::type_bool) {
    CombineResult(list_type, b);
    return;
  }
  // b may be an element of this list's record, which must outlive it.
  const std::shared_ptr<value_list> held(list_);
  if (type_ != list_type) BecomeList(list_type, drop_key);
  if (b.type_ == list_type) {
    AppendAll(b.Items());
  } else if (drop_key) {
    value keyless(b);
    keyless.key_ = wstring();
    AppendOnce(keyless);
  } else {
    AppendOnce(b);
  }
}

void value::CombineResult(int list_type, const value& b) {
  if (b.type_ != kw::type_bool) throw u"Добавление в список данных логического типа!";
  code_ = int8_t(list_type == kw::type_and_list ? result_and(code_, b.code_) : result_or(code_, b.code_));
  text_.reset();
}

void value::BecomeList(int list_type, bool drop_key) {
  check_nesting(*this);
  value first(std::move(*this));
  if (drop_key) first.key_ = wstring();
  type_ = int8_t(list_type);
  code_ = 0;
  list_ = std::make_shared<value_list>();
  list_count_ = 0;
  AppendOnce(first);
}

void value::PrepareToAppend() {
  if (list_count_ == list_->Count()) return;
  if (list_.use_count() == 1)
    list_->Truncate(list_count_);
  else
    list_ = list_->Prefix(list_count_);
}

void value::AppendOnce(const value& item) {
  check_nesting(item);
  PrepareToAppend();
  if (list_->Holds(item, list_count_)) return;
  list_->Append(item);
  ++list_count_;
}

// The view keeps its record, and reads it by position, while this list
// grows, even when both share one record.
void value::AppendAll(const value_items& items) {
  for (const value& item : items) AppendOnce(item);
}

void value::DelFarawayFromList() {
  if (!IsList()) return;
  const value_items items = Items();
  int near_count = 0, far_count = 0, near_at = -1, far_at = -1;
  for (int i = 0; i < items.Count(); ++i) {
    reach r = reach_of(items[i]);
    if (r == reach::near) {
      ++near_count;
      near_at = i;
    } else if (r == reach::far) {
      ++far_count;
      far_at = i;
    }
  }
  if (near_count + far_count == 0 || near_count == items.Count() || far_count == items.Count()) return;
  // A single far element wins only over unmarked ones: beside several near
  // ones it is dropped like any far element.
  if (near_count == 1 || (near_count == 0 && far_count == 1)) {
    *this = items[near_count == 1 ? near_at : far_at];
    return;
  }
  std::shared_ptr<value_list> kept = std::make_shared<value_list>();
  for (const value& item : items) {
    reach r = reach_of(item);
    if (r == reach::near || (r == reach::far && near_count == 0)) kept->Append(item);
  }
  list_ = kept;
  list_count_ = kept->Count();
}

bool value_list::by_element::operator()(int a, int b) const { return (*list)[a] < (*list)[b]; }
bool value_list::by_element::operator()(int a, const value& b) const { return (*list)[a] < b; }
bool value_list::by_element::operator()(const value& a, int b) const { return a < (*list)[b]; }

bool value_list::Holds(const value& item, int count) const {
  auto found = index_.find(item);
  return found != index_.end() && *found < count;
}

void value_list::Append(const value& item) {
  depth_ = std::max(depth_, item.ListDepth() + 1);
  items_.push_back(item);
  try {
    index_.insert(Count() - 1);
  } catch (...) {
    items_.pop_back();
    throw;
  }
}

std::shared_ptr<value_list> value_list::Prefix(int count) const {
  std::shared_ptr<value_list> copy = std::make_shared<value_list>();
  for (int i = 0; i < count; ++i) copy->Append(items_[size_t(i)]);
  return copy;
}

void value_list::CopyInto(value_list& copy, value_remap& remap) const {
  copy.depth_ = depth_;
  // Elements that were distinct stay so (a vanished entity included), so
  // each is kept without the uniqueness check of Append.
  for (const value& item : items_) {
    copy.items_.push_back(item.CopiedInto(remap));
    copy.index_.insert(copy.Count() - 1);
  }
}

void value_list::Truncate(int count) {
  while (Count() > count) {
    index_.erase(Count() - 1);
    items_.pop_back();
  }
}

const value& value_items::operator[](int i) const {
  if (i < 0) i += count_;
  if (i < 0 || i >= count_) throw "array::operator[] Index out of range!";
  return (*list_)[i];
}

// ---- short text and key ----

wstring value::ShortText(const value_world* world) const {
  switch (type_) {
    case kw::type_bool:
    case kw::type_course:
      return kw::at(code_).russian;
    case kw::type_number:
      return wstring(double(number_));
    case kw::type_keyword:
      return kw::at(code_).english;
    case kw::type_string:
      return Text();
    default:
      if (!IsEntity()) return kw::at(type_).russian;  // lists and contexts
      if (!world) throw u"value::ShortText() no World!";
      return EntityShortText(world);
  }
}

wstring value::EntityShortText(const value_world* world) const {
  object* entity = entity_.Get();
  if (!entity) return u"ЗАБЫТО";
  wstring text = type_ == kw::type_class ? u"@" : type_ == kw::type_word ? u"$" : u"";
  text += world->EntityName(entity);
  return text;
}

void value::BuildKey(const value_world* world) {
  key_matrix keys(key_.Text());
  if (IsEntity()) {
    if (!world) throw u"value::BuildKey() no World!";
    if (object* entity = entity_.Get()) world->AddEntityKeys(entity, keys);
  }
  keys.AddKey(TypeKeyText());
  key_ = keys.GetKey();
}

const char16_t* value::TypeKeyText() const {
  return type_ == kw::type_keyword ? kw::at(code_).key_text : kw::type_key_text(type_);
}
