#include "interpreter.h"

#include "block.h"
#include "context.h"
#include "keyword_table.h"
#include "object.h"
#include "statements.h"
#include "variable.h"
#include "world.h"

namespace {

// Steps between two looks at the clock.
constexpr int steps_per_time_check = 16;

// A method call counts its nesting from the depth it begins at, until it
// ends.
class method_frame {
 public:
  method_frame(int& base, int depth) : base_(base), caller_base_(base) { base_ = depth; }
  ~method_frame() { base_ = caller_base_; }
  method_frame(const method_frame&) = delete;
  method_frame& operator=(const method_frame&) = delete;

 private:
  int& base_;
  int caller_base_;
};

}  // namespace

void interpreter::StartCommand() {
  steps_ = 0;
  budget_.Start();
}

void interpreter::EnterLevel() {
  if (depth_ >= max_depth || depth_ - method_base_ >= max_nesting || stack_.Low())
    throw u"слишком глубокая вложенность кода!";
  if (steps_ >= max_steps) throw u"превышен лимит шагов вычисления для одной команды!";
  if (++steps_ % steps_per_time_check == 0) budget_.CheckTime();
  ++depth_;
}

c_array<wstring, wstring> interpreter::CodeLines(const wstring& source) { return code_.Block(source)->Lines(); }

value interpreter::RunSource(const wstring& source, context& ctx) {
  return code_.Block(source)->Execute(*this, ctx, value());
}

value interpreter::RunMethod(object& entity, const wstring& section, context& ctx) {
  const std::shared_ptr<block> code = code_.Block(entity.SourceText());
  method_frame frame(method_base_, depth_);
  return code->Execute(*this, ctx, value::Keyword(kw::result_ok), section);
}

// A computed variable is a method: its section of the holder's code.
value interpreter::Evaluate(variable& computed, context& holder, context& fresh) {
  if (!holder.IsEntity()) throw evaluation_failure::invalid_code;
  const wstring name = computed.name;
  return RunMethod(static_cast<object&>(holder), name, fresh);
}

wstring interpreter::ComputedText(const wstring& text, context& ctx) {
  wstring computed = value::String(text).CalcString(ctx.World(), this, &ctx);
  if (computed.Length() > text.Length()) ChargeMemory(size_t(computed.Length() - text.Length()) * sizeof(char16_t));
  return computed;
}

bool interpreter::Evaluate(const wstring& expression, context* ctx, value& result) {
  return ctx && EvaluateText(*this, *ctx, expression, result);
}
