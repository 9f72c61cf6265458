#pragma once

#include <cstdint>
#include <memory>

#include "c_array.h"
#include "c_index.h"
#include "wstring.h"

class context;
class expression_evaluator;
class key_matrix;
class object;
class value_world;
struct value_list;

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
// (a string, or the optional message of a result word), a world entity, an
// owned list record, or a context. Every value also carries a key text.
//
// A list value always owns its record; a moved-from value is the keyword
// null.
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
  static value String(const wstring& text);
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
  const wstring& Text() const { return text_; }
  object* GetEntity() const { return entity_; }
  context* GetContext() const { return context_; }
  // The record of a list value; null for other types.
  const value_list* List() const { return list_.get(); }

  const wstring& KeyText() const { return key_; }
  void SetKeyText(const wstring& key_text) { key_ = key_text; }
  // An entity the value stands with, such as the counted thing of a number.
  object* Associated() const { return associated_; }
  void SetAssociated(object* entity) { associated_ = entity; }
  // The entity whose property the value was read from.
  object* Owner() const { return owner_; }
  void SetOwner(object* entity) { owner_ = entity; }

  bool IsNull() const;
  bool IsList() const;
  bool IsEntity() const;

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
  void AppendAll(const value_list& items);
  void DeleteItem(int position);

  int8_t type_;
  int8_t code_;
  int32_t number_ = 0;
  wstring text_;
  object* entity_ = nullptr;
  context* context_ = nullptr;
  std::unique_ptr<value_list> list_;
  object* associated_ = nullptr;
  object* owner_ = nullptr;
  wstring key_;
};

// The elements of an and-list or or-list: in insertion order, and sorted in
// an index that keeps them unique.
struct value_list {
  c_array<value, value> items;
  c_index<value, value> index;
};

// The logical && and || of two result words, as the language's operators
// compute them: a result of no, unknown or yes.
int result_and(int a, int b);
int result_or(int a, int b);
// Whether a result word holds (yes, ok); its logical negation, which leaves
// unknown and unclear open.
bool result_holds(int code);
int result_not(int code);
