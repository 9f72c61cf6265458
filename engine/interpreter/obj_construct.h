#pragma once

#include "lxms.h"
#include "value.h"

class context;
class interpreter;

// Whether the line has the shape of a declaration: a game function
// (expression, action or fact first) or a thing followed by its brace block.
bool IsDeclaration(const lxms_line& line);

// Declares what the line declares: creates the object, class, word,
// attribute, relation, act, location or preposition, or finds it, and
// hands it the brace block; or declares a game function or its synonym.
// The thing (or the function registry's answer) is the result; false when
// the line is no declaration. Raises the declaration messages.
bool ObjConstruct(interpreter& in, context& ctx, const lxms_line& line, value& result);
