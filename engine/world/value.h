#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <set>

#include "c_array.h"
#include "c_index.h"
#include "entity_ref.h"
#include "wstring.h"

class context;
class expression_evaluator;
class key_matrix;
class object;
class value_items;
class value_list;
class value_world;

// What a copy of the world gives a value in place of the original's
// entities, contexts and list records (see world::Copy).
class value_remap {
 public:
  virtual ~value_remap() = default;
  virtual entity_ref Entity(const entity_ref& original) = 0;
  virtual context* Context(context* original) = 0;
  virtual std::shared_ptr<value_list> List(const std::shared_ptr<value_list>& original) = 0;
};

// What ToString may draw on besides the entity itself: the word "ты" for a
// character addressed in person, the entity's title, the value's owner.
enum value_text_flag : unsigned {
  text_person = 1,
  text_title = 2,
  text_owner = 4,
  text_all = text_person | text_title | text_owner,
};

// The one data type of the game language. Its type and code index the
// keyword table; the payload depends on the type: a number, an owned text
// (a string, or the optional message of a result word), a world entity, a
// list record, or a context. Every value also carries a key text.
//
// Entities are held through entity_ref, so a value naming a destroyed
// entity reads it as null ("ЗАБЫТО" where a name is shown). List records are
// shared by the values copied from one another until one of them changes
// (see value_list); a moved-from value is the keyword null.
class value {
 public:
  // The keyword null, the empty value.
  value();
  value(const value& other);
  value(value&& other) noexcept;
  value& operator=(const value& other);
  value& operator=(value&& other) noexcept;
  ~value();

  static value Number(int32_t number);
  static value String(wstring text);
  // A result word (codes 30..36) is a bool, a direction (37..46) a course,
  // any other code a keyword.
  static value Keyword(int code);
  static value Result(int code, const wstring& message);
  // Types object .. preposition.
  static value Entity(int type, object* entity);
  static value Context(context* ctx);

  int Type() const { return type_; }
  int Code() const { return code_; }
  int32_t GetNumber() const { return number_; }
  // The text of a string, the message of a result word.
  const wstring& Text() const;
  // The entity, or null once it is destroyed.
  object* GetEntity() const { return entity_.Get(); }
  context* GetContext() const { return context_; }
  // The elements of a list value; none for other types.
  value_items Items() const;

  const wstring& KeyText() const { return key_; }
  void SetKeyText(const wstring& key_text) { key_ = key_text; }
  // An entity the value stands with, such as the counted thing of a number.
  object* Associated() const { return associated_.Get(); }
  void SetAssociated(object* entity);
  // The entity whose property the value was read from.
  object* Owner() const { return owner_.Get(); }
  void SetOwner(object* entity);

  bool IsNull() const;
  bool IsList() const;
  // How deep lists nest in the value: 0 for one that is no list.
  int ListDepth() const;
  // Lists nest no deeper: copies and comparisons walk them recursively.
  static constexpr int max_list_depth = 256;
  bool IsEntity() const;
  // Whether both name one entity, gone or not.
  bool SameEntity(const value& other) const { return entity_.Identity() == other.entity_.Identity(); }

  bool operator==(const value& other) const;
  bool operator<(const value& other) const;
  bool operator>(const value& other) const;

  // Adds b to this value as to a list of list_type; a result word combines
  // with b by && or || instead.
  void AddToList(int list_type, const value& b, bool drop_key);
  // Keeps the elements of a list that are near by their "м" key.
  void DelFarawayFromList();

  // The name of the value for messages and keys.
  wstring ShortText(const value_world* world) const;
  // The full text of the value for the requested keys (null: none);
  // missing_form tells that a requested word form was not found.
  wstring ToString(value_world* world, context* ctx, const key_matrix* keys, unsigned flags,
                   bool& missing_form) const;
  // Rebuilds the key text from the value's own keys, its entity's keys and
  // its type's keys.
  void BuildKey(const value_world* world);
  // The text of a string value with its "{expression}" parts computed.
  wstring CalcString(value_world* world, expression_evaluator* evaluator, context* ctx) const;
  // The same value in a copy of its world.
  value CopiedInto(value_remap& remap) const;

