// What names mean around a context: the entities near its code, the world's
// names, classes, prepositions and global variables, weighted and marked
// with their reach.

#include <algorithm>

#include "c_index.h"
#include "context.h"
#include "getvars_result_list.h"
#include "key_matrix.h"
#include "keyword_table.h"
#include "obj_word.h"
#include "object.h"
#include "property_read.h"
#include "world.h"

namespace {

// Reach marks: within reach, visible but out of reach, not near at all.
const char16_t* const reachable = u"Дм";
const char16_t* const out_of_reach = u"Вм";
const char16_t* const far_away = u"!м";

// The gathering walk starts at this score and loses a step per level.
constexpr int walk_start_score = 100;
constexpr int walk_end_score = 20;
constexpr int walk_level_step = 10;

// Weights of what a name finds.
constexpr int person_weight = 100;
constexpr int preposition_weight = 100;
constexpr int class_weight = 40;
constexpr int prefixed_class_weight = 35;
constexpr int global_weight = 45;

// Gathered entities at or above this score offer their property values.
constexpr int property_offer_score = 11;
constexpr int property_hop_loss = 2;
constexpr int property_string_loss = 10;

enum class gather_mode { inside, outside };

// An entity met by the gathering walk, with its first mark and score.
struct reach_record {
  object* entity = nullptr;
  int32_t score = 0;
  wstring mark;
  bool gathered_inside = false;
  bool gathered_outside = false;

  void SetKey(object* e) { entity = e; }
  int CompareKey(object* e) const { return entity == e ? 0 : (entity < e ? -1 : 1); }
};

// Weight of an entity found by its exact name, or by "name:"; 0 for classes,
// which are looked up on their own.
int name_weight(int type, bool prefixed) {
  switch (type) {
    case kw::type_object:
      return prefixed ? 55 : 60;
    case kw::type_location:
      return prefixed ? 45 : 50;
    case kw::type_class:
      return 0;
    default:
      return prefixed ? 25 : 30;
  }
}

bool starts_with(const wstring& text, const wstring& prefix) {
  return text.Length() >= prefix.Length() && text.Left(prefix.Length()) == prefix;
}

class vars_finder {
 public:
  vars_finder(context& ctx, GetVars_result_list& request)
      : ctx_(ctx), home_(*ctx.World()), request_(request), requested_(request.requested_keys.Text()) {}

  void Walk();
  void FindName(const wstring& name);

 private:
  void Gather(object* x, gather_mode mode, int score, const wstring& mark);
  bool Record(object* x, gather_mode mode, int score, const wstring& mark);
  void GatherContents(object* x, int score, const wstring& mark);

  void AddEntity(object* entity, int weight, const wstring& fallback_mark = wstring());
  void AddPerson();
  void AddNamed(const wstring& name);
  void AddClass(object* class_entity, int weight);
  void AddMembers(object* class_entity, int weight, int depth, c_index<object*, object*>& seen);
  void AddClasses(const wstring& name);
  void AddGlobal(const wstring& name);
  void OfferProperties(const wstring& name);
  void FollowProperty(object* holder, const wstring& name, int score, const wstring& mark);
  bool PlainProperty(object* holder, const wstring& name, value& found);

