#include "served_types.h"

#include <algorithm>
#include <vector>

#include "context.h"
#include "keyword_table.h"
#include "object.h"
#include "token.h"
#include "world.h"

namespace {

namespace grade {
constexpr int32_t string_kind = 1;
constexpr int32_t word_kind = 2;
constexpr int32_t other_kind = 3;
constexpr int32_t entity_class = 4;
constexpr int32_t own_name = 5;
constexpr int32_t token_text = 6;
}  // namespace grade

// Gathers the types of one meaning, each with its highest grade.
class type_collector {
 public:
  type_collector(const world& home, op_value& meaning) : types_(home.functions.Types()), meaning_(meaning) {}

  void Add(const wstring& normalised_name, int32_t grade) {
    int pos;
    if (normalised_name.IsEmpty() || !types_.Find(normalised_name.Text(), pos)) return;
    const int32_t type = types_[pos].type;
    for (served_type& served : meaning_.types) {
      if (served.type != type) continue;
      if (grade > served.grade) served.grade = grade;
      return;
    }
    served_type& added = meaning_.types.Insert(meaning_.types.Count(), served_type());
    added.type = type;
    added.grade = grade;
  }

  void AddKindNames(int kind) {
    const int32_t g = kind == kw::type_string ? grade::string_kind
                      : kind == kw::type_word ? grade::word_kind
                                              : grade::other_kind;
    const kw::record& names = kw::at(kind);
    for (const char16_t* name : {names.english, names.russian, names.second_name})
      if (name && *name) Add(context::NormalisedName(name), g);
  }

  void AddEntity(const object& entity) {
    entity.WalkClasses([&](object& cls) {
      Add(cls.NormalisedName(), grade::entity_class);
      return object::class_step::go_on;
    });
    Add(entity.NormalisedName(), grade::own_name);
  }

 private:
  const c_index<fn_type_item, const char16_t*>& types_;
  op_value& meaning_;
};

// A word and an object of the same name both serve a type of that name
// (an argument typed «клумба»): the object is what the player means, so
// the word gives that type up, and is dropped when it serves no other.
void leave_names_to_objects(token& t) {
  std::vector<int32_t> object_names;
  for (const op_value& thing : t.meanings) {
    if (!thing.v.IsEntity() || thing.v.Type() == kw::type_word || thing.v.Type() == kw::type_preposition) continue;
    for (const served_type& served : thing.types)
      if (served.grade == grade::own_name) object_names.push_back(served.type);
  }
  for (int n = t.meanings.Count() - 1; n >= 0 && !object_names.empty(); --n) {
    op_value& word = t.meanings[n];
    if (word.v.Type() != kw::type_word) continue;
    for (int k = word.types.Count() - 1; k >= 0; --k) {
      const served_type& served = word.types[k];
      if (served.grade == grade::own_name &&
          std::find(object_names.begin(), object_names.end(), served.type) != object_names.end())
        word.types.Delete(k);
    }
    if (word.types.Count() > 0) continue;
    t.meanings.Delete(n);
    t.changed = true;
  }
}

}  // namespace

bool assign_served_types(const world& home, token& t) {
  const wstring text = context::NormalisedName(t.text);
  for (int n = t.meanings.Count() - 1; n >= 0; --n) {
    op_value& meaning = t.meanings[n];
    meaning.types.Clear();
    type_collector types(home, meaning);
    types.AddKindNames(meaning.v.Type());
    object* entity = meaning.v.GetEntity();
    if (meaning.v.IsEntity() && entity) types.AddEntity(*entity);
    types.Add(text, grade::token_text);
    if (meaning.types.Count() > 0) continue;
    t.meanings.Delete(n);
    t.changed = true;
  }
  leave_names_to_objects(t);
  return t.meanings.Count() > 0;
}
