#include "phrase_names.h"

#include "getvars_result_list.h"
#include "key_matrix.h"
#include "keyword_table.h"
#include "token.h"
#include "world.h"

namespace {

// The entity reach is judged from: the actor, seeing the command's
// characters, when it is an object of the world; else the context itself.
context& seeker(context& ctx) {
  object* actor = ctx.World()->FindById(ctx.characters[0]);
  if (!actor || actor->Type() != kw::type_object) return ctx;
  for (int n = 0; n < 3; ++n) actor->characters[n] = ctx.characters[n];
  return *actor;
}

}  // namespace

bool phrase_form(const object& entity, const key_matrix& keys, wstring& text) {
  int best = 0;
  bool found = entity.GetForm(&keys, text, best);
  const world& home = *entity.World();
  for (int32_t id : entity.linked_words)
    if (object* word = home.FindById(id)) found = word->GetForm(&keys, text, best) || found;
  return found;
}

void add_named_meanings(context& ctx, const wstring& name, const wstring& keys, token& joined) {
  world& home = *ctx.World();
  const wstring normalised = context::NormalisedName(name);
  // The value's own type keys come with it; only the grammar is passed on.
  const wstring grammar = key_matrix(keys.Text()).GetKey(russian_key_chars);
  if (object* word = find_named(home.words, normalised))
    joined.AddMeaning(op_value::Make(&home, value::Entity(kw::type_word, word), meaning_weight::word_form, grammar));
  GetVars_result_list request;
  request.names.Insert(0, normalised);
  request.requested_keys = grammar;
  seeker(ctx).GetVars(request);
  for (const GetVars_result_list_item& found : request.results)
    joined.AddMeaning(op_value::Make(&home, found.found, found.weight));
}
