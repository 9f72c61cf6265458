#include "statements.h"

#include <string_view>

#include "block.h"
#include "calc.h"
#include "case_map.h"
#include "code_places.h"
#include "context.h"
#include "interpreter.h"
#include "keyword_table.h"
#include "obj_construct.h"
#include "object.h"
#include "operation.h"
#include "world.h"

namespace {

constexpr int max_loop_passes = 1000;
// A host function's name has up to this many words, followed by up to
// two arguments.
constexpr int max_host_name_words = 3;
constexpr int max_host_arguments = 2;

const char16_t* const condition_error = u"синтаксическая ошибка в условии";

bool is_result(const value& v, int code) { return v.Type() == kw::type_bool && v.Code() == code; }

bool starts_with_word(const wstring& line, const char16_t* word) {
  int n = wide_length(word);
  if (line.Length() < n || context::NormalisedName(line.Left(n)) != word) return false;
  return line.Length() == n || !is_name_char(line[n]);
}

bool is_else_line(const wstring& line) { return starts_with_word(line, u"else") || starts_with_word(line, u"иначе"); }

// A word of a line compared as a player would type it.
bool word_is(const lxms_data& e, const char16_t* word) { return context::NormalisedName(e.text) == word; }

wstring unquoted(const lxms_data& e) { return e.cls == u'"' ? e.text.Mid(1, e.text.Length() - 2) : e.text; }

wstring with_lower_first(const wstring& text) {
  wstring lowered(text);
  if (!lowered.IsEmpty()) lowered[0] = lower_case(lowered[0]);
  return lowered;
}

lxms_data this_element() {
  lxms_data e;
  e.cls = u'k';
  e.text = kw::at(kw::name_this).english;
  e.keyword = kw::name_this;
  return e;
}

bool is_relation_keyword(const lxms_data& e) { return e.keyword >= kw::rel_is && e.keyword <= kw::rel_part; }

// In an entity's code a line may leave out the entity itself: "inside
// room" means the entity inside the room.
void insert_this(lxms& expression, int alternative) {
  const lxms_line& line = expression.Alternative(alternative);
  if (line.Count() == 0) return;
  bool binary_first = line[0].cls == u'+';
  bool relation_first = !binary_first && is_relation_keyword(line[0]) && line.Count() > 1 && line[1].cls != u'+';
  if (!binary_first && !relation_first) return;
  lxms_line& changed = expression.ChangeAlternative(alternative);
  if (relation_first) changed[0].MakeBinaryOperator();
  changed.Insert(0, this_element());
}

// The lines of a bracketed group, cut as code.
c_array<wstring, wstring> group_lines(interpreter& in, const wstring& group) { return in.CodeLines(group); }

// Runs the lines of one statement: the constructs that steer the block,
// the alternatives of an expression, the player-command fallback.
class statement {
 public:
  statement(interpreter& in, context& ctx, bool action, int& line_index, block& owner)
      : in_(in), ctx_(ctx), action_(action), index_(line_index), owner_(owner) {}

  value Run(wstring text, bool else_allowed) {
    text.Trim();
    if (starts_with_word(text, u"debug")) {
      text = text.Mid(5, wstring::text_end);
      text.Trim();
    }
    if (text.IsEmpty()) return value();
    in_.Host().SetCurrentLine(text);
    if (text[0] == u'%') return action_ ? Output(text) : value();
    if (text[0] == u'{') return action_ ? in_.RunSource(text, ctx_) : value();
    lxms expression = in_.Code().Expression(text);
    if (expression.Alternative(0).Count() == 0) return value();
    if (IsDeclaration(expression.Alternative(0))) return Declaration(expression);
    // The first pass only declares.
    if (ctx_.World()->declaration_pass == 1) return value();
    if (own_object(ctx_))
      for (int i = 0; i < expression.Count(); ++i) insert_this(expression, i);
    return RunAlternatives(expression, text, else_allowed);
  }

