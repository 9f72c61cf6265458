#pragma once

#include <cstddef>

#include "value.h"
#include "wstring.h"

class context;
class object;
struct variable;

// What Evaluate raises when a computed variable cannot be evaluated: its
// code is missing or broken, or its expression cannot be computed. The
// reader turns it into its own message.
enum class evaluation_failure { invalid_code, not_computable };

// What the world model asks of the game-language interpreter: running code
// text, entity methods and computed variables. The interpreter implements
// it; a world without one runs no code (methods answer ok, includes only
// record the file, computed variables read empty).
class code_runner {
 public:
  virtual ~code_runner() = default;

  // Cuts source text into its code lines (the statement lines of the
  // language), for finding an entity's section headers.
  virtual c_array<wstring, wstring> CodeLines(const wstring& source) = 0;
  // Parses and runs source text as a block in ctx (an included file, the
  // unlabelled beginning of an entity's code); the value it produces.
  virtual value RunSource(const wstring& source, context& ctx) = 0;
  // Runs the section `section` of the entity's code in ctx; ok when the
  // entity has no code or no such section.
  virtual value RunMethod(object& entity, const wstring& section, context& ctx) = 0;
  // Evaluates a computed variable of `holder` in the fresh context `fresh`
  // (placed in the entity it is read for); raises evaluation_failure. The
  // variable may move once code runs: read what is needed of it first.
  virtual value Evaluate(variable& computed, context& holder, context& fresh) = 0;

  // Every recursion of game code passes through these (code, methods,
  // computed variables, word forms, texts of values), so one limit guards
  // the stack and the command's time: EnterLevel raises the depth, step and
  // time messages. Use code_level rather than calling them.
  virtual void EnterLevel() = 0;
  virtual void LeaveLevel() = 0;
  // Counts memory the running command's values take; raises the memory
  // message once the command is over its budget.
  virtual void ChargeMemory(size_t bytes) = 0;
};

// Holds one nesting level of the runner, if any, while it lives.
class code_level {
 public:
  explicit code_level(code_runner* runner) : runner_(runner) {
    if (runner_) runner_->EnterLevel();
  }
  ~code_level() {
    if (runner_) runner_->LeaveLevel();
  }
  code_level(const code_level&) = delete;
  code_level& operator=(const code_level&) = delete;

 private:
  code_runner* runner_;
};