 private:
  value(int type, int code);

  void Swap(value& other) noexcept;
  // Negative, zero or positive as this value orders before, equal to or
  // after the other. Comparing contexts raises the given message.
  int Order(const value& other, const char16_t* context_message) const;
  int PayloadOrder(const value& other, const char16_t* context_message) const;
  const char16_t* TypeKeyText() const;
  wstring EntityShortText(const value_world* world) const;

  void CombineResult(int list_type, const value& b);
  void BecomeList(int list_type, bool drop_key);
  void AppendOnce(const value& item);
  void AppendAll(const value_items& items);
  // Makes the record one this value may extend: its own, or shared with
  // values that see less of it.
  void PrepareToAppend();

  int8_t type_;
  int8_t code_;
  int32_t number_ = 0;
  // Shared by copies: a text is never changed once made.
  std::shared_ptr<const wstring> text_;
  entity_ref entity_;
  context* context_ = nullptr;
  std::shared_ptr<value_list> list_;
  int32_t list_count_ = 0;
  entity_ref associated_;
  entity_ref owner_;
  wstring key_;
};

// The record of list values: elements in insertion order, each once, with
// an index in value order. Values copied from one another share a record,
// each seeing its first elements; a value that sees all of them appends in
// place (the others still see what they saw), any other change takes a
// record of its own. So passing a list on copies nothing, and code that
// keeps appending to a variable's list spends amortised constant time on
// each element. Elements never move while the record lives, so a
// reference to one stays good while game code appends to the record.
class value_list {
 public:
  value_list() = default;
  value_list(const value_list&) = delete;
  value_list& operator=(const value_list&) = delete;

  int Count() const { return int(items_.size()); }
  // One more than the deepest list among its elements (at most; dropped
  // elements do not lower it).
  int Depth() const { return depth_; }
  const value& operator[](int i) const { return items_[size_t(i)]; }
  // Whether the item is among the first `count` elements.
  bool Holds(const value& item, int count) const;
  void Append(const value& item);
  // A new record of the first `count` elements.
  std::shared_ptr<value_list> Prefix(int count) const;
  // Drops the elements from `count` on.
  void Truncate(int count);
  // Fills an empty record with this one's elements as they are in a copy
  // of the world.
  void CopyInto(value_list& copy, value_remap& remap) const;

 private:
  // Orders element positions by the elements, and positions against values.
  struct by_element {
    using is_transparent = void;
    const value_list* list;
    bool operator()(int a, int b) const;
    bool operator()(int a, const value& b) const;
    bool operator()(const value& a, int b) const;
  };

  std::deque<value> items_;
  std::set<int, by_element> index_{by_element{this}};
  int depth_ = 1;
};

// The elements a list value sees: a view that keeps the record alive and
// reads it by position, so it stays good however the record grows.
class value_items {
 public:
  class iterator {
   public:
    iterator(const value_list* list, int at) : list_(list), at_(at) {}
    const value& operator*() const { return (*list_)[at_]; }
    iterator& operator++() {
      ++at_;
      return *this;
    }
    bool operator!=(const iterator& other) const { return at_ != other.at_; }

   private:
    const value_list* list_;
    int at_;
  };

  value_items() = default;
  value_items(std::shared_ptr<const value_list> list, int count) : list_(std::move(list)), count_(count) {}

  int Count() const { return count_; }
  // Negative positions count from the end; raises for one out of range.
  const value& operator[](int i) const;
  iterator begin() const { return iterator(list_.get(), 0); }
  iterator end() const { return iterator(list_.get(), count_); }

 private:
  std::shared_ptr<const value_list> list_;
  int count_ = 0;
};

// The logical && and || of two result words, as the language's operators
// compute them: a result of no, unknown or yes.
int result_and(int a, int b);
int result_or(int a, int b);
// Whether a result word holds (yes, ok); its logical negation, which leaves
// unknown and unclear open.
bool result_holds(int code);
int result_not(int code);
