#pragma once

#include "link.h"

// "не" followed by a value: a truth turned over, anything else marked
// negated.
class denial : public link {
 public:
  using link::link;
  bool Apply(context& ctx, token_line& line) const override;
};
