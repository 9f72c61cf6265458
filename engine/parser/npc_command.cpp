#include "npc_command.h"

#include "keyword_table.h"
#include "parsed_string.h"
#include "property_read.h"
#include "system_factory.h"
#include "token_line.h"
#include "world.h"

namespace {

constexpr int32_t refusal_weight = meaning_weight::literal;
const char16_t* const incapable = u"NPC недееспособен.";

// The character's name as a sentence begins with it.
wstring character_name(context& ctx, const value& character) {
  const key_matrix nominative(u"Ип");
  bool missing_form = false;
  wstring name = character.ToString(ctx.World(), &ctx, &nominative, 0, missing_form);
  name.ToUpper(true);
  return name;
}

// Asks the character whether it takes commands; a refusal is recorded on
// the line. A check that answers "ошибка" or a text refuses, whatever else
// it answers (and a missing check) accepts.
bool accepts(context& ctx, const value& character, token_line& line) {
  value answer;
  read_property(character, ctx, u"_check_npc", u"_проверка_нпс", answer);
  if (answer.Type() == kw::type_bool && answer.Code() == kw::result_fail) {
    line.AddError(answer.Text().IsEmpty() ? wstring(incapable) : answer.Text(), refusal_weight);
    return false;
  }
  if (answer.Type() != kw::type_string) return true;
  // An empty text says no more than a bare "ошибка".
  if (answer.Text().IsEmpty())
    line.AddError(incapable, refusal_weight);
  else
    line.AddError(character_name(ctx, character) + u": " + answer.Text().Text(), refusal_weight);
  return false;
}

token retyped(const token& typed) {
  token fresh;
  fresh.kind = typed.kind;
  fresh.russian = typed.russian;
  fresh.text = typed.text;
  return fresh;
}

}  // namespace

bool NPC_command::Apply(context& ctx, token_line& line) const {
  if (AtStart() ? line.i != 0 : line.i + ElementCount() != line.Count()) return false;
  if (Addressed(line) || !Match(ctx, line)) return false;
  token& character_token = line[line.i + MainElement()];
  object* accepting = nullptr;
  bool refused = false;
  for (int n = character_token.meanings.Count() - 1; n >= 0; --n) {
    const value& character = character_token.meanings[n].v;
    if (character.Type() != kw::type_object || !character.GetEntity()) continue;
    if (accepts(ctx, character, line))
      accepting = character.GetEntity();
    else
      refused = true;
  }
  character_token.Resolve();
  character_token.changed = true;
  if (character_token.meanings.Count() > 1) throw u"неоднозначный NPC";
  if (accepting) {
    TakeCommand(ctx, line, *accepting);
    return true;
  }
  if (!refused) return false;
  // The reading ends in the refusal: one failed token for the whole line.
  line.joined.MakeError();
  line.joined.text = character_token.text;
  line.i = 0;
  line.j = line.Count();
  return true;
}

bool NPC_command::AtStart() const { return MainElement() == 0; }

// One address per reading: no line above this one was made by an address.
bool NPC_command::Addressed(const token_line& line) const {
  const system_factory& rules = line.Owner().Rules();
  for (const token_line* made = &line; made->Parent(); made = made->Parent()) {
    const link* rule = rules.Rule(made->Parent()->k);
    if (rule && rule->Name() == Name()) return true;
  }
  return false;
}

// The character takes the command: it acts and is spoken to, the former
// actor speaks, and the rest of the line is read again for them.
void NPC_command::TakeCommand(context& ctx, token_line& line, object& character) const {
  line.errors.Clear();
  line.characters[1] = line.characters[0];
  line.characters[0] = line.characters[2] = character.Id();
  line.CopyCharactersTo(ctx);
  Retype(ctx, line);
  line.joined.Clear();
}

// Every token outside the address becomes the typed one again, so joins
// made before the address was seen are undone and words such as "я" and
// "ты" are read anew for the new persons.
void NPC_command::Retype(context& ctx, token_line& line) const {
  parsed_string& owner = line.Owner();
  const token_line& typed = owner.Tokens();
  int address_weight = 0;
  for (int n = line.i; n < line.j; ++n) address_weight += line[n].weight;
  const int rest = typed.Count() - address_weight;
  const int first_typed = AtStart() ? address_weight : 0;
  const int first_place = AtStart() ? line.j : 0;
  const int old_count = line.Count();
  // The rest of the line takes exactly as many places as were typed.
  const int rest_now = old_count - (line.j - line.i);
  for (int n = rest_now; n < rest; ++n) line.Insert(first_place, token());
  for (int n = rest_now; n > rest; --n) line.Delete(first_place);
  int last_preposition = -1;
  for (int n = 0; n < rest; ++n) {
    token& place = line[first_place + n];
    place = retyped(typed[first_typed + n]);
    int distance = last_preposition < 0 ? parsed_string::no_preposition : n - last_preposition;
    owner.FillMeanings(ctx, place, distance);
    place.changed = false;
    if (place.preposition) last_preposition = n;
  }
  if (!AtStart()) {
    line.i += line.Count() - old_count;
    line.j += line.Count() - old_count;
  }
}
