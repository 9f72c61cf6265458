#pragma once

#include <cstdint>

#include "fn_arg.h"

// A function still in play while a function rule reads a token line.
struct fn_candidate {
  static constexpr int graded_arguments = 10;
  // Argument subsets are bit masks: longer lists take no part in dispatch.
  static constexpr int max_arguments = 31;

  // The candidate's serial number in its line, by which meanings mark it.
  int32_t serial = 0;
  fn_args args;
  // The arguments in use, a bit per argument.
  uint32_t subset = 0;
  // The greatest number of tokens it covered, the greatest sum of meaning
  // weights it reached, and its successful bindings.
  int32_t covered = 0;
  int32_t weight_sum = 0;
  int32_t successes = 0;
  // While the tokens are matched: how many it reached, and the arguments
  // some token could fill.
  int32_t reach = 0;
  uint32_t placed = 0;
  // The arguments of type "string", which keep their declared order.
  uint32_t strings = 0;
  // How closely each bound value matched its argument's type, by token from
  // the rule's position on, with the type it matched.
  int8_t grades[graded_arguments] = {};
  int32_t graded_types[graded_arguments] = {};
};
