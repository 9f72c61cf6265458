#pragma once

#include "link.h"

class token;

// A phrase whose words together name one word of the world («красная
// лампа», «ручка двери», «ручка от двери»).
class composite_word : public link {
 public:
  using link::link;
  bool Apply(context& ctx, token_line& line) const override;

 private:
  int DependentIndex(const token_line& line) const;
  // Adds what the names made of the two meanings stand for.
  void AddCandidates(context& ctx, const token_line& line, const op_value& main, const op_value& dependent,
                     token& joined) const;
};
