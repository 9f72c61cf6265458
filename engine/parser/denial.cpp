#include "denial.h"

#include "key_matrix.h"
#include "keyword_table.h"
#include "token_line.h"

namespace {

constexpr char16_t negation_key = u'е';
constexpr char16_t negated = u'Н';

// A truth below "да" becomes "да", the others "нет"; "неизвестно" and
// "ошибка" stay open.
value negated_truth(const value& truth) {
  int code = truth.Code();
  if (code == kw::result_unknown || code == kw::result_fail) return truth;
  value turned = value::Result(code < kw::result_yes ? kw::result_yes : kw::result_no, truth.Text());
  turned.SetKeyText(truth.KeyText());
  return turned;
}

// The key text with the negation key, unless it is negated already.
wstring with_negation(const wstring& keys) {
  key_matrix matrix(keys.Text());
  if (matrix.GetMarker(negation_key) == negated) return keys;
  const char16_t key[] = {negation_key, 0};
  matrix.ClearKeys(key);
  matrix.SetKey(negation_key, negated);
  return matrix.GetKey();
}

op_value negated_meaning(const op_value& meaning) {
  op_value turned = meaning;
  turned.weight = meaning_weight::literal;
  if (meaning.v.Type() == kw::type_bool) {
    turned.v = negated_truth(meaning.v);
  } else {
    turned.v.SetKeyText(with_negation(meaning.v.KeyText()));
    turned.keys = with_negation(meaning.keys);
  }
  return turned;
}

}  // namespace

bool denial::Apply(context& ctx, token_line& line) const {
  if (!Match(ctx, line)) return false;
  const token& negated_token = line[line.i + MainElement()];
  token& joined = StartJoined(line);
  joined.text = wstring(u"не ") + negated_token.text.Text();
  for (const op_value& meaning : negated_token.meanings) joined.AddMeaning(negated_meaning(meaning));
  joined.RebuildKeys();
  return true;
}