 private:
  // Refused before anything is declared; a line passed over declares
  // nothing.
  value Declaration(const lxms& expression) {
    if (expression.Count() > 1) throw u"при создании объектов и функций альтернативные конструкции недопустимы!";
    value declared;
    if (action_) ObjConstruct(in_, ctx_, expression.Alternative(0), declared);
    return declared;
  }

  value Output(const wstring& text) {
    bool bare = text.Length() > 1 && text[1] == u'%';
    wstring out = bare ? wstring() : wstring(u"\n") + SpeakerPrefix().Text();
    out += Computed(text.Mid(bare ? 2 : 1, wstring::text_end));
    in_.Host().Print(out);
    return value::Keyword(kw::result_ok);
  }

  // "Name: " of the character speaking in this code, if any.
  wstring SpeakerPrefix() {
    object* speaker = ctx_.World()->FindById(ctx_.characters[1]);
    if (!speaker) return wstring();
    wstring prefix = speaker->Name();
    prefix += u": ";
    return prefix;
  }

  wstring Computed(const wstring& text) { return in_.ComputedText(text, ctx_); }

  value RunAlternatives(lxms& expression, const wstring& text, bool else_allowed) {
    bool single = expression.Count() == 1;
    while (expression.Next()) {
      const lxms_line& line = expression.Line();
      value result;
      if (RunConstruct(line, else_allowed, result)) return result;
      if (!action_) return value();
      if (!EvaluateLine(in_, ctx_, line, true, result)) continue;
      if (single || !is_result(result, kw::result_fail)) return result;
    }
    return PlayerCommand(text);
  }

  value PlayerCommand(const wstring& text) {
    value answer;
    if (!in_.Host().ExecuteCommand(ctx_, text, answer)) {
      wstring message(u"строка не распознана как код, а команды игрока здесь не разбираются: ");
      message += text;
      throw message;
    }
    bool missing_form;
    if (is_result(answer, kw::result_unclear)) throw answer.ToString(ctx_.World(), &ctx_, nullptr, 0, missing_form);
    return answer;
  }

  // The statement words; false when the line starts with none of them.
  bool RunConstruct(const lxms_line& line, bool else_allowed, value& result) {
    if (line.Count() == 0) return false;
    switch (line[0].keyword) {
      case kw::st_if:
        result = If(line);
        return true;
      case kw::st_for:
        result = For(line);
        return true;
      case kw::st_switch:
        result = Switch(line);
        return true;
      case kw::st_case:
        result = Case(line);
        return true;
      case kw::st_else:
        if (!else_allowed) throw u"else без if()!";
        result = Body(line[0].Rest(), action_);
        return true;
      case kw::st_break:
        result = Stop(line, context::stop_break, u"Break - неожиданное продолжение!");
        return true;
      case kw::st_continue:
        result = Stop(line, context::stop_continue, u"Continue - неожиданное продолжение!");
        return true;
      case kw::st_return:
        if (line.Count() > 1) return false;
        result = Stop(line, context::stop_return, nullptr);
        return true;
      default:
        return false;
    }
  }

  value Stop(const lxms_line& line, context::stop_signal signal, const char16_t* trailing_message) {
    if (line.Count() > 1) throw trailing_message;
    if (action_) ctx_.state = signal;
    return value::Keyword(kw::result_ok);
  }

  // The bracketed arguments of a construct.
  static const lxms_data& Arguments(const lxms_line& line) {
    if (line.Count() < 2 || line[1].cls != u'(') throw u"ожидались скобки ()!";
    return line[1];
  }

  // The body after the arguments, else the next line of the block.
  wstring TakeBody(const lxms_line& line) {
    wstring body = Arguments(line).Rest();
    if (!body.IsEmpty()) return body;
    const c_array<wstring, wstring>& lines = owner_.Lines();
    if (index_ + 1 >= lines.Count()) throw u"ожидалось продолжение конструкции!";
    return lines[++index_];
  }

