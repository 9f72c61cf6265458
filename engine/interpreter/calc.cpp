#include "calc.h"

#include "code_places.h"
#include "context.h"
#include "interpreter.h"
#include "keyword_table.h"
#include "location.h"
#include "operation.h"
#include "property_read.h"
#include "random_source.h"
#include "statements.h"
#include "world.h"

namespace {

// Dice beyond this many would stall the worker for one roll.
constexpr int max_dice = 10000;

// An entry of the operator stack of the postfix conversion.
struct oper {
  lxms_data element;
  int priority = 0;
};

int priority_of(char16_t code) {
  switch (code) {
    case u'.':
      return 10;
    case u'A':
    case u'o':
    case u'#':
      return 9;
    case u'!':
    case u'm':
    case u'~':
      return 8;
    case u'*':
    case u'/':
      return 7;
    case u'$':
      return 6;
    case u'+':
    case u'-':
      return 5;
    case u'<':
    case u'>':
    case u'C':
    case u'i':
    case u'l':
    case u'a':
    case u'b':
    case u'n':
    case u's':
    case u'e':
    case u'w':
    case u'I':
    case u'O':
    case u'P':
      return 4;
    case u'&':
      return 3;
    case u',':
    case u'd':
    case u'p':
    case u't':
    case u'v':
      return 2;
    case u'=':
    case u'c':
    case u'g':
    case u'r':
      return 1;
    default:
      return 0;
  }
}

bool is_operator(const lxms_data& e) { return e.cls == u'+' || e.cls == u'-'; }
bool is_assignment(const lxms_data& e) { return e.cls == u'+' && e.text.Length() > 0 && e.text[0] == u'='; }
bool is_dot(const lxms_data& e) { return e.cls == u'+' && e.text == u"."; }

// Keys written right after an operand, as a key ("п #Вп") or a bracketed
// expression giving one, ask for the operand's text in that form: an
// operator with no sign of its own stands between them.
bool takes_form(const lxms_data* previous, const lxms_data& e) {
  return previous && (e.cls == u'#' || e.cls == u'(') && !is_operator(*previous) && previous->cls != u',';
}

lxms_data form_operator() {
  lxms_data form;
  form.cls = u'+';
  form.text = u"#";
  return form;
}
// The declaring prefix operators var, prp and tmp.
bool is_declaration(const lxms_data& e) {
  return e.cls == u'-' && (e.keyword == kw::st_var || e.keyword == kw::st_prp || e.keyword == kw::st_tmp);
}

wstring without_brackets(const wstring& group) { return group.Mid(1, group.Length() - 2); }

wstring joined(const char16_t* head, const wstring& middle, const char16_t* tail) {
  wstring text(head);
  text += middle;
  text += tail;
  return text;
}

// The sum of N rolls of an M-sided die for a term "NdM".
int32_t roll_dice(const wstring& term) {
  int split = term.FindAny(u"dD");
  int count = term.ToInt(0, split);
  int sides = term.ToInt(split + 1);
  if (count > max_dice) throw u"слишком много костей в броске!";
  int32_t sum = 0;
  for (int i = 0; i < count && sides > 0; ++i) sum += int32_t(random_source::Next() % uint32_t(sides)) + 1;
  return sum;
}

// Where an assignment puts its value: a name, a special property or a word
// form, of the current context or of the value left of ".".
struct assignment_target {
  bool has_holder = false;
  value holder;
  wstring name;
  int property = -1;
  wstring form_key;
  char16_t declaration = 0;  // 'v', 'p' or 't' after var, prp or tmp
};

class calculation {
 public:
  calculation(interpreter& in, context& ctx, bool action) : in_(in), ctx_(ctx), home_(*ctx.World()), action_(action) {}

  bool Run(const lxms_line& line, value& result) {
    if (!ToPostfix(line)) return false;
    whole_line_ = line.Count();
    for (int i = 0; i < postfix_.Count(); ++i)
      if (!Step(i)) return false;
    // Operands left over without an operator joining them make no
    // expression (a player's command, perhaps).
    if (stack_.Count() != 1) return false;
    result = stack_[0];
    return true;
  }

