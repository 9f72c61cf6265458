#include "prep_word.h"

#include "keyword_table.h"
#include "obj_word.h"
#include "phrase_names.h"
#include "token_line.h"
#include "world.h"

namespace {

const obj_word& preposition_of(const token& t) {
  if (t.meanings.Count() != 1) throw u"prep_word::Apply() неоднозначный предлог?!";
  const value& meaning = t.meanings[0].v;
  if (meaning.Type() != kw::type_preposition) throw u"prep_word::Apply() не предлог!";
  // A forgotten entity reads as none.
  const auto* preposition = dynamic_cast<const obj_word*>(meaning.GetEntity());
  if (!preposition) throw u"prep_word::Apply() предлог не найден!";
  return *preposition;
}

// The meaning with the use's result keys set over its own.
op_value with_use_keys(const op_value& meaning, const obj_word::prep_data_item& use) {
  op_value governed = meaning;
  key_matrix keys(use.result_key.Text());
  keys.AddKey(meaning.keys.Text());
  governed.keys = keys.GetKey();
  return governed;
}

bool names_compound(const value& v, const wstring& compound) {
  if (v.Type() < kw::type_object || v.Type() > kw::type_location || !v.GetEntity()) return false;
  return v.GetEntity()->NormalisedName().Left(compound.Length() + 1) == context::NormalisedName(compound) + u"_";
}

}  // namespace

// A use with a compound name makes the phrase one thing of the world: the
// compound name joined with the value in the use's case.
void prep_word::AddCompound(context& ctx, const obj_word::prep_data_item& use, const op_value& meaning,
                            const token& governed, token& joined) const {
  if (names_compound(meaning.v, use.text)) {
    joined.AddMeaning(with_use_keys(meaning, use));
    return;
  }
  wstring form = governed.text;
  if (meaning.v.IsEntity() && meaning.v.GetEntity())
    phrase_form(*meaning.v.GetEntity(), key_matrix(use.base_key.Text()), form);
  key_matrix keys(use.result_key.Text());
  keys.AddKey(use.base_key.Text());
  keys.AddKey(meaning.keys.Text(), u"рпчд");
  add_named_meanings(ctx, use.text + u"_" + form.Text(), keys.GetKey(), joined);
}

bool prep_word::Apply(context& ctx, token_line& line) const {
  if (!Match(ctx, line)) return false;
  const token& preposition_token = line[line.i];
  const token& governed = line[line.i + 1];
  const obj_word& preposition = preposition_of(preposition_token);
  token& joined = StartJoined(line);
  joined.text = preposition_token.text + u" ";
  joined.text += governed.text;
  for (const obj_word::prep_data_item& use : preposition.uses) {
    for (const op_value& meaning : governed.meanings) {
      if (meaning.v.Type() != use.value_type || !use.keys.Matches(meaning.keys.Text())) continue;
      if (use.text.IsEmpty())
        joined.AddMeaning(with_use_keys(meaning, use));
      else
        AddCompound(ctx, use, meaning, governed, joined);
    }
  }
  joined.RebuildKeys();
  return joined.meanings.Count() > 0;
}
