#pragma once

#include "link.h"

class object;

// An address to a character at the start («Вася, открой дверь») or at the
// end («открой дверь, Вася») of a command.
class NPC_command : public link {
 public:
  using link::link;
  bool Apply(context& ctx, token_line& line) const override;

 private:
  bool AtStart() const;
  bool Addressed(const token_line& line) const;
  void TakeCommand(context& ctx, token_line& line, object& character) const;
  void Retype(context& ctx, token_line& line) const;
};