 private:
  bool ToPostfix(const lxms_line& line) {
    c_array<oper, oper> stacked;
    const lxms_data* previous = nullptr;
    const lxms_data form = form_operator();
    for (const lxms_data& e : line) {
      bool keys_for_previous = takes_form(previous, e);
      previous = &e;
      if (keys_for_previous) Stack(form, stacked);
      if (!is_operator(e)) {
        postfix_.Insert(postfix_.Count(), e);
        continue;
      }
      if (e.text.IsEmpty() || e.text[0] < 0x21 || e.text[0] > 0x7E) throw u"!Calc() - invalid operator key!";
      if (is_assignment(e) && assignment_ >= 0) return false;
      Stack(e, stacked);
    }
    for (int i = stacked.Count() - 1; i >= 0; --i) postfix_.Insert(postfix_.Count(), stacked[i].element);
    MarkTargetName();
    return true;
  }

  // Moves the stacked operators that bind at least as tightly as e to the
  // postfix line, then stacks e.
  void Stack(const lxms_data& e, c_array<oper, oper>& stacked) {
    oper entry{e, priority_of(e.text[0])};
    while (stacked.Count() > 0 && stacked[stacked.Count() - 1].priority >= entry.priority) {
      postfix_.Insert(postfix_.Count(), stacked[stacked.Count() - 1].element);
      stacked.Delete(stacked.Count() - 1);
    }
    if (is_assignment(e)) assignment_ = postfix_.Count();
    stacked.Insert(stacked.Count(), entry);
  }

  // The element naming what is assigned: the last one before "=", or the
  // one before the "." or the declaring operator that ends the target.
  void MarkTargetName() {
    if (assignment_ <= 0) return;
    int last = assignment_ - 1;
    const lxms_data& e = postfix_[last];
    if (is_dot(e) || is_declaration(e))
      target_name_ = last - 1;
    else if (!is_operator(e))
      target_name_ = last;
  }

  bool Step(int i) {
    const lxms_data& e = postfix_[i];
    if (i < assignment_) return TargetStep(i);
    if (is_assignment(e)) return Assign(e.text);
    return ValueStep(i);
  }

  bool TargetStep(int i) {
    const lxms_data& e = postfix_[i];
    if (i == target_name_) return TakeTargetName(e);
    bool last = i == assignment_ - 1;
    if (e.cls == u'-' && !is_declaration(e)) throw u"недопустимый оператор слева от присвоения!";
    if (last && is_declaration(e)) {
      target_.declaration = e.text[0];
      return true;
    }
    if (last && e.cls == u'+') {
      if (!is_dot(e)) throw u"недопустимый оператор слева от присвоения!";
      if (stack_.Count() == 0) return false;
      target_.has_holder = true;
      target_.holder = Pop();
      return true;
    }
    return ValueStep(i);
  }

  bool TakeTargetName(const lxms_data& e) {
    switch (e.cls) {
      case u'L':
        target_.name = e.text;
        return true;
      case u'#':
        target_.form_key = e.text;
        return true;
      case u'k':
      case u'b':
        target_.property = e.keyword;
        return true;
      default:
        return false;
    }
  }

  bool ValueStep(int i) {
    const lxms_data& e = postfix_[i];
    switch (e.cls) {
      case u'"':
        return Push(value::String(without_brackets(e.text)));
      case u'#':
        return Push(value::String(e.text));
      case u'$':
        return Push(entity_value(home_.GetObjectByName(e.text, false)));
      case u'@':
        return ClassReference(i);
      case u'(':
        return Bracketed(e);
      case u'[':
        return Indexed(e);
      case u'D':
        return Push(value::Number(roll_dice(e.text)));
      case u'N':
        return Push(value::Number(e.text.ToInt()));
      case u'L':
        return Push(FollowedByNameTaker(i) ? value::String(e.text) : ResolveName(e.text));
      case u'b':
        return Push(value::Keyword(e.keyword));
      case u'k':
        return Push(FollowedByNameTaker(i) ? value::Keyword(e.keyword) : Keyword(e.keyword));
      case u'+':
        return Binary(e.text);
      case u'-':
        return Prefix(e.text);
      default:
        throw u"ошибка синтаксиса в выражении!";
    }
  }

