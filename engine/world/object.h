#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "c_array.h"
#include "c_index.h"
#include "context.h"
#include "entity_ref.h"
#include "key_matrix.h"
#include "value.h"
#include "wstring.h"

class world;

// An entity of the world: object, attribute, relation, act, class,
// location, word or preposition (value types 5 to 12). Its properties are
// its variables as a context; its place is its parent with the three
// relation lists. Locations and words add fields of their own (location,
// obj_word); create entities through world::Create so each gets its class.
class object : public context {
 public:
  // A direct class with the number of its assignment; later assignments
  // have priority.
  struct numb_class {
    int32_t class_id = 0;
    int32_t assignment = 0;
    void SetKey(int key) { class_id = key; }
    int CompareKey(int key) const { return class_id < key ? -1 : (class_id > key ? 1 : 0); }
  };
  // A word form: its key text and its text.
  struct form_list_item {
    wstring key;
    wstring text;
    void SetKey(const wstring& k) { key = k; }
    int CompareKey(const wstring& k) const { return key.Compare(k.Text()); }
  };

  // Deepest class chain IsOfClass and IsLike follow.
  static constexpr int max_class_depth = 100;

  // Creates and registers the entity in the world of `where` (raises the
  // creation messages); `inside` places it inside its parent, else outside.
  object(context* where, int type, bool inside, const wstring& name);
  ~object() override;

  // The entity as it is, for a copy of its world (see world::Copy): the
  // same identifier, name, code, classes and forms; its place, contents
  // and properties are the copy's to fill in, and the copy's indexes list
  // it.
  virtual std::unique_ptr<object> CopyFor(world& home) const;

  // Moves the entity: where is u'I' inside, u'O' outside, u'P' as a part.
  virtual void MoveTo(context* place, char16_t where);
  using context::MoveTo;
  virtual void AddForm(const wstring& key, const wstring& text);

  int32_t Id() const { return id_; }
  // What values and running code hold the entity by: it resolves to null
  // once the entity is destroyed.
  const entity_ref& Ref() const { return self_; }
  const wstring& Name() const { return name_; }
  const wstring& NormalisedName() const { return normalised_name_; }

  // The form whose key best fits `keys`, when its score beats `best`.
  bool GetForm(const key_matrix* keys, wstring& text, int& best) const;

  bool SetClass(const value& v);
  bool SetLike(const value& v);
  bool IsOfClass(int32_t class_id) const;
  bool IsLike(int32_t entity_id) const;
  // Whether class a has priority over class b for this entity.
  bool CalcClsPriority(int32_t a, int32_t b) const;

  // What a class walk does after visiting a class: go on above it, leave
  // out what lies above it, or stop.
  enum class class_step { go_on, skip, stop };
  // Visits the classes above the entity breadth first (the later effective
  // classes first), each once and at most max_class_depth steps up; true
  // when the visit stopped the walk.
  bool WalkClasses(const std::function<class_step(object&)>& visit) const;

  // Takes more game code: appended to the source, section headers declared
  // as methods, the unlabelled beginning run.
  void SetCode(const wstring& text);
  const wstring& SourceText() const { return source_text_; }

  // JSON for the development environment.
  void WriteObjectTree(wstring& out, int depth, bool no_descent) const;
  void WriteClassTree(wstring& out, int depth) const;
  void WritePropertyList(wstring& out) const;
  // The name with "@" before a class's and "$" before a word's.
  wstring MarkedName() const;

  wstring own_keys;
  wstring default_key;
  c_array<int32_t, int32_t> linked_words;
  bool opened = false;
  bool transparent = false;
  c_array<object*, object*> inside;
  c_array<object*, object*> outside;
  c_array<object*, object*> part;
  int32_t main_class = 0;
  c_index<numb_class, int> classes;
  c_index<numb_class, int> effective_classes;
  c_array<int32_t, int32_t> excluded_classes;
  c_array<int32_t, int32_t> heirs;
  int32_t likeness = 0;
  c_index<form_list_item, wstring> forms;
  // For an attribute: the names of the attributes set to no on a holder
  // when this one is given to it.
  c_array<wstring, wstring> related_attributes;

 protected:
  object(world& home, const object& original);

 private:
  // Enters the world's indexes and takes the word's link and keys and the
  // class of the same name.
  void Register(object* word);
  void ReleaseContents();
  void LeaveParent();
  void Unregister();

  bool SetClassList(const value& list);
  // The entity a class value names, by identifier; null when it is gone.
  object* ClassOf(const value& v) const;
  bool TakeClass(object& cls);
  void GiveClass(object& cls);
  void RebuildEffectiveClasses();
  // Declares a computed property: a section of the code.
  void DeclareMethod(const wstring& name);

  entity_ref self_ = entity_ref::Anchor(this);
  int32_t id_;
  wstring name_;
  wstring normalised_name_;
  wstring source_text_;
  // Whether the source has a labelled section, after which nothing runs as
  // the beginning.
  bool sectioned_ = false;
};

// The world's global variables as property-list rows for the development
// environment: kind, name, type, "global", an empty owner and the value.
void write_global_variables(wstring& out, world& home);