  context& ctx_;
  world& home_;
  GetVars_result_list& request_;
  key_matrix requested_;
  c_index<reach_record, object*> reach_;
  c_array<object*, object*> met_in_order_;
};

void vars_finder::Walk() {
  object* e = ctx_.NearestEntity();
  if (!e) return;
  const int32_t actor = ctx_.characters[0];
  bool inside = !(e->Type() == kw::type_object && e->Id() != actor);
  for (int score = walk_start_score; score > walk_end_score; score -= walk_level_step) {
    if (e->Type() == kw::type_location) {
      Gather(e, gather_mode::outside, score, reachable);
      inside = true;
    }
    Gather(e, inside ? gather_mode::inside : gather_mode::outside, score, reachable);
    if (inside) {
      if (e->Id() != actor) return;
      // The actor's own surroundings follow at the next level.
      inside = false;
      continue;
    }
    context* parent = e->Parent();
    if (!parent) throw u"context::GetVars() - объект без Parent!";
    if (!parent->IsEntity()) return;
    object* up = static_cast<object*>(parent);
    inside = std::find(up->inside.begin(), up->inside.end(), e) != up->inside.end();
    e = up;
  }
}

void vars_finder::Gather(object* x, gather_mode mode, int score, const wstring& mark) {
  if (score < 1 || !Record(x, mode, score, mark)) return;
  bool inside_mode = mode == gather_mode::inside;
  if (inside_mode || x->opened || x->transparent)
    GatherContents(x, score, x->opened || inside_mode ? mark : wstring(out_of_reach));
  if (inside_mode) return;
  gather_mode next = x->Type() == kw::type_location ? gather_mode::inside : gather_mode::outside;
  for (object* item : x->outside)
    if (item->Type() == kw::type_object) Gather(item, next, score - 1, mark);
}

// False when x was gathered in this mode before.
bool vars_finder::Record(object* x, gather_mode mode, int score, const wstring& mark) {
  int pos;
  if (reach_.Add(x, pos)) {
    reach_[pos].score = score;
    reach_[pos].mark = mark;
    met_in_order_.Insert(met_in_order_.Count(), x);
  }
  bool& gathered = mode == gather_mode::inside ? reach_[pos].gathered_inside : reach_[pos].gathered_outside;
  if (gathered) return false;
  gathered = true;
  return true;
}

void vars_finder::GatherContents(object* x, int score, const wstring& mark) {
  for (object* item : x->inside) {
    if (item->Type() == kw::type_object) Gather(item, gather_mode::outside, score - 1, mark);
    if (item->Type() != kw::type_location) continue;
    for (object* beside : item->outside)
      if (beside->Type() == kw::type_object) Gather(beside, gather_mode::outside, score - 1, mark);
  }
}

void vars_finder::FindName(const wstring& asked) {
  wstring name = context::NormalisedName(asked);
  if (name == u"ты") AddPerson();
  AddNamed(name);
  AddClasses(name);
  if (obj_word* preposition = home_.FindPreposition(name)) AddEntity(preposition, preposition_weight);
  AddGlobal(name);
  OfferProperties(name);
}

// An entity met by the walk keeps its mark and at least its gathering score.
void vars_finder::AddEntity(object* entity, int weight, const wstring& fallback_mark) {
  if (reach_record* met = entity ? reach_.Get(entity) : nullptr)
    request_.AddObject(entity, std::max(weight, int(met->score)), met->mark);
  else
    request_.AddObject(entity, weight, fallback_mark);
}

void vars_finder::AddPerson() {
  int32_t id = 0;
  if (requested_.GetMarker(u'а') == u'э') {
    id = ctx_.characters[0];
  } else {
    switch (requested_.GetMarker(u'л')) {
      case u'1': {
        bool player_speaks = ctx_.characters[1] == home_.characters[1] && ctx_.characters[0] == home_.player;
        id = player_speaks ? ctx_.characters[0] : ctx_.characters[1];
        break;
      }
      case u'2':
        id = ctx_.characters[2];
        break;
      case u'3':
        throw u"context::GetVars(): заглушка третьего лица!";
    }
  }
  if (id) AddEntity(home_.FindById(id), person_weight);
}

void vars_finder::AddNamed(const wstring& name) {
  if (name_list_item* exact = home_.names.Get(name.Text()))
    for (object* entity : exact->entities)
      if (int weight = name_weight(entity->Type(), false)) AddEntity(entity, weight);
  wstring prefix = name + u":";
  int pos;
  home_.names.Find(prefix.Text(), pos);
  for (; pos < home_.names.Count() && starts_with(home_.names[pos].name, prefix); ++pos)
    for (object* entity : home_.names[pos].entities)
      if (int weight = name_weight(entity->Type(), true)) AddEntity(entity, weight);
}

void vars_finder::AddClasses(const wstring& name) {
  if (object* exact = home_.FindClass(name)) AddClass(exact, class_weight);
  wstring prefix = name + u":";
  int pos;
  home_.classes.Find(prefix.Text(), pos);
  for (; pos < home_.classes.Count() && starts_with(home_.classes[pos].name, prefix); ++pos)
    AddClass(home_.classes[pos].entity, prefixed_class_weight);
}

void vars_finder::AddClass(object* class_entity, int weight) {
  AddEntity(class_entity, weight);
  // A plural request ("Мч") or one marked "Об" means the members of the
  // class as well: every entity having it, through subclasses too.
  if (requested_.GetMarker(u'ч') != u'М' && requested_.GetMarker(u'б') != u'О') return;
  c_index<object*, object*> seen;
  AddMembers(class_entity, weight, 0, seen);
}

void vars_finder::AddMembers(object* class_entity, int weight, int depth, c_index<object*, object*>& seen) {
  if (depth > object::max_class_depth) return;
  for (int32_t id : class_entity->heirs) {
    object* heir = home_.FindById(id);
    int pos;
    if (!heir || !seen.Add(heir, pos)) continue;
    if (heir->Type() == kw::type_class)
      AddMembers(heir, weight, depth + 1, seen);
    else
      AddEntity(heir, weight);
  }
}

// Global variables that can stand for a thing the player names; computed
// ones are not read, as that would run game code while parsing.
void vars_finder::AddGlobal(const wstring& name) {
  variable* global = home_.FindVariable(name);
  if (!global || global->is_computed) return;
  const value& v = global->content;
  bool offered = v.Type() == kw::type_string || v.Type() == kw::type_course ||
                 ((v.Type() == kw::type_object || v.Type() == kw::type_location) && v.GetEntity());
  if (offered) request_.AddValue(v, global_weight, out_of_reach);
}

void vars_finder::OfferProperties(const wstring& name) {
  for (object* entity : met_in_order_) {
    const reach_record& met = *reach_.Get(entity);
    if (met.score >= property_offer_score) FollowProperty(entity, name, met.score, met.mark);
  }
}

// A property value that is an entity is offered and its own property of the
// name followed, two points lower each hop; a string is offered ten points
// lower and ends the walk, as does any other value, a computed property, a
// forgotten entity or a score below the offering score.
void vars_finder::FollowProperty(object* holder, const wstring& name, int score, const wstring& mark) {
  for (value found; score >= property_offer_score; score -= property_hop_loss) {
    if (!PlainProperty(holder, name, found)) return;
    if (found.Type() == kw::type_string) {
      request_.AddValue(found, score - property_string_loss, mark);
      return;
    }
    if (!found.IsEntity() || !found.GetEntity()) return;
    holder = found.GetEntity();
    // Reached through a property, an entity is as near as its holder unless
    // the walk met it itself.
    AddEntity(holder, score - property_hop_loss, mark);
  }
}

// The visible property of that name, own before inherited, unless computed.
bool vars_finder::PlainProperty(object* holder, const wstring& name, value& found) {
  c_array<context*, context*> holders = property_holders(*holder, name);
  if (holders.Count() == 0) return false;
  variable* property = holders[0]->FindVariable(name);
  if (!property || property->is_computed) return false;
  found = property->content;
  return true;
}

}  // namespace