  // A "." or a declaring operator takes the name itself, not its value.
  bool FollowedByNameTaker(int i) const {
    if (i + 1 >= postfix_.Count()) return false;
    const lxms_data& next = postfix_[i + 1];
    return is_dot(next) || is_declaration(next);
  }

  bool ClassReference(int i) {
    object* cls = home_.GetObjectByName(postfix_[i].text, false);
    value reference = entity_value(cls);
    if (i > 0 && postfix_[i - 1].cls == u'N' && stack_.Count() > 0) {
      // A counted quantity: the number names what it counts.
      stack_[stack_.Count() - 1].SetAssociated(cls);
      return true;
    }
    if (whole_line_ == 1 && cls)
      if (object* holder = own_object(ctx_)) holder->SetClass(reference);
    return Push(reference);
  }

  bool Bracketed(const lxms_data& e) {
    value inner;
    if (!EvaluateText(in_, ctx_, without_brackets(e.text), inner)) return false;
    return Push(inner);
  }

  bool Indexed(const lxms_data& e) {
    if (stack_.Count() == 0) throw u"ожидалось значение перед скобками[]";
    value index;
    if (!EvaluateText(in_, ctx_, without_brackets(e.text), index)) return false;
    value indexed;
    if (!Operation(indexed, stack_[stack_.Count() - 1], index, u"[", action_, ctx_)) return false;
    stack_[stack_.Count() - 1] = indexed;
    return true;
  }

  // A variable of the running code, else a property of its entity, else an
  // entity of the world; a name of an attribute is that attribute.
  value ResolveName(const wstring& name) {
    const wstring normalised = context::NormalisedName(name);
    object* named = home_.FindObject(normalised);
    if (named && named->Type() == kw::type_attribute) return entity_value(named);
    value found;
    if (ReadVariable(normalised, found)) return found;
    if (object* holder = own_object(ctx_))
      if (read_property(entity_value(holder), ctx_, name, wstring(), found)) return found;
    // Quietly: a line of words no name fits may be a player's command.
    return entity_value(home_.GetObjectByName(name, true));
  }

  // The chain of running code up to the world; entities on the way keep
  // properties, which are read as such.
  bool ReadVariable(const wstring& normalised, value& found) {
    context* c = &ctx_;
    for (int step = 0; c && step < context::max_enclosing_steps; ++step, c = c->Parent())
      if (!c->IsEntity() && c->GetVariable(normalised, found, &ctx_)) return true;
    return false;
  }

  value Keyword(int code) {
    switch (code) {
      case kw::name_pers:
        return entity_value(home_, home_.player);
      case kw::name_actor:
      case kw::name_speaker:
      case kw::name_addressee:
        return entity_value(home_, ctx_.characters[code - kw::name_actor]);
      case kw::type_location:
        return entity_value(current_location(ctx_));
      case kw::name_this:
        return entity_value(own_object(ctx_));
      case kw::name_exits:
        return Exits();
      default:
        return PropertyOrKeyword(code);
    }
  }

  value Exits() {
    value targets;
    location* here = current_location(ctx_);
    if (!here) return targets;
    for (int d = kw::dir_up; d <= kw::dir_southwest; ++d) {
      value target = here->GetExit(d);
      if (target.Type() == kw::type_location) targets.AddToList(kw::type_and_list, target, false);
    }
    return targets;
  }

  value PropertyOrKeyword(int code) {
    value keyword = value::Keyword(code);
    object* holder = own_object(ctx_);
    value property;
    if (holder && Operation(property, entity_value(holder), keyword, u".", action_, ctx_)) return property;
    return keyword;
  }

  bool Binary(const wstring& code) {
    if (stack_.Count() < 2) return false;
    value right = Pop();
    value left = Pop();
    value result;
    if (!Operation(result, left, right, code, action_, ctx_)) return false;
    return Push(result);
  }