  value Body(const wstring& body, bool action) { return RunStatement(in_, ctx_, body, false, action, index_, owner_); }

  value If(const lxms_line& line) {
    const wstring& group = Arguments(line).text;
    const wstring condition = group.Mid(1, group.Length() - 2);
    const wstring body = TakeBody(line);
    truth t = action_ ? Condition(condition) : truth::open;
    value taken = Body(body, action_ && t == truth::holds);
    value otherwise;
    const c_array<wstring, wstring>& lines = owner_.Lines();
    if (index_ + 1 < lines.Count() && is_else_line(lines[index_ + 1])) {
      wstring else_line = lines[++index_];
      otherwise = RunStatement(in_, ctx_, else_line, true, action_ && t == truth::fails, index_, owner_);
    }
    if (!action_) return value();
    if (t == truth::holds) return taken;
    if (t == truth::fails) return otherwise;
    return value::String(u"конструкция if-else не выполнена");
  }

  truth Condition(const wstring& group) {
    value v;
    if (EvaluateText(in_, ctx_, group, v)) return truth_of(v);
    if (in_.Host().StrictErrors()) throw condition_error;
    // The condition's value is then the error's text: neither true nor false.
    return truth::open;
  }

  value For(const lxms_line& line) {
    c_array<wstring, wstring> parts = group_lines(in_, Arguments(line).text);
    if (parts.Count() != 3) throw u"ошибка в аргументах цикла";
    const wstring body = TakeBody(line);
    if (!action_) return Body(body, false);
    int body_line = index_;
    Perform(parts[0], u"синтаксическая ошибка в инициализации цикла");
    for (int pass = 0;; ++pass) {
      value condition;
      if (!EvaluateText(in_, ctx_, parts[1], condition)) throw u"синтаксическая ошибка в условии цикла";
      if (truth_of(condition) != truth::holds) {
        if (pass == 0) Body(body, false);
        return value();
      }
      index_ = body_line;
      value result = Body(body, true);
      if (ctx_.state == context::stop_break || ctx_.state == context::stop_continue) {
        bool broken = ctx_.state == context::stop_break;
        ctx_.state = context::stop_none;
        if (broken) return value();
      } else if (ctx_.state != context::stop_none) {
        return result;
      }
      if (pass == max_loop_passes) throw u"превышен лимит в 1000 повторов!";
      Perform(parts[2], u"синтаксическая ошибка в прибавлении цикла");
    }
  }

  // Runs an expression as a statement; uncomputable raises message.
  void Perform(const wstring& text, const char16_t* message) {
    lxms expression = in_.Code().Expression(text);
    value ignored;
    while (expression.Next())
      if (EvaluateLine(in_, ctx_, expression.Line(), true, ignored)) return;
    throw message;
  }

  value Switch(const lxms_line& line) {
    const wstring& group = Arguments(line).text;
    if (!action_) return value();
    c_array<wstring, wstring> arguments = group_lines(in_, group);
    if (arguments.Count() == 0) throw u"не указаны аргументы switch()!";
    ctx_.switch_values.Clear();
    for (const wstring& argument : arguments) {
      value v;
      if (!EvaluateText(in_, ctx_, argument, v)) throw u"синтаксическая ошибка в аргументах switch()";
      ctx_.switch_values.Insert(ctx_.switch_values.Count(), v);
    }
    return value::Result(kw::result_ok, u"установлен переключатель");
  }

  value Case(const lxms_line& line) {
    const wstring group = Arguments(line).text;
    const wstring body = TakeBody(line);
    bool run = action_ && ctx_.switch_values.Count() > 0 && CaseMatches(group);
    if (run) ctx_.switch_values.Clear();
    return Body(body, run);
  }

