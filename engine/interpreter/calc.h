#pragma once

#include "lxms.h"
#include "value.h"

class context;
class interpreter;

// Evaluates one lexeme line: postfix conversion by operator priority, then
// a value stack, with at most one assignment. action is true for
// statements, false for conditions and calculated strings. False when the
// expression cannot be computed; failures of the code raise their message.
bool Calc(interpreter& in, context& ctx, const lxms_line& line, bool action, value& result);
