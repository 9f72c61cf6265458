#pragma once

#include "value.h"
#include "wstring.h"

class context;

// Carries out the binary operator `code` (its first character selects the
// operation, a second "!" negates a truth result) on two values. With
// action set the relation operators act (give a class, move an object,
// place a location); otherwise they test. False when the operator does not
// apply to the operands, result untouched; failures of the code raise their
// message. result may be one of the operands.
bool Operation(value& result, const value& left, const value& right, const wstring& code, bool action,
               context& ctx);

// Carries out the prefix operator `code` on the operand in place; return
// and goto set the context's stop signal. False when the operator does not
// apply (a negation of what is no truth value), operand untouched.
bool PrefixOperation(context& ctx, value& operand, const wstring& code);
