#pragma once

#include "c_array.h"
#include "wstring.h"

class code_runner;
class context;
class key_matrix;
class object;
class value;

// What values ask of the world their entities live in: names, word forms,
// methods, exits and keys. The world model implements it. Without a world a
// value can still give the text and key of its own payload; an entity value
// then refuses.
//
// Values hold their entities through entity_ref, so the entities asked
// about are live ones.
class value_world {
 public:
  virtual ~value_world() = default;

  // What runs the world's code, whose nesting levels texts count too; null:
  // no code runs.
  virtual code_runner* Runner() const = 0;
  // The name as declared.
  virtual wstring EntityName(const object* entity) const = 0;
  // The value type of the entity (object .. preposition).
  virtual int EntityType(const object* entity) const = 0;
  // object::GetForm: the entity's form for the keys when it scores above
  // best, which then rises to that score.
  virtual bool GetForm(const object* entity, const key_matrix& keys, wstring& text, int& best) const = 0;
  // The words that name the entity and are still in the world.
  virtual c_array<object*, object*> LinkedWords(const object* entity) const = 0;
  // The word of the world with that name, or null.
  virtual object* FindWord(const wstring& name) const = 0;
  // The entity's property "title" when it has one that is not computed.
  virtual bool GetTitle(const object* entity, value& title) const = 0;
  // Calls the holder's method "_get_form" in a fresh context opened from ctx
  // with "_object" and "_объект" set to subject; true with the text when the
  // method answers with text.
  virtual bool CallGetForm(object* holder, const value& subject, context* ctx, wstring& text) = 0;
  // The exit text of the direction from the location ctx lies in; false
  // when ctx lies in no location.
  virtual bool GetExitText(context* ctx, int direction, wstring& text) = 0;
  // Adds the keys of the entity and of its classes to a value's key being
  // built (earlier keys win).
  virtual void AddEntityKeys(const object* entity, key_matrix& keys) const = 0;
};
