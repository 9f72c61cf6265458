// Operation(): the steps every binary operator shares, the table of
// operators by code letter, and what the operator rows share.

#include "operation.h"

#include <algorithm>

#include "code_runner.h"
#include "context.h"
#include "key_matrix.h"
#include "keyword_table.h"
#include "location.h"
#include "object.h"
#include "operator_rows.h"
#include "property_read.h"
#include "world.h"

namespace {

// A list element with its entry in the list's index.
constexpr size_t list_element_bytes = sizeof(value) + 64;

// What a null operand makes of an operation.
enum class null_rule {
  other_operand,  // the other operand is the result
  left_decides,   // a null left gives null, a null right the left operand
  compared,       // nulls are compared like any value
  gives_null,
};

struct binary_row {
  char16_t letter;
  null_rule nulls;
  // Its numeric result takes the unknown-value marker of an operand.
  bool marks_numbers;
  binary_handler handler;
};

bool no_effect(const operands&, value& out) {
  out = value();
  return true;
}

constexpr binary_row binary_rows[] = {
    {u'+', null_rule::other_operand, true, op_add},
    {u'-', null_rule::left_decides, true, op_subtract},
    {u'*', null_rule::left_decides, true, op_multiply},
    {u'/', null_rule::left_decides, true, op_divide},
    {u',', null_rule::left_decides, false, op_comment},
    {u'[', null_rule::gives_null, false, op_index},
    {u'.', null_rule::gives_null, false, op_property},
    {u'C', null_rule::compared, false, op_compare},
    {u'>', null_rule::gives_null, false, op_greater},
    {u'<', null_rule::gives_null, false, op_less},
    {u'&', null_rule::gives_null, false, op_truth_and},
    {u'|', null_rule::gives_null, false, op_truth_or},
    {u'A', null_rule::gives_null, true, op_and_list},
    {u'o', null_rule::gives_null, false, op_or_list},
    {u'~', null_rule::gives_null, false, op_key_merge},
    {u'#', null_rule::gives_null, false, op_form},
    {u'i', null_rule::gives_null, false, op_is},
    {u'l', null_rule::gives_null, false, op_like},
    {u'a', null_rule::gives_null, false, op_placement},
    {u'b', null_rule::gives_null, false, op_placement},
    {u'n', null_rule::gives_null, false, op_placement},
    {u's', null_rule::gives_null, false, op_placement},
    {u'e', null_rule::gives_null, false, op_placement},
    {u'w', null_rule::gives_null, false, op_placement},
    {u'I', null_rule::gives_null, false, op_holding},
    {u'O', null_rule::gives_null, false, op_holding},
    {u'P', null_rule::gives_null, false, op_holding},
    {u':', null_rule::gives_null, false, no_effect},
    {u'%', null_rule::gives_null, false, no_effect},
};

const binary_row* row_of(char16_t letter) {
  for (const binary_row& row : binary_rows)
    if (row.letter == letter) return &row;
  return nullptr;
}

bool is_unclear(const value& v) { return v.Type() == kw::type_bool && v.Code() == kw::result_unclear; }

value null_result(null_rule rule, const value& left, const value& right) {
  if (rule == null_rule::other_operand) return left.IsNull() ? right : left;
  if (rule == null_rule::left_decides && !left.IsNull()) return left;
  return value();
}

// "+" with one string operand joins texts: the other becomes its text.
value text_operand(const value& v, context& ctx) {
  return v.Type() == kw::type_string ? v : value::String(text_of(v, ctx));
}

void mark_unknown(value& result, const binary_row& row) {
  if (row.marks_numbers && result.Type() == kw::type_number)
    result.SetKeyText(u"nvНе");
  else if (row.letter == u'+' && result.Type() == kw::type_string)
    result.SetKeyText(u"svНе");
}

bool negates(const wstring& code) { return code.Length() > 1 && code[1] == u'!'; }

size_t text_bytes(const value& v) {
  return v.Type() == kw::type_string ? size_t(v.Text().Length()) * sizeof(char16_t) : 0;
}

size_t element_bytes(const value& v) { return list_element_bytes + text_bytes(v); }

// What a joining operator ("+", "and", "or") is about to build, as the
// command's memory budget counts it, before it is built: a joined text its
// whole length; a list each element it adds, with the element's text (a
// list nested in it is shared, not copied). So text doubled again and
// again is stopped before it is made.
size_t joining_bytes(char16_t letter, const value& left, const value& right) {
  if (letter == u'+') return left.Type() == kw::type_string ? text_bytes(left) + text_bytes(right) : 0;
  if (letter != u'A' && letter != u'o') return 0;
  int list_type = letter == u'A' ? kw::type_and_list : kw::type_or_list;
  size_t bytes = left.Type() == list_type ? 0 : element_bytes(left);
  if (right.Type() != list_type) return bytes + element_bytes(right);
  for (const value& item : right.Items()) bytes += element_bytes(item);
  return bytes;
}

}  // namespace

