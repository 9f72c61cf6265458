#pragma once

#include "code_cache.h"
#include "code_runner.h"
#include "command_budget.h"
#include "expression_evaluator.h"
#include "interpreter_host.h"
#include "stack_room.h"
#include "value.h"
#include "wstring.h"

class context;
class object;

// Runs the game language for one session's world: blocks of code,
// expressions, methods and computed variables. Game code nests brackets,
// blocks and method calls without limit, so every nesting level is counted
// and refused before the stack runs out: past max_depth, or when the
// thread's stack has little room left.
class interpreter : public code_runner, public expression_evaluator {
 public:
  // Deepest nesting of expressions, statements, blocks and texts of values
  // within one method call, and in all: method calls nest well over a
  // thousand deep (three levels each). Both fit the worker's 64 MB stack
  // also in the sanitizer build.
  static constexpr int max_nesting = 200;
  static constexpr int max_depth = 5000;
  // Most expressions, statements and blocks one command may run: nested
  // loops (each allowed 1000 passes) would otherwise hold the worker for
  // hours.
  static constexpr int max_steps = 1000000;

  explicit interpreter(interpreter_host& host) : host_(host) {}

  interpreter_host& Host() { return host_; }
  // A new command starts: its steps, time and memory are counted afresh.
  void StartCommand();
  command_budget& Budget() { return budget_; }
  code_cache& Code() { return code_; }
  // The text with its "{expression}" parts computed in ctx; what the parts
  // add counts against the command's memory.
  wstring ComputedText(const wstring& text, context& ctx);

  // Holds one nesting level while it lives.
  class depth_guard {
   public:
    explicit depth_guard(interpreter& owner) : owner_(owner) { owner_.EnterLevel(); }
    ~depth_guard() { owner_.LeaveLevel(); }
    depth_guard(const depth_guard&) = delete;
    depth_guard& operator=(const depth_guard&) = delete;

   private:
    interpreter& owner_;
  };

  // code_runner
  c_array<wstring, wstring> CodeLines(const wstring& source) override;
  value RunSource(const wstring& source, context& ctx) override;
  value RunMethod(object& entity, const wstring& section, context& ctx) override;
  value Evaluate(variable& computed, context& holder, context& fresh) override;
  void EnterLevel() override;
  void LeaveLevel() override { --depth_; }
  void ChargeMemory(size_t bytes) override { budget_.Charge(bytes); }

  // expression_evaluator
  bool Evaluate(const wstring& expression, context* ctx, value& result) override;

 private:
  interpreter_host& host_;
  int depth_ = 0;
  // The depth at which the running method call began.
  int method_base_ = 0;
  int steps_ = 0;
  command_budget budget_;
  stack_room stack_;
  code_cache code_;
};
