#pragma once

#include <memory>

#include "link.h"

// (The rule class is named with "class" here: files that include this one
// may also see the POSIX function link().)

// The table of combination rules: 60 slots, slot 0 never used; Init fills
// slots 1 to 15. Built once for the engine and read by every session.
class system_factory {
 public:
  static constexpr int slot_count = 60;

  system_factory() = default;
  system_factory(const system_factory&) = delete;
  system_factory& operator=(const system_factory&) = delete;

  // Empties the slots and creates the rules; raises
  // "system_factory::Init() - превышен CombCount!" when the table is full.
  void Init();
  // The rule in a slot, or null.
  const class link* Rule(int slot) const;

 private:
  // Puts the rule into the next slot.
  void Add(std::unique_ptr<class link> rule);

  std::unique_ptr<class link> slots_[slot_count];
  int count_ = 0;
};
