#pragma once

#include "link.h"

// The function rule of one kind (expression "/", action "0", fact "1"):
// finds the game functions whose arguments fit the tokens from the line's
// position on, binds and checks them, and later executes the chosen one.
class function : public link {
 public:
  using link::link;
  bool Apply(context& ctx, token_line& line) const override;
  void Execute(context& ctx, token_line& line, op_value& result) const override;
  void Remember(context& ctx, token_line& line, op_value& result) const override;
};
