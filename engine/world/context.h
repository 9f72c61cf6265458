#pragma once

#include <cstdint>

#include "c_index.h"
#include "value.h"
#include "variable.h"
#include "wstring.h"

class object;
class world;
struct GetVars_result_list;

// Game code may include or run only files of the game folder and the
// library folder: a rooted name or ".." steps leading out are refused.
void check_game_file_name(const wstring& name);

// Named storage of running code: the variables of one piece of code and the
// context it was opened from. World entities are contexts too, holding
// their properties the same way; the world is the root.
class context {
 public:
  // Longest walk up the parent chain before giving up.
  static constexpr int max_enclosing_steps = 1000;

  context(world* home, int type, context* parent);
  virtual ~context();
  context(const context&) = delete;
  context& operator=(const context&) = delete;

  int Type() const { return type_; }
  world* World() const { return world_; }
  context* Parent() const { return parent_; }
  void SetParent(context* parent) { parent_ = parent; }
  bool IsEntity() const { return type_ >= 5 && type_ <= 12; }

  // Lower case, "ё" as "е", stress marks dropped: names compare so.
  static wstring NormalisedName(const wstring& name);

  variable* FindVariable(const wstring& normalised_name);
  // Declares or assigns through the chain of contexts; raises the
  // "недоступна для изменения" and "не объявлена" messages. A null or empty
  // name does nothing.
  void SetVariable(const wstring& name, const value& v, bool declare, bool strip);
  // Reads a variable of this holder by normalised name; false when missing.
  bool GetVariable(const wstring& normalised_name, value& result, context* reader);
  void DeleteVariable(const wstring& normalised_name);
  c_index<variable, wstring>& Variables() { return variables_; }
  const c_index<variable, wstring>& Variables() const { return variables_; }

  // Takes what the same context of the original holds, for a copy of the
  // world: variables, characters, stop signal, switch values, parent and
  // place, each pointing into the copy.
  void CopyStateFrom(const context& original, value_remap& remap);

  // Places the context in the entity it acts in.
  void MoveTo(object* place);
  object* Place() const { return place_; }

  // The first entity (types object .. preposition), or location, met going
  // up from this context itself; null after max_enclosing_steps.
  object* NearestEntity();
  object* NearestLocation();

  // Reads a source file of the game (".kiv" by default; ".kvl" libraries
  // also from "lib\") and runs it in this context; the value it produces.
  // Names reaching outside the game folder are refused.
  value Include(const wstring& name);

  // Finds what the requested names can mean around this context, with
  // weights and reach marks; true when anything was found.
  bool GetVars(GetVars_result_list& request);

  // The characters of the code running here: the actor, the second and the
  // third (speaker and addressee), as entity identifiers.
  int32_t characters[3] = {0, 0, 0};
  // The stop signal of the code running here: a block ends its lines when
  // it is set and loops consume break and continue; the session acts on
  // goto (moving the player to the location the code answers) and run.
  enum stop_signal : int32_t { stop_none, stop_return, stop_break, stop_continue, stop_goto, stop_run };
  int32_t state = stop_none;
  // The values of the last "switch" that no "case" has matched yet.
  c_array<value, value> switch_values;

 protected:
  int type_;
  world* world_;
  context* parent_;

 private:
  // This context's variable of that name, made when missing.
  variable& Declared(const wstring& normalised_name, bool property);
  // A plain assignment to a variable of an enclosing context: only the
  // root's may be changed from here.
  void AssignInEnclosing(const wstring& name, const wstring& normalised_name, const value& v);
  // The key a variable keeps of its value's key.
  wstring StrippedKey(const value& v, bool strip) const;
  // An attribute given to an entity sets the attributes it lists as related
  // to no.
  void ResetRelatedAttributes(const wstring& normalised_name, bool strip);

  object* place_ = nullptr;
  int32_t place_characters_[3] = {0, 0, 0};
  c_index<variable, wstring> variables_;
};
