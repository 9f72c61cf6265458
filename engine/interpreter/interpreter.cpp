#include "interpreter.h"

#include "block.h"
#include "context.h"
#include "keyword_table.h"
#include "object.h"
#include "statements.h"
#include "variable.h"

interpreter::depth_guard::depth_guard(interpreter& owner) : owner_(owner) {
  if (owner_.depth_ >= max_depth) throw u"слишком глубокая вложенность кода!";
  if (owner_.steps_ >= max_steps) throw u"превышен лимит шагов вычисления для одной команды!";
  ++owner_.steps_;
  ++owner_.depth_;
}

c_array<wstring, wstring> interpreter::CodeLines(const wstring& source) {
  block code(source);
  return code.Lines();
}

value interpreter::RunSource(const wstring& source, context& ctx) {
  block code(source);
  return code.Execute(*this, ctx, value());
}

value interpreter::RunMethod(object& entity, const wstring& section, context& ctx) {
  block code(entity.SourceText());
  return code.Execute(*this, ctx, value::Keyword(kw::result_ok), section);
}

// A computed variable is a method: its section of the holder's code.
value interpreter::Evaluate(variable& computed, context& holder, context& fresh) {
  if (!holder.IsEntity()) throw evaluation_failure::invalid_code;
  const wstring name = computed.name;
  return RunMethod(static_cast<object&>(holder), name, fresh);
}

bool interpreter::Evaluate(const wstring& expression, context* ctx, value& result) {
  return ctx && EvaluateText(*this, *ctx, expression, result);
}
