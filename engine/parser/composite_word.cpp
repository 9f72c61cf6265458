#include "composite_word.h"

#include "keyword_table.h"
#include "phrase_names.h"
#include "token_line.h"
#include "world.h"

namespace {

constexpr char16_t negation_key = u'е';
constexpr char16_t negated = u'Н';

// The keys of the word as it is named: the form whose text is its name,
// the nominative first, with the word's own keys.
wstring name_form_keys(const object& word) {
  const wstring name = context::NormalisedName(word.Name());
  const key_matrix nominative(u"Ип");
  const wstring* chosen = nullptr;
  int best = -1;
  for (const object::form_list_item& form : word.forms) {
    if (context::NormalisedName(form.text) != name) continue;
    int score = nominative.Score(form.key.Text());
    if (score > best) {
      best = score;
      chosen = &form.key;
    }
  }
  key_matrix keys(word.own_keys.Text());
  if (chosen) keys.AddKey(chosen->Text());
  return keys.GetKey();
}

object& main_word(const op_value& meaning) {
  object* word = meaning.v.GetEntity();
  if (!word) throw u"composite_word::Apply() invalid Main word";
  return *word;
}

}  // namespace

// Two words name a thing in either order, the dependent one in the form
// that agrees with the main word as it is named («красная_лампа» from
// «красную лампу»); with a preposition between them, in the order typed.
void composite_word::AddCandidates(context& ctx, const token_line& line, const op_value& main,
                                   const op_value& dependent, token& joined) const {
  const object& word = main_word(main);
  const token& dependent_token = line[DependentIndex(line)];
  key_matrix keys(main.keys.Text());
  if (key_matrix(dependent.keys.Text()).GetMarker(negation_key) == negated) {
    const char16_t key[] = {negation_key, 0};
    keys.ClearKeys(key);
    keys.SetKey(negation_key, negated);
  }
  const wstring candidate_keys = keys.GetKey();
  if (ElementCount() == 3) {
    wstring name = word.Name() + u"_";
    name += line[line.i + 1].text;
    name += u"_";
    name += dependent_token.text;
    add_named_meanings(ctx, name, candidate_keys, joined);
    return;
  }
  wstring form = dependent_token.text;
  const object* dependent_word = dependent.v.GetEntity();
  if (!AgreementKeys().IsEmpty() && dependent_word) {
    key_matrix agreement;
    agreement.AddKey(name_form_keys(word).Text(), AgreementKeys().Text());
    phrase_form(*dependent_word, agreement, form);
  }
  add_named_meanings(ctx, form + u"_" + word.Name().Text(), candidate_keys, joined);
  add_named_meanings(ctx, word.Name() + u"_" + form.Text(), candidate_keys, joined);
}

int composite_word::DependentIndex(const token_line& line) const {
  if (ElementCount() == 3) return line.i + 2;
  return line.i + (MainElement() == 0 ? 1 : 0);
}

bool composite_word::Apply(context& ctx, token_line& line) const {
  if (!Match(ctx, line)) return false;
  const token& main = line[line.i + MainElement()];
  const token& dependent = line[DependentIndex(line)];
  token& joined = StartJoined(line);
  joined.text = main.text + u"_";
  if (ElementCount() == 3) {
    joined.text += line[line.i + 1].text;
    joined.text += u"_";
  }
  joined.text += dependent.text;
  for (const op_value& main_meaning : main.meanings) {
    if (main_meaning.v.Type() != kw::type_word) continue;
    for (const op_value& dependent_meaning : dependent.meanings)
      if (dependent_meaning.v.Type() == kw::type_word) AddCandidates(ctx, line, main_meaning, dependent_meaning, joined);
  }
  joined.RebuildKeys();
  return joined.meanings.Count() > 0;
}
