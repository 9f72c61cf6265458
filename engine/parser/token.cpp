#include "token.h"

#include "keyword_table.h"

void token::AddMeaning(const op_value& meaning) {
  for (op_value& known : meanings) {
    if (!known.SameAs(meaning)) continue;
    if (meaning.weight > known.weight) known.weight = meaning.weight;
    return;
  }
  meanings.Insert(meanings.Count(), meaning);
}

void token::RebuildKeys() {
  keys.Clear();
  for (const op_value& m : meanings) {
    bool known = false;
    for (const key_list_item& item : keys) known = known || item.key_text.Compare(m.keys.Text()) == 0;
    if (!known) keys.Add(m.keys.Text());
  }
}

bool token::DropMeaningsOutsideKeys() {
  bool dropped = false;
  for (int n = meanings.Count() - 1; n >= 0; --n) {
    bool kept = false;
    for (const key_list_item& item : keys) kept = kept || item.key_text.Compare(meanings[n].keys.Text()) == 0;
    if (kept) continue;
    meanings.Delete(n);
    dropped = true;
  }
  if (dropped) changed = true;
  return dropped;
}

void token::MakeError() {
  meanings.Clear();
  op_value failure;
  failure.v = value::Result(kw::result_fail, wstring());
  failure.weight = meaning_weight::literal;
  failure.keys = kw::type_key_text(kw::type_bool);
  meanings.Insert(0, failure);
  RebuildKeys();
}

void token::Clear() { *this = token(); }
