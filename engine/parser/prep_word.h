#pragma once

#include "link.h"
#include "obj_word.h"

class token;

// A preposition with the value it governs («со стола»).
class prep_word : public link {
 public:
  using link::link;
  bool Apply(context& ctx, token_line& line) const override;

 private:
  void AddCompound(context& ctx, const obj_word::prep_data_item& use, const op_value& meaning, const token& governed,
                   token& joined) const;
};