  bool CaseMatches(const wstring& group) {
    c_array<wstring, wstring> arguments = group_lines(in_, group);
    if (arguments.Count() > ctx_.switch_values.Count()) throw u"аргументов в case() больше чем в switch()!";
    for (int i = 0; i < arguments.Count(); ++i)
      if (!ArgumentMatches(arguments[i], ctx_.switch_values[i])) return false;
    return true;
  }

  bool ArgumentMatches(const wstring& argument, const value& switched) {
    const lxms expression = in_.Code().Expression(argument);
    const lxms_line& first = expression.Alternative(0);
    if (expression.Count() == 1 && first.Count() == 1 && first[0].keyword == kw::prp_any) return true;
    value v;
    if (!EvaluateText(in_, ctx_, argument, v)) throw u"синтаксическая ошибка в аргументах case()";
    if (v.IsNull() || switched.IsNull()) return true;
    value same;
    if (!Operation(same, switched, v, u"CMP", false, ctx_)) throw u"синтаксическая ошибка в аргументах case()";
    return truth_of(same) == truth::holds;
  }

  interpreter& in_;
  context& ctx_;
  bool action_;
  int& index_;
  block& owner_;
};

// The service statements: run, include, in and out of the game, host
// functions; false when the line is none of them.
class service_statement {
 public:
  service_statement(interpreter& in, context& ctx, const lxms_line& line) : in_(in), ctx_(ctx), line_(line) {}

  bool Run(value& result) {
    if (line_.Count() >= 2 && word_is(line_[0], u"run")) return RunGame(result);
    if (line_.Count() >= 2 && word_is(line_[0], u"include")) {
      ctx_.Include(unquoted_rest(line_[0]));
      result = value::Keyword(kw::result_ok);
      return true;
    }
    if (IsGameSwitch(u"в", u"inside", u"игре")) return SwitchGame(true, u"вы в игре.", result);
    if (IsGameSwitch(u"вне", u"outside", u"игры")) return SwitchGame(false, u"вы вне игры.", result);
    return HostFunction(result);
  }

 private:
  static wstring unquoted_rest(const lxms_data& e) {
    wstring rest = e.Rest();
    if (rest.Length() >= 2 && rest[0] == u'"' && rest[rest.Length() - 1] == u'"')
      rest = rest.Mid(1, rest.Length() - 2);
    return rest;
  }

  bool RunGame(value& result) {
    const wstring name = unquoted_rest(line_[0]);
    check_game_file_name(name);
    in_.Host().SetPendingRun(ctx_.World()->Directory() + name.Text());
    ctx_.state = context::stop_run;
    result = value::Keyword(kw::result_ok);
    return true;
  }

  bool IsGameSwitch(const char16_t* russian, const char16_t* english, const char16_t* russian_game) const {
    return line_.Count() == 2 && (word_is(line_[0], russian) || word_is(line_[0], english)) &&
           (word_is(line_[1], russian_game) || word_is(line_[1], u"game"));
  }

  bool SwitchGame(bool in_game, const char16_t* answer, value& result) {
    in_.Host().SetInGame(in_game);
    result = value::String(answer);
    return true;
  }

  // The longest name of leading words that the host has registered.
  bool HostFunction(value& result) {
    int words = 0;
    while (words < line_.Count() && words < max_host_name_words && line_[words].cls == u'L') ++words;
    for (int n = words; n >= 1; --n) {
      if (line_.Count() - n > max_host_arguments) break;
      if (CallHost(n, result)) return true;
    }
    return false;
  }

  bool CallHost(int name_words, value& result) {
    wstring name = with_lower_first(line_[0].text);
    for (int i = 1; i < name_words; ++i) {
      name += u' ';
      name += line_[i].text;
    }
    wstring arguments[max_host_arguments];
    for (int i = name_words; i < line_.Count(); ++i) arguments[i - name_words] = unquoted(line_[i]);
    wstring answer;
    if (!in_.Host().CallHostFunction(name, arguments[0], arguments[1], answer)) return false;
    result = value::String(answer);
    return true;
  }

