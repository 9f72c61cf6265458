#pragma once

#include "link.h"

// The conjunctions "и" and "или" between two values: they take part in
// the enumeration but never join.
class union_objects : public link {
 public:
  using link::link;
  bool Apply(context& ctx, token_line& line) const override;
};
