#pragma once

#include "link.h"

// A preposition with the value it governs («со стола»).
class prep_word : public link {
 public:
  using link::link;
  bool Apply(context& ctx, token_line& line) const override;
};