void GetVars_result_list::AddObject(object* entity, int32_t weight, const wstring& mark) {
  if (!entity) throw u"GetVars_result_list::AddObject() invalid Obj!";
  key_matrix requested(requested_keys.Text());
  if (!entity->default_key.IsEmpty() && requested.Score(entity->default_key.Text()) == 0) return;
  int type = entity->Type();
  bool placed = type == kw::type_object || type == kw::type_class || type == kw::type_location;
  AddValue(value::Entity(type, entity), weight, mark.IsEmpty() && placed ? wstring(far_away) : mark);
}

void GetVars_result_list::AddValue(const value& v, int32_t weight, const wstring& mark) {
  // The mark first: earlier keys win.
  key_matrix keys(mark.Text());
  keys.AddKey(requested_keys.Text());
  keys.AddKey(v.KeyText().Text());
  value found(v);
  found.SetKeyText(keys.GetKey());
  for (GetVars_result_list_item& item : results) {
    if (!(item.found == found)) continue;
    item.weight = std::max(item.weight, weight);
    return;
  }
  results.Insert(results.Count(), found).weight = weight;
}

bool context::GetVars(GetVars_result_list& request) {
  vars_finder finder(*this, request);
  finder.Walk();
  for (const wstring& name : request.names) finder.FindName(name);
  return request.results.Count() > 0;
}
