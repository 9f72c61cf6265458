#pragma once

#include "wstring.h"

class context;
class value;

// Computes the expressions embedded in calculated strings; the interpreter
// implements it.
class expression_evaluator {
 public:
  virtual ~expression_evaluator() = default;

  // Tokenises and evaluates the text as an expression in condition mode;
  // false when it cannot be computed.
  virtual bool Evaluate(const wstring& expression, context* ctx, value& result) = 0;
};
