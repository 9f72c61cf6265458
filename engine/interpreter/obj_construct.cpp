#include "obj_construct.h"

#include "code_places.h"
#include "context.h"
#include "interpreter.h"
#include "keyword_table.h"
#include "obj_word.h"
#include "statements.h"
#include "world.h"

namespace {

const char16_t* const syntax_error = u"ошибка синтаксиса!";
const char16_t* const redefinition = u"переопределение типа объекта!";
const char16_t* const constructor_error = u"ошибка синтаксиса в конструкторе объекта!";

// The shapes of a thing's declaration.
enum class thing_form { none, object, cls, word, typed };

bool is_function_kind(const lxms_data& e) {
  return e.cls == u'k' && e.keyword >= kw::fn_expression && e.keyword <= kw::fn_fact;
}

bool is_type_keyword(const lxms_data& e) {
  return e.cls == u'k' && e.keyword >= kw::type_object && e.keyword <= kw::type_preposition;
}

wstring inner(const lxms_data& group) { return group.text.Mid(1, group.text.Length() - 2); }

thing_form thing_form_of(const lxms_line& line) {
  if (line.Count() < 2 || line[-1].cls != u'{') return thing_form::none;
  if (line.Count() == 2) {
    switch (line[0].cls) {
      case u'L':
        return thing_form::object;
      case u'@':
        return thing_form::cls;
      case u'$':
        return thing_form::word;
      default:
        return thing_form::none;
    }
  }
  bool named = line[1].cls == u'L' || line[1].cls == u'(';
  return line.Count() == 3 && is_type_keyword(line[0]) && named ? thing_form::typed : thing_form::none;
}

// A pattern, "=", the same kind again and the other pattern: a synonym.
bool is_synonym_shape(const lxms_line& line) {
  return line[1].cls == u'(' && line[2].cls == u'+' && line[2].text == u"=" && is_function_kind(line[3]) &&
         line[3].keyword == line[0].keyword && line[4].cls == u'(';
}

// The first pass declares functions with bodies, the second their synonyms.
value declare_function(world& home, const lxms_line& line) {
  const int kind = line[0].keyword;
  value answer;
  if (line.Count() == 3) {
    if (line[1].cls != u'(' || line[2].cls != u'{') throw syntax_error;
    if (home.declaration_pass == 2) return answer;
    const wstring body = inner(line[2]);
    home.functions.NewFn(kind, inner(line[1]), wstring(), answer, &body);
    return answer;
  }
  if (line.Count() != 5 || !is_synonym_shape(line)) throw syntax_error;
  if (home.declaration_pass == 1) return answer;
  home.functions.NewFn(kind, inner(line[1]), inner(line[4]), answer);
  return answer;
}

// The name as written, or computed from a bracketed expression; without a
// leading "@" or "$".
wstring thing_name(interpreter& in, context& ctx, const lxms_data& e) {
  wstring name = e.text;
  if (e.cls == u'(') {
    value computed;
    if (!EvaluateText(in, ctx, inner(e), computed)) throw u"ошибка синтаксиса внутри вычисляемого имени объекта!";
    if (computed.Type() != kw::type_string) throw u"вычисленное имя объекта должно быть строкой!";
    name = computed.Text();
  }
  if (!name.IsEmpty() && (name[0] == u'@' || name[0] == u'$')) name = name.Mid(1, wstring::text_end);
  if (name.IsEmpty()) throw u"ObjConstruct(): invalid Obj";
  return name;
}

int declared_type(thing_form form, const lxms_line& line) {
  switch (form) {
    case thing_form::cls:
      return kw::type_class;
    case thing_form::word:
      return kw::type_word;
    case thing_form::typed:
      return line[0].keyword;
    default:
      return kw::type_object;
  }
}

// What already bears the name in the index things of that type enter, so
// an object and a class (or word) of one name stay apart.
object* existing(const world& home, int type, const wstring& name) {
  const wstring normalised = context::NormalisedName(name);
  switch (type) {
    case kw::type_class:
      return home.FindClass(normalised);
    case kw::type_word:
      return home.FindWord(normalised);
    case kw::type_preposition:
      return home.FindPreposition(normalised);
    default:
      return home.FindObject(normalised);
  }
}

// Reuses the thing of that name when its type fits, else makes one.
object* reuse_or_create(context& ctx, thing_form form, int type, const wstring& name) {
  world& home = *ctx.World();
  home.LookUpInDictionary(name);
  if (object* found = existing(home, type, name)) {
    bool fits = form == thing_form::cls || form == thing_form::word || found->Type() == type;
    if (!fits) throw redefinition;
    return found;
  }
  // object, class and word are declared by their short forms.
  if (form == thing_form::typed && (type == kw::type_object || type == kw::type_class || type == kw::type_word))
    throw constructor_error;
  return home.Create(&ctx, type, true, name);
}

value declare_thing(interpreter& in, context& ctx, const lxms_line& line, thing_form form) {
  const int type = declared_type(form, line);
  const wstring name = thing_name(in, ctx, line[form == thing_form::typed ? 1 : 0]);
  object* thing = reuse_or_create(ctx, form, type, name);
  if (ctx.World()->declaration_pass != 1) {
    const wstring block_text = inner(line[-1]);
    if (type == kw::type_preposition)
      static_cast<obj_word*>(thing)->SetDescription(block_text);
    else
      thing->SetCode(block_text);
  }
  return entity_value(thing);
}

}  // namespace

bool IsDeclaration(const lxms_line& line) {
  return line.Count() > 0 && (is_function_kind(line[0]) || thing_form_of(line) != thing_form::none);
}

bool ObjConstruct(interpreter& in, context& ctx, const lxms_line& line, value& result) {
  if (line.Count() > 0 && is_function_kind(line[0])) {
    result = declare_function(*ctx.World(), line);
    return true;
  }
  thing_form form = thing_form_of(line);
  if (form == thing_form::none) return false;
  result = declare_thing(in, ctx, line, form);
  return true;
}
