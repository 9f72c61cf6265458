#pragma once

#include <functional>

#include "keyword_table.h"
#include "value.h"
#include "wstring.h"

class context;
class location;
class object;
class world;

// One binary operator at work: its operands, its code letter and where it
// runs.
struct operands {
  const value& left;
  const value& right;
  char16_t letter;
  bool action;
  context& ctx;
  world& home;

  // The same operator on another left operand (an element of a list).
  operands With(const value& other_left) const { return {other_left, right, letter, action, ctx, home}; }
  bool Numbers() const { return left.Type() == kw::type_number && right.Type() == kw::type_number; }
};

// A row of the binary operator table: false when the operator does not
// apply to the operands. Null operands never reach a row but that of "C".
using binary_handler = bool (*)(const operands& in, value& out);

bool op_add(const operands& in, value& out);
bool op_subtract(const operands& in, value& out);
bool op_multiply(const operands& in, value& out);
bool op_divide(const operands& in, value& out);
bool op_comment(const operands& in, value& out);
bool op_index(const operands& in, value& out);
bool op_truth_and(const operands& in, value& out);
bool op_truth_or(const operands& in, value& out);
bool op_and_list(const operands& in, value& out);
bool op_or_list(const operands& in, value& out);
bool op_key_merge(const operands& in, value& out);
bool op_form(const operands& in, value& out);
bool op_compare(const operands& in, value& out);
bool op_greater(const operands& in, value& out);
bool op_less(const operands& in, value& out);
bool op_is(const operands& in, value& out);
bool op_like(const operands& in, value& out);
bool op_placement(const operands& in, value& out);
bool op_holding(const operands& in, value& out);
bool op_property(const operands& in, value& out);

// ---- shared by the operators ----

// A test's answer: yes or no with the comment of that answer.
value truth(bool yes, const char16_t* yes_comment = u"", const char16_t* no_comment = u"");
bool is_truth(const value& v);
// Carries the unknown-value marker: key "е" marked "Н".
bool carries_unknown(const value& v);
// A string written as keys: it begins with "#".
bool is_key_text(const value& v);
// The entity of an entity value while it is in the world, else null.
object* live_entity(const value& v);
location* live_location(const value& v);
// The value as the player would read it.
wstring text_of(const value& v, context& ctx);
// The keys a value stands for: a key text's own, else the value's key.
wstring key_source(const value& v, const world& home);
// Whether the keys of key_text satisfy every key the pattern asks for.
bool key_fits(const wstring& pattern, const wstring& key_text);
// A test over the elements of a list: every one must pass in an and-list,
// any one in an or-list. The answer carries the comment of the element
// that decided it.
value over_elements(const value& list, const std::function<value(const value&)>& element_test);
// The attribute's truth on the entity: its property of that name as the
// entity sees it (its own, else its nearest class's); unknown when none
// holds it, a message when it holds no truth.
value attribute_value(object& entity, object& attribute, context& ctx);
