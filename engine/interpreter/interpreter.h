#pragma once

#include "code_runner.h"
#include "expression_evaluator.h"
#include "interpreter_host.h"
#include "value.h"
#include "wstring.h"

class context;
class object;

// Runs the game language for one session's world: blocks of code,
// expressions, methods and computed variables. Game code nests brackets,
// blocks and method calls without limit, so every nesting level is counted
// and refused well before the worker's stack runs out.
class interpreter : public code_runner, public expression_evaluator {
 public:
  // Deepest nesting of expressions, statements and blocks; safe within the
  // worker's 8 MB stack also in the sanitizer build.
  static constexpr int max_depth = 200;
  // Most expressions, statements and blocks one command may run: nested
  // loops (each allowed 1000 passes) would otherwise hold the worker for
  // hours.
  static constexpr int max_steps = 1000000;

  explicit interpreter(interpreter_host& host) : host_(host) {}

  interpreter_host& Host() { return host_; }
  // A new command starts: its steps are counted afresh.
  void StartCommand() { steps_ = 0; }

  // Holds one nesting level while it lives.
  class depth_guard {
   public:
    explicit depth_guard(interpreter& owner);
    ~depth_guard() { --owner_.depth_; }
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

  // expression_evaluator
  bool Evaluate(const wstring& expression, context* ctx, value& result) override;

 private:
  interpreter_host& host_;
  int depth_ = 0;
  int steps_ = 0;
};
