#include "op_value.h"

#include "key_matrix.h"

op_value op_value::Make(const value_world* home, const value& v, int32_t weight, const wstring& extra_keys) {
  op_value meaning;
  meaning.v = v;
  meaning.v.BuildKey(home);
  meaning.weight = weight;
  key_matrix keys(extra_keys.Text());
  keys.AddKey(meaning.v.KeyText().Text());
  meaning.keys = keys.GetKey();
  return meaning;
}
