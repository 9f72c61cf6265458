// Arithmetic, lists, truths and keys: + - * / , [ && || and or ~.

#include <cstdint>
#include <utility>

#include "key_matrix.h"
#include "keyword_table.h"
#include "object.h"
#include "operator_rows.h"
#include "world.h"

namespace {

bool truths(const operands& in) { return is_truth(in.left) && is_truth(in.right); }

bool no_truth(const operands& in) { return !is_truth(in.left) && !is_truth(in.right); }

// Numbers of the language are 32-bit and wrap around.
value number(int64_t n) { return value::Number(int32_t(n)); }

value sum(const operands& in) { return number(int64_t(in.left.GetNumber()) + in.right.GetNumber()); }

bool same_entity(const value& a, const value& b) {
  return a.IsEntity() && b.IsEntity() && a.SameEntity(b);
}

// A key text holding the keys of both; where both set a key, the first
// one's marker stays.
value merged_keys(const wstring& first, const wstring& second) {
  key_matrix keys(first.Text());
  keys.AddKey(second.Text());
  wstring text(u"#");
  text += keys.GetKey();
  return value::String(text);
}

// Whether a value passes the filter right of "/": an attribute it has set,
// a class it belongs to, or keys it matches.
bool passes(const value& candidate, const operands& in) {
  if (is_key_text(in.right)) return key_fits(in.right.Text(), key_source(candidate, in.home));
  object* entity = live_entity(candidate);
  object* filter = live_entity(in.right);
  if (!entity || !filter) return false;
  if (in.right.Type() == kw::type_class) return entity->IsOfClass(filter->Id());
  return result_holds(attribute_value(*entity, *filter, in.ctx).Code());
}

bool is_filter(const value& v) {
  return is_key_text(v) || v.Type() == kw::type_attribute || v.Type() == kw::type_class;
}

value filtered(const operands& in) {
  if (!is_key_text(in.right) && !live_entity(in.right))
    throw u"Operation(list/Attribute) - invalid Attribute";
  value kept;
  for (const value& element : in.left.Items())
    if (passes(element, in)) kept.AddToList(in.left.Type(), element, false);
  return kept;
}

value joined_as_list(const operands& in, int list_type) {
  value list(in.left);
  list.AddToList(list_type, in.right, false);
  return list;
}

}  // namespace

bool op_add(const operands& in, value& out) {
  if (in.Numbers()) {
    out = sum(in);
    return true;
  }
  if (in.left.Type() != kw::type_string || in.right.Type() != kw::type_string) return false;
  wstring text(in.left.Text());
  text += in.right.Text();
  out = value::String(std::move(text));
  return true;
}

bool op_subtract(const operands& in, value& out) {
  if (in.Numbers()) {
    out = number(int64_t(in.left.GetNumber()) - in.right.GetNumber());
    return true;
  }
  if (!in.right.IsEntity()) return false;
  if (in.left.IsList()) {
    value kept;
    for (const value& element : in.left.Items())
      if (!same_entity(element, in.right)) kept.AddToList(in.left.Type(), element, false);
    out = kept;
    return true;
  }
  if (!in.left.IsEntity()) return false;
  out = same_entity(in.left, in.right) ? value() : in.left;
  return true;
}

bool op_multiply(const operands& in, value& out) {
  if (in.Numbers()) {
    out = number(int64_t(in.left.GetNumber()) * in.right.GetNumber());
    return true;
  }
  if (!is_key_text(in.right)) return false;
  // The keys on the right are applied to the left one: theirs win.
  out = merged_keys(in.right.Text(), key_source(in.left, in.home));
  return true;
}

bool op_divide(const operands& in, value& out) {
  if (in.Numbers()) {
    if (in.right.GetNumber() == 0) throw u"деление на ноль";
    out = number(int64_t(in.left.GetNumber()) / in.right.GetNumber());
    return true;
  }
  if (!is_filter(in.right)) return false;
  if (in.left.IsList()) {
    out = filtered(in);
    return true;
  }
  if (!in.left.IsEntity()) return false;
  out = passes(in.left, in) ? in.left : value();
  return true;
}

bool op_comment(const operands& in, value& out) {
  if (!is_truth(in.left)) return false;
  out = value::Result(in.left.Code(), text_of(in.right, in.ctx));
  return true;
}

bool op_index(const operands& in, value& out) {
  if (in.right.Type() != kw::type_number) throw u"в скобках[] ожидалось число";
  int n = in.right.GetNumber();
  if (!in.left.IsList()) {
    out = n == 1 ? in.left : value();
    return true;
  }
  const value_items items = in.left.Items();
  out = n >= 1 && n <= items.Count() ? items[n - 1] : value();
  return true;
}

bool op_truth_and(const operands& in, value& out) {
  if (!truths(in)) return false;
  out = value::Keyword(result_and(in.left.Code(), in.right.Code()));
  return true;
}

bool op_truth_or(const operands& in, value& out) {
  if (!truths(in)) return false;
  out = value::Keyword(result_or(in.left.Code(), in.right.Code()));
  return true;
}

bool op_and_list(const operands& in, value& out) {
  if (in.Numbers()) {
    out = sum(in);
    return true;
  }
  if (!no_truth(in)) return false;
  out = joined_as_list(in, kw::type_and_list);
  return true;
}

bool op_or_list(const operands& in, value& out) {
  if (!no_truth(in)) return false;
  out = joined_as_list(in, kw::type_or_list);
  return true;
}

bool op_key_merge(const operands& in, value& out) {
  if (in.right.Type() != kw::type_string) return false;
  // The right keys add what the left lacks: the left's win.
  out = merged_keys(key_source(in.left, in.home), key_source(in.right, in.home));
  return true;
}

bool op_form(const operands& in, value& out) {
  if (!is_key_text(in.right)) return false;
  // The keys asked for win over those the value carries.
  key_matrix keys(in.right.Text().Text());
  keys.AddKey(in.left.KeyText().Text());
  out = in.left;
  out.SetKeyText(keys.GetKey());
  return true;
}
