#pragma once

#include "link.h"

// A phrase whose words together name one word of the world («красная
// лампа», «ручка двери», «ручка от двери»).
class composite_word : public link {
 public:
  using link::link;
  bool Apply(context& ctx, token_line& line) const override;
};
