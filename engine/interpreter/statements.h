#pragma once

#include "lxms.h"
#include "value.h"
#include "wstring.h"

class block;
class context;
class interpreter;

// Whether a value taken as a condition holds, fails or leaves it open: a
// result word by its code, a number unless zero, null fails, a string (such
// as the text of a syntax error) is open, any other value holds.
enum class truth { holds, fails, open };
truth truth_of(const value& v);

// A letter, digit or name-prefix character: what a name is made of.
bool is_name_char(char16_t c);

// The statement runner: runs one code line of `owner`. With action off the
// line is only passed over, consuming the lines a construct would.
// line_index moves past the lines the statement takes from the block.
value RunStatement(interpreter& in, context& ctx, const wstring& line, bool else_allowed, bool action,
                   int& line_index, block& owner);

// Line evaluation: service statements, then attribute lines, then Calc.
bool EvaluateLine(interpreter& in, context& ctx, const lxms_line& line, bool action, value& result);

// An expression text in condition mode: the first of its alternatives that
// can be computed; false when none can.
bool EvaluateText(interpreter& in, context& ctx, const wstring& text, value& result);
