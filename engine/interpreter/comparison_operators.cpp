// Comparison (== != <>), > and <, and what > and < mean with a character
// on the left: speech and a command told.

#include "context.h"
#include "keyword_table.h"
#include "object.h"
#include "operator_host.h"
#include "operator_rows.h"
#include "world.h"

namespace {

constexpr int speaker_role = kw::name_speaker - kw::name_actor;

value incomparable(const value& a, const value& b, const world& home) {
  wstring comment = a.ShortText(&home);
  comment += u" и ";
  comment += b.ShortText(&home);
  comment += u" - это несравнимые значения";
  return value::Result(kw::result_no, comment);
}

value compared_by_type(const value& a, const value& b, const world& home) {
  switch (a.Type()) {
    case kw::type_bool:
    case kw::type_keyword:
    case kw::type_course:
      return truth(a.Code() == b.Code());
    case kw::type_number: {
      bool equal = !carries_unknown(a) && !carries_unknown(b) && a.GetNumber() == b.GetNumber();
      return truth(equal, u"равно", u"различны");
    }
    case kw::type_string:
      if (is_key_text(a) && is_key_text(b)) return truth(key_fits(b.Text(), a.Text()), u"ключ совпал", u"ключ не совпал");
      return truth(a.Text() == b.Text(), u"строки равны", u"строки различны");
    default:
      return incomparable(a, b, home);
  }
}

value compared(const value& a, const value& b, const world& home) {
  if (a.Type() == kw::type_or_list)
    return over_elements(a, [&](const value& element) { return compared(element, b, home); });
  if (a.IsNull() || b.IsNull()) return truth(a.IsNull() && b.IsNull());
  if (a.Type() != b.Type()) return value::Result(kw::result_no, u"значения различных типов");
  if (a.IsEntity()) return truth(a.SameEntity(b), u" это одно и тоже", u" это разное");
  return compared_by_type(a, b, home);
}

operator_host& host_for(const world& home, const char16_t* refusal) {
  operator_host* host = home.OperatorHost();
  if (!host) throw refusal;
  return *host;
}

// The phrase is worded as the character says it: in a context whose
// speaker is the character.
bool speak(const operands& in, value& out) {
  object* character = live_entity(in.left);
  if (!character) return false;
  operator_host& host = host_for(in.home, u"Operation(>) нет вывода для реплики персонажа!");
  context speech(&in.home, kw::type_context, &in.ctx);
  for (int role = 0; role < 3; ++role) speech.characters[role] = in.ctx.characters[role];
  speech.characters[speaker_role] = character->Id();
  wstring line(u"\n");
  line += character->Name();
  line += u": ";
  line += text_of(in.right, speech);
  host.Print(line);
  out = value::Result(kw::result_ok, u"персонаж выдал фразу");
  return true;
}

bool tell(const operands& in, value& out) {
  object* character = live_entity(in.left);
  if (!character) return false;
  operator_host& host = host_for(in.home, u"Operation(<) нет разбора команд для персонажа!");
  wstring parse_error;
  switch (host.TellCharacter(*character, in.right.Text(), in.ctx, parse_error)) {
    case operator_host::told::executed:
      out = value::Result(kw::result_ok, u"выполнено");
      break;
    case operator_host::told::information:
      out = value::String(
          u"Вы сообщили NPC очень важную информацию. К сожалению, эта функциональность пока не реализована");
      break;
    case operator_host::told::unparsable:
      out = value::String(parse_error);
      break;
  }
  return true;
}

}  // namespace

bool op_compare(const operands& in, value& out) {
  out = compared(in.left, in.right, in.home);
  return true;
}

bool op_greater(const operands& in, value& out) {
  if (in.Numbers()) {
    if (carries_unknown(in.left) || carries_unknown(in.right))
      out = value::Keyword(kw::result_unknown);
    else
      out = truth(in.left.GetNumber() > in.right.GetNumber(), u"больше", u"не больше");
    return true;
  }
  return in.left.Type() == kw::type_object && speak(in, out);
}

// Unlike ">", the unknown-value marker is not looked at.
bool op_less(const operands& in, value& out) {
  if (in.Numbers()) {
    out = truth(in.left.GetNumber() < in.right.GetNumber(), u"меньше", u"не меньше");
    return true;
  }
  return in.left.Type() == kw::type_object && in.right.Type() == kw::type_string && tell(in, out);
}
