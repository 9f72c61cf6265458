// Binding a function's arguments to the tokens of a command.

#include "fn_it.h"

#include "context.h"
#include "keyword_table.h"
#include "token_line.h"

namespace {

const char16_t* const text_names[] = {u"_text", u"_текст"};

// The token's argument and meaning for the mode (saved by "fix" for
// "execute").
void binding_of(token& t, bind_mode mode, int& argument, int& meaning) {
  switch (mode) {
    case bind_mode::parsing:
      break;
    case bind_mode::fix:
      t.saved_argument = t.argument;
      t.saved_meaning = t.meaning;
      break;
    case bind_mode::execute:
      argument = t.saved_argument;
      meaning = t.saved_meaning;
      return;
    default:
      throw u"fn_it::SetArgs() invalid mode";
  }
  argument = t.argument;
  meaning = t.meaning;
}

}  // namespace

object* fn_it::SetArgs(context& ctx, token_line& line, int first, int count, bind_mode mode) const {
  object* act = nullptr;
  uint32_t used = 0;
  wstring words;
  for (int n = first; n < first + count; ++n) {
    token& t = line[n];
    int argument, meaning;
    binding_of(t, mode, argument, meaning);
    if (argument < 0 || argument >= args.Count() || meaning < 0 || meaning >= t.meanings.Count())
      throw u"fn_it::SetArgs() нет связи аргумента с токеном!";
    const value& v = t.meanings[meaning].v;
    ctx.SetVariable(args[argument].name, v, true, false);
    if (!act && v.Type() == kw::type_act) act = v.GetEntity();
    used |= uint32_t(1) << argument;
    if (!words.IsEmpty()) words += u" ";
    words += t.text;
  }
  for (int n = 0; n < args.Count(); ++n)
    if (!(used & (uint32_t(1) << n))) ctx.SetVariable(args[n].name, value(), true, false);
  for (const wstring& name : extra_names) ctx.SetVariable(name, value(), true, false);
  for (const char16_t* name : text_names) ctx.SetVariable(name, value::String(words), true, false);
  return act;
}