  interpreter& in_;
  context& ctx_;
  const lxms_line& line_;
};

// "inside", "outside" or "part" alone, in an entity's code: how the entity
// is held by its place.
bool hold_in_place(context& ctx, const lxms_line& line, value& result) {
  if (line.Count() != 1) return false;
  int code = line[0].keyword;
  if (code != kw::rel_inside && code != kw::rel_outside && code != kw::rel_part) return false;
  object* entity = own_object(ctx);
  if (!entity || !entity->Parent()) return false;
  if (entity->Type() != kw::type_object && entity->Type() != kw::type_location) return false;
  const char16_t manner = code == kw::rel_inside ? u'I' : (code == kw::rel_outside ? u'O' : u'P');
  entity->MoveTo(entity->Parent(), manner);
  result = value::Keyword(kw::result_ok);
  return true;
}

// The attributes a value names: itself, or the elements of an and-list;
// empty when anything else is among them.
c_array<object*, object*> named_attributes(const value& v) {
  c_array<object*, object*> attributes;
  auto take = [&](const value& item) {
    bool live = item.Type() == kw::type_attribute && item.GetEntity();
    if (live) attributes.Insert(attributes.Count(), item.GetEntity());
    return live;
  };
  if (v.Type() == kw::type_and_list) {
    for (const value& item : v.Items())
      if (!take(item)) return c_array<object*, object*>();
  } else {
    take(v);
  }
  return attributes;
}

// An attribute standing alone sets it on the code's entity, or tests it in
// a condition.
void apply_attributes(context& ctx, bool action, value& result) {
  object* holder = own_object(ctx);
  if (!holder) return;
  c_array<object*, object*> attributes = named_attributes(result);
  if (attributes.Count() == 0) return;
  if (!action) {
    value tested;
    if (Operation(tested, entity_value(holder), result, u".", false, ctx)) result = tested;
    return;
  }
  for (object* attribute : attributes) holder->SetVariable(attribute->Name(), value::Keyword(kw::result_yes), false, true);
  result = value::Result(kw::result_ok, attributes.Count() > 1 ? u"установлены признаки" : u"установлен признак");
}

}  // namespace

truth truth_of(const value& v) {
  switch (v.Type()) {
    case kw::type_bool:
      if (v.Code() == kw::result_yes || v.Code() == kw::result_ok) return truth::holds;
      if (v.Code() == kw::result_no || v.Code() == kw::result_fail || v.Code() == kw::result_illegal)
        return truth::fails;
      return truth::open;
    case kw::type_number:
      return v.GetNumber() ? truth::holds : truth::fails;
    case kw::type_string:
      return truth::open;
    default:
      return v.IsNull() ? truth::fails : truth::holds;
  }
}

bool is_name_char(char16_t c) {
  return lower_case(c) != upper_case(c) || (c >= u'0' && c <= u'9') ||
         std::u16string_view(u"#$:@_`").find(c) != std::u16string_view::npos;
}

value RunStatement(interpreter& in, context& ctx, const wstring& line, bool else_allowed, bool action,
                   int& line_index, block& owner) {
  interpreter::depth_guard level(in);
  return statement(in, ctx, action, line_index, owner).Run(line, else_allowed);
}

bool EvaluateLine(interpreter& in, context& ctx, const lxms_line& line, bool action, value& result) {
  if (service_statement(in, ctx, line).Run(result)) return true;
  if (hold_in_place(ctx, line, result)) return true;
  if (!Calc(in, ctx, line, action, result)) return false;
  apply_attributes(ctx, action, result);
  return true;
}

bool EvaluateText(interpreter& in, context& ctx, const wstring& text, value& result) {
  interpreter::depth_guard level(in);
  lxms expression = in.Code().Expression(text);
  bool single = expression.Count() == 1;
  while (expression.Next()) {
    if (!EvaluateLine(in, ctx, expression.Line(), false, result)) continue;
    if (single || !is_result(result, kw::result_fail)) return true;
  }
  return false;
}