bool Operation(value& result, const value& left, const value& right, const wstring& code, bool action,
               context& ctx) {
  char16_t letter = code.IsEmpty() ? 0 : code[0];
  if (letter < 0x21 || letter > 0x7E) throw u"!Operation(): invalid Op!";
  if (is_unclear(left) || is_unclear(right)) return false;
  const binary_row* row = row_of(letter);
  null_rule nulls = row ? row->nulls : null_rule::gives_null;
  if ((left.IsNull() || right.IsNull()) && nulls != null_rule::compared) {
    result = null_result(nulls, left, right);
    return true;
  }
  bool left_unknown = carries_unknown(left);
  bool right_unknown = carries_unknown(right);
  if (left_unknown && right_unknown) return false;
  if (!row) {
    wstring message(u"Неизвестный оператор - ");
    message += code;
    throw message;
  }

  world& home = *ctx.World();
  value out;
  bool joins_texts = letter == u'+' && (left.Type() == kw::type_string) != (right.Type() == kw::type_string);
  const value left_operand = joins_texts ? text_operand(left, ctx) : left;
  const value right_operand = joins_texts ? text_operand(right, ctx) : right;
  if (code_runner* runner = home.Runner()) runner->ChargeMemory(joining_bytes(letter, left_operand, right_operand));
  if (!row->handler({left_operand, right_operand, letter, action, ctx, home}, out)) return false;
  if (left_unknown != right_unknown) mark_unknown(out, *row);
  if (negates(code) && out.Type() == kw::type_bool) out = value::Result(result_not(out.Code()), out.Text());
  result = std::move(out);
  return true;
}

// ---- shared by the operators ----

value truth(bool yes, const char16_t* yes_comment, const char16_t* no_comment) {
  return yes ? value::Result(kw::result_yes, yes_comment) : value::Result(kw::result_no, no_comment);
}

bool is_truth(const value& v) { return v.Type() == kw::type_bool; }

bool carries_unknown(const value& v) { return key_matrix(v.KeyText().Text()).GetMarker(u'е') == u'Н'; }

bool is_key_text(const value& v) {
  return v.Type() == kw::type_string && v.Text().Length() > 0 && v.Text()[0] == u'#';
}

object* live_entity(const value& v) { return v.IsEntity() ? v.GetEntity() : nullptr; }

location* live_location(const value& v) { return dynamic_cast<location*>(live_entity(v)); }

wstring text_of(const value& v, context& ctx) {
  bool missing_form;
  return v.ToString(ctx.World(), &ctx, nullptr, text_all, missing_form);
}

wstring key_source(const value& v, const world& home) {
  if (is_key_text(v)) return v.Text();
  value keyed(v);
  keyed.BuildKey(&home);
  return keyed.KeyText();
}

bool key_fits(const wstring& pattern, const wstring& key_text) {
  const char16_t* pairs = key_text.Text();
  while (*pairs == u'#') ++pairs;
  return key_matrix(pattern.Text()).Matches(pairs);
}

value over_elements(const value& list, const std::function<value(const value&)>& element_test) {
  bool every = list.Type() == kw::type_and_list;
  int code = every ? kw::result_yes : kw::result_no;
  value decider, last;
  for (const value& element : list.Items()) {
    last = element_test(element);
    code = every ? result_and(code, last.Code()) : result_or(code, last.Code());
    // An and-list is decided by its first element that does not hold, an
    // or-list by its first that does; otherwise by its last.
    if (decider.IsNull() && result_holds(last.Code()) != every) decider = last;
  }
  return value::Result(code, (decider.IsNull() ? last : decider).Text());
}

value attribute_value(object& entity, object& attribute, context& ctx) {
  const wstring& name = attribute.NormalisedName();
  c_array<context*, context*> holders = property_holders(entity, name);
  if (holders.Count() == 0) return value::Keyword(kw::result_unknown);
  context& holder = *holders[0];
  value read = holder.FindVariable(name)->GetValue(holder, &ctx, &entity);
  if (is_truth(read)) return read;
  wstring message(u"Значение признака не может быть ");
  message += kw::at(read.Type()).english;
  message += u" (";
  message += text_of(read, ctx);
  message += u")!";
  throw message;
}
