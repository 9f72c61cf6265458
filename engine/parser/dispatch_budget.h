#pragma once

#include <cstdint>

// What one application of a function rule may spend on placements and
// bindings: their count grows with the product of the meanings and the
// factorial of the arguments, so a hostile command could hold the worker
// for ever. Spending past the limit raises dispatch_budget::spent.
class dispatch_budget {
 public:
  // Placement steps and bindings tried per application.
  static constexpr int32_t limit = 5000;
  struct spent {};

  void Spend() {
    if (++used_ > limit) throw spent{};
  }

 private:
  int32_t used_ = 0;
};
