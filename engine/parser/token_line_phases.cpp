// The execute and remember phases of a reading, through the rule that
// made it.

#include "link.h"
#include "parsed_string.h"
#include "system_factory.h"
#include "token_line.h"

void token_line::Execute(context& ctx, op_value& result) {
  if (Count() != 1) throw u"token_line::Execute() error: 1!";
  const class link* rule = parent_ ? owner_.Rules().Rule(parent_->k) : nullptr;
  if (!rule || parent_->k == 0) throw u"token_line::Execute() error: 3!";
  rule->Execute(ctx, *parent_, result);
}

void token_line::Remember(context& ctx, op_value& result) {
  const class link* rule = owner_.Rules().Rule(k);
  if (!rule || k == 0) throw u"token_line::Remember() error: 3!";
  rule->Remember(ctx, *this, result);
}
