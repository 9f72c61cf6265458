#include "variable.h"

#include "code_runner.h"
#include "context.h"
#include "keyword_table.h"
#include "object.h"
#include "world.h"

namespace {

const char16_t* failure_message(evaluation_failure failure) {
  return failure == evaluation_failure::invalid_code ? u"variable::GetValue() invalid Code"
                                                     : u"variable::GetValue() - Error CalcString()";
}

// Evaluation may have moved the variable, or removed it with its holder
// (held, when the holder is an entity, which is then not touched): the
// flag is cleared wherever the variable is now.
void finish_computing(context& holder, const entity_ref& held, const wstring& name) {
  if (held.Identity() && !held.Get()) return;
  if (variable* computed = holder.FindVariable(name)) computed->being_computed = false;
}

}  // namespace

value variable::GetValue(context& holder, context* reader, object* owner, int32_t* signal) {
  if (!is_computed) return content;
  // A computed variable that reads itself sees nothing rather than recursing.
  if (being_computed) return value();
  world* home = holder.World();
  code_runner* runner = home ? home->Runner() : nullptr;
  if (!runner) return value();

  context fresh(home, kw::type_context, reader ? reader : &holder);
  if (reader)
    for (int i = 0; i < 3; ++i) fresh.characters[i] = reader->characters[i];
  if (!owner && holder.IsEntity()) owner = static_cast<object*>(&holder);
  if (owner) fresh.MoveTo(owner);

  const wstring own_name(name);
  const entity_ref held = holder.IsEntity() ? static_cast<object&>(holder).Ref() : entity_ref();
  being_computed = true;
  value result;
  try {
    result = runner->Evaluate(*this, holder, fresh);
  } catch (evaluation_failure failure) {
    finish_computing(holder, held, own_name);
    throw failure_message(failure);
  } catch (...) {
    finish_computing(holder, held, own_name);
    throw;
  }
  finish_computing(holder, held, own_name);
  if (signal) *signal = fresh.state;
  return result;
}