  bool Prefix(const wstring& code) {
    if (stack_.Count() == 0) return false;
    return PrefixOperation(ctx_, stack_[stack_.Count() - 1], code);
  }

  bool Assign(const wstring& code) {
    if (!action_) throw u"присвоение внутри условия или в вычисляемой строке!";
    bool has_right = code != u"=p" && code != u"=m";
    if (has_right && stack_.Count() == 0) return false;
    value assigned = has_right ? Pop() : value::Number(1);
    if (code.Length() > 1 && !Compound(code[1], assigned)) return false;
    return Push(Store(assigned));
  }

  // x += y and the like: the target's value combined with the right side;
  // ++ and -- add and subtract one.
  bool Compound(char16_t op, value& assigned) {
    value current;
    if (!ReadTarget(current)) return false;
    char16_t binary = op == u'p' ? u'+' : (op == u'm' ? u'-' : op);
    const char16_t code[2] = {binary, 0};
    value combined;
    if (!Operation(combined, current, assigned, code, action_, ctx_)) return false;
    assigned = combined;
    return true;
  }

  bool ReadTarget(value& current) {
    if (!target_.form_key.IsEmpty()) return false;
    if (target_.property >= 0) {
      value holder = target_.has_holder ? target_.holder : entity_value(own_object(ctx_));
      return Operation(current, holder, value::Keyword(target_.property), u".", action_, ctx_);
    }
    if (target_.has_holder) return Operation(current, target_.holder, value::String(target_.name), u".", action_, ctx_);
    current = ResolveName(target_.name);
    return true;
  }

  value Store(const value& v) {
    if (!target_.form_key.IsEmpty()) return StoreForm(v);
    if (target_.property >= 0) return StoreSpecial(target_.property, v);
    if (target_.name.IsEmpty()) throw u"не указано имя переменной для присвоения!";
    if (target_.has_holder) return StoreProperty(v);
    DeclaringContext().SetVariable(target_.name, v, target_.declaration != 0, true);
    if (target_.declaration == u't') MarkTemporary(DeclaringContext());
    return v;
  }

  // var declares in the running code, prp and tmp on its entity.
  context& DeclaringContext() {
    if (target_.declaration == u'p' || target_.declaration == u't')
      if (object* holder = own_object(ctx_)) return *holder;
    return ctx_;
  }

  void MarkTemporary(context& holder) {
    if (variable* declared = holder.FindVariable(context::NormalisedName(target_.name))) declared->is_temporary = true;
  }

  value StoreProperty(const value& v) {
    const value& holder = target_.holder;
    if (!holder.IsEntity() || holder.Type() > kw::type_word) throw u"изменяемое свойство только для чтения!";
    object* entity = holder.GetEntity();
    if (!entity) throw u"не указан контекст переменной для присвоения!";
    entity->SetVariable(target_.name, v, target_.declaration != 0, true);
    return v;
  }

  value StoreForm(const value& v) {
    value holder = target_.has_holder ? target_.holder : entity_value(own_object(ctx_));
    if (holder.IsNull()) throw u"Calc(): invalid VarCtx!";
    if (!holder.IsEntity()) throw u"Только объектные типы могут иметь словоформы";
    object* entity = holder.GetEntity();
    if (!entity) throw u"Calc(): invalid VarCtx!";
    if (v.Type() != kw::type_string) throw u"словоформа может быть только строкой";
    entity->AddForm(target_.form_key, v.Text());
    return v;
  }

  value StoreSpecial(int property, const value& v) {
    if (property == kw::name_pers) return StorePlayer(v);
    if (property >= kw::name_actor && property <= kw::name_addressee) return StoreRole(property - kw::name_actor, v);
    value holder = target_.has_holder ? target_.holder : entity_value(own_object(ctx_));
    if (!holder.IsEntity() || !holder.GetEntity()) throw u"спецсвойство должно принадлежать объекту!";
    object& entity = *holder.GetEntity();
    if (kw::is_direction(property)) return StoreExit(entity, property, v);
    switch (property) {
      case kw::prp_key:
        entity.own_keys = KeyText(v, true);
        return v;
      case kw::prp_defkey:
        entity.default_key = KeyText(v, false);
        return v;
      case kw::prp_opened:
        entity.opened = truth_of(v) == truth::holds;
        return v;
      case kw::prp_transparent:
        entity.transparent = truth_of(v) == truth::holds;
        return v;
      case kw::name_synonym:
        AddSynonym(entity, v);
        return v;
      default:
        throw joined(u"свойство \"", kw::at(property).russian, u"\" только для чтения!");
    }
  }

