#pragma once

#include <cstdint>
#include <memory>

#include "c_index.h"
#include "fn_arg.h"
#include "fn_it.h"
#include "value.h"
#include "wstring.h"

class world;

// A name of the type list with its number.
struct fn_type_item {
  wstring name;
  int32_t type = 0;
  void SetKey(const char16_t* key) { name = key; }
  int CompareKey(const char16_t* key) const { return name.Compare(key); }
};

// An entry of FnAgIndex: a type, its name and the functions that have an
// argument of that type.
struct fn_ag_item {
  int32_t type = 0;
  wstring name;
  c_index<fn_args, fn_args> functions;
  void SetKey(int key) { type = key; }
  int CompareKey(int key) const { return type < key ? -1 : (type > key ? 1 : 0); }
};

// The game functions of a world: the function list by argument list, the
// type list numbering every type name an argument gives, and FnAgIndex
// from a type number to the functions using it.
class fn_list_item {
 public:
  explicit fn_list_item(const world& home) : home_(home) {}

  // Declares a function of the kind (kw::fn_expression .. kw::fn_fact) by
  // its argument description: with a body, or without one as a synonym of
  // the function parent_args describe. result: "ок" with what was done, or
  // "нет" when the function exists and may not be redefined. Errors in the
  // description or the declaration raise their messages and change no
  // function.
  void NewFn(int kind, const wstring& args, const wstring& parent_args, value& result,
             const wstring* body = nullptr);

  // The number of a type name (normalised); a new name is numbered next and
  // gets its FnAgIndex entry.
  int TypeNumber(const wstring& name);

  // Forgets every function and type, for a world loaded afresh.
  void Clear();
  // Takes the functions and types of another world's list, for a copy of
  // that world: shared until either changes them.
  void CopyFrom(const fn_list_item& original);

  const c_index<fn_it, fn_args>& Functions() const { return lists_->functions; }
  const c_index<fn_type_item, const char16_t*>& Types() const { return lists_->types; }
  const c_index<fn_ag_item, int>& FnAgIndex() const { return lists_->fn_ag_index; }

 private:
  // What a declaration gives the function besides its kind and text.
  struct definition {
    std::shared_ptr<block> body;
    wstring second_text;
    c_index<wstring, wstring> extra_names;
  };

  definition Define(const fn_args& args, const wstring& parent_args, const wstring* body);
  definition SynonymOf(const fn_args& args, const wstring& parent_args);
  // Enters a new function in the function list and under its types.
  fn_it& Add(const fn_args& args, int kind);

  struct lists {
    c_index<fn_it, fn_args> functions;
    c_index<fn_type_item, const char16_t*> types;
    c_index<fn_ag_item, int> fn_ag_index;
  };
  // The lists, made this world's own before they change: copies of the
  // world share them until then (a game rarely declares functions once
  // it runs, and they are most of a copy).
  lists& Writable();

  const world& home_;
  std::shared_ptr<lists> lists_ = std::make_shared<lists>();
};