  value StorePlayer(const value& v) {
    if (v.Type() != kw::type_object || !v.GetEntity())
      throw joined(u"ожидался объект а не ", kw::at(v.Type()).russian, u"");
    home_.player = v.GetEntity()->Id();
    return value::Result(kw::result_ok, u"смена персонажа");
  }

  value StoreRole(int role, const value& v) {
    if (v.IsNull()) {
      ctx_.characters[role] = 0;
      return v;
    }
    if (!v.IsEntity() || !v.GetEntity()) throw u"для роли речевого акта ожидался объект!";
    ctx_.characters[role] = v.GetEntity()->Id();
    return v;
  }

  // The text of a key value, without the "#" a key is written with.
  static wstring KeyText(const value& v, bool must_be_key) {
    if (v.Type() != kw::type_string) throw u"значение ключа должно быть строкой!";
    const wstring& text = v.Text();
    bool is_key = text.Length() > 0 && text[0] == u'#';
    if (must_be_key && !is_key) throw u"значение ключа должно быть ключём!";
    return is_key ? text.Mid(1, wstring::text_end) : text;
  }

  void AddSynonym(object& entity, const value& v) {
    if (entity.Type() == kw::type_word || entity.Type() == kw::type_preposition)
      throw u"слова и предлоги не имеют синонимов!";
    wstring name;
    if (v.Type() == kw::type_object && v.GetEntity())
      name = v.GetEntity()->Name();
    else if (v.Type() == kw::type_string)
      name = v.Text();
    else
      throw u"ожидался объект или строка!";
    if (name.IsEmpty()) return;
    name = lower_first(name);
    object* word = home_.FindWord(context::NormalisedName(name));
    if (!word) word = home_.Create(&home_, kw::type_word, true, name);
    for (int32_t id : entity.linked_words)
      if (id == word->Id()) return;
    entity.linked_words.Insert(entity.linked_words.Count(), word->Id());
  }

  static wstring lower_first(const wstring& text) {
    wstring first = text.Left(1);
    first.ToLower();
    first += text.Mid(1, wstring::text_end);
    return first;
  }

  value StoreExit(object& entity, int direction, const value& v) {
    location* place = dynamic_cast<location*>(&entity);
    if (!place) throw u"ожидалась локация!";
    location::exit_slot& slot = place->Exit(direction);
    if (v.IsNull()) {
      slot = location::exit_slot();
    } else if (v.Type() == kw::type_bool && v.Code() == kw::result_fail) {
      if (v.Text().IsEmpty()) throw u"нет описания ошибки для направления!";
      slot.blocked_text = v.Text();
    } else if (v.Type() == kw::type_string) {
      slot.text = v.Text();
    } else if (v.Type() == kw::type_location && v.GetEntity()) {
      slot.target = v.GetEntity()->Id();
    } else {
      throw u"тип данных не подходит для направления";
    }
    return value::Result(kw::result_ok, u"присвоение направления");
  }

  bool Push(const value& v) {
    stack_.Insert(stack_.Count(), v);
    return true;
  }

  value Pop() {
    value top = std::move(stack_[stack_.Count() - 1]);
    stack_.Delete(stack_.Count() - 1);
    return top;
  }

  interpreter& in_;
  context& ctx_;
  world& home_;
  bool action_;
  lxms_line postfix_;
  int assignment_ = -1;
  int target_name_ = -1;
  int whole_line_ = 0;
  assignment_target target_;
  c_array<value, value> stack_;
};

}  // namespace

bool Calc(interpreter& in, context& ctx, const lxms_line& line, bool action, value& result) {
  interpreter::depth_guard level(in);
  return calculation(in, ctx, action).Run(line, result);
}
