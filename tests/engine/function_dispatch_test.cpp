#include <gtest/gtest.h>

#include <string>

#include "code_world.h"
#include "fn_list_item.h"
#include "function.h"
#include "keyword_table.h"
#include "obj_word.h"
#include "parsed_string.h"
#include "system_factory.h"
#include "test_support.h"
#include "token_line.h"

namespace {

std::string text(const wstring& s) { return encode_utf8(s.Text(), size_t(s.Length())); }

const char16_t* const world_source = uR"(
@предмет {}
@фонарь { @предмет }
@вещь {}
attribute горит {}
$взять {}
$осмотреть {}
$положить {}
$вес {}
$горит {}
$поднять {}
$открыть {}
$сложить {}
$прочитать {}
$читать {}
preposition на {}
act удар {
-- check --
  return fail, "Бить нечем."
}
act пинок {}
лампа { @фонарь; горит }
ключ { @предмет; @вещь }
стол { @предмет }
лампа_красная { @предмет }
лампа_синяя { @предмет }
action (взять, предмет п) {
-- execute --
  % предмет {п}
}
action (взять, фонарь п) {
-- execute --
  % фонарь {п}
}
action (осмотреть, предмет п) {
-- execute --
  % класс {п}
}
action (осмотреть, лампа п) {
-- execute --
  % объект {п}
}
action (положить, предмет что, на, предмет куда) {
-- execute --
  % {что} на {куда}
}
action (поднять, предмет п, [вещь второй]) {
-- execute --
  % {п} и {второй}|{_текст}
}
action (открыть, предмет п) {
-- check --
  return fail, "Заперто."
}
action (открыть, вещь п) {
-- check --
  return нет
}
expression (вес, предмет п) {
-- execute --
  return 5
}
fact (горит, предмет п) {
-- check --
  return п.горит
}
action (удар, предмет п) {
-- execute --
  % удар
}
action (пинок, предмет п) {
-- check --
  return да
}
action (пинок, вещь п) {
-- check --
  return да
}
action (прочитать, предмет п) {
-- execute --
  % читает {п}
}
action (читать, предмет п) = action (прочитать, предмет п)
action (сложить, [предмет а], [предмет б], [предмет в], [предмет г], [предмет д], [предмет е], [предмет ж], [предмет з]) {}
)";

// A world with functions, and lines built by hand from its entities.
struct dispatch_world {
  dispatch_world() {
    rules.Init();
    value loaded = w.Run(world_source);
    EXPECT_NE(loaded.Code(), kw::result_fail) << text(loaded.Text());
  }

  object* Entity(const char16_t* name) {
    const wstring normalised = context::NormalisedName(name);
    if (object* word = w.home.FindWord(normalised)) return word;
    if (object* found = w.home.FindObject(normalised)) return found;
    return w.home.FindPreposition(normalised);
  }

  // A token of the text whose meanings are the named entities.
  token Token(const char16_t* word, std::initializer_list<const char16_t*> meanings) {
    token t;
    t.kind = u'L';
    t.text = word;
    for (const char16_t* name : meanings) {
      object* entity = Entity(name);
      EXPECT_NE(entity, nullptr) << utf8(name);
      t.preposition = t.preposition || entity->Type() == kw::type_preposition;
      t.AddMeaning(op_value::Make(&w.home, value::Entity(entity->Type(), entity), meaning_weight::word_form));
    }
    t.RebuildKeys();
    return t;
  }
  token Sign(const char16_t* sign) {
    token t;
    t.kind = u',';
    t.text = sign;
    t.question = wstring(sign) == u"?";
    t.AddMeaning(op_value::Make(&w.home, value::String(sign), meaning_weight::literal));
    t.RebuildKeys();
    return t;
  }

  token_line& Line(std::initializer_list<token> tokens) {
    line = std::make_unique<token_line>(input, &input.Tokens());
    for (const token& t : tokens) line->Insert(line->Count(), t);
    return *line;
  }

  // Applies the function rule of the slot at the line's start.
  bool Apply(int slot, token_line& l) {
    l.i = 0;
    return rules.Rule(slot)->Apply(w.home, l);
  }
  // Executes what the rule chose; what it printed and answered.
  std::string Execute(int slot, token_line& l) {
    op_value result;
    w.host.printed.clear();
    rules.Rule(slot)->Execute(w.home, l, result);
    wstring printed(w.host.printed.c_str());
    printed.Trim();
    return text(printed);
  }

  std::string Joined(const token_line& l) {
    std::string meanings;
    for (const op_value& m : l.joined.meanings) {
      if (!meanings.empty()) meanings += " | ";
      meanings += text(m.v.ShortText(&w.home));
      if (!m.v.Text().IsEmpty() && m.v.Type() == kw::type_bool) meanings += ": " + text(m.v.Text());
    }
    return meanings;
  }
  std::string Errors(const token_line& l) {
    std::string errors;
    for (const error_item& e : l.errors) errors += text(e.text) + ";";
    return errors;
  }

  code_world w;
  system_factory rules;
  parsed_string input{w.home, w.in, rules};
  std::unique_ptr<token_line> line;
};

constexpr int expression_rule = 9;
constexpr int action_rule = 12;
constexpr int fact_rule = 13;

}  // namespace

TEST(FunctionDispatch, ArgumentsBindInAnyOrderAndPrepositionsStayBeforeTheirWord) {
  dispatch_world d;
  token_line& put = d.Line({d.Token(u"положи", {u"положить"}), d.Token(u"ключ", {u"ключ"}),
                            d.Token(u"на", {u"на"}), d.Token(u"стол", {u"стол"})});
  ASSERT_TRUE(d.Apply(action_rule, put));
  EXPECT_EQ(put.j, 4);
  EXPECT_EQ(text(put.joined.text), "положи ключ на стол");
  EXPECT_EQ(d.Execute(action_rule, put), "ключ на стол");
  // The preposition takes the argument after it in declaration order.
  token_line& turned = d.Line({d.Token(u"положи", {u"положить"}), d.Token(u"на", {u"на"}),
                               d.Token(u"стол", {u"стол"}), d.Token(u"ключ", {u"ключ"})});
  ASSERT_TRUE(d.Apply(action_rule, turned));
  EXPECT_EQ(d.Execute(action_rule, turned), "ключ на стол");
  // The verb need not come first.
  token_line& verb_last = d.Line({d.Token(u"лампу", {u"лампа"}), d.Token(u"осмотри", {u"осмотреть"})});
  ASSERT_TRUE(d.Apply(action_rule, verb_last));
  EXPECT_EQ(d.Execute(action_rule, verb_last), "объект лампа");
  // A preposition with nothing after it binds nothing.
  token_line& dangling = d.Line({d.Token(u"положи", {u"положить"}), d.Token(u"ключ", {u"ключ"}),
                                 d.Token(u"стол", {u"стол"}), d.Token(u"на", {u"на"})});
  EXPECT_FALSE(d.Apply(action_rule, dangling));
}

TEST(FunctionDispatch, OptionalArgumentsMayBeLeftOut) {
  dispatch_world d;
  token_line& one = d.Line({d.Token(u"подними", {u"поднять"}), d.Token(u"ключ", {u"ключ"})});
  ASSERT_TRUE(d.Apply(action_rule, one));
  EXPECT_EQ(d.Execute(action_rule, one), "ключ и |подними ключ");
  token_line& two = d.Line({d.Token(u"подними", {u"поднять"}), d.Token(u"стол", {u"стол"}),
                            d.Token(u"ключ", {u"ключ"})});
  ASSERT_TRUE(d.Apply(action_rule, two));
  EXPECT_EQ(two.j, 3);
  EXPECT_EQ(d.Execute(action_rule, two), "стол и ключ|подними стол ключ");
  // Both orders bind two things that each fit both arguments: the action
  // does not guess.
  token_line& both = d.Line({d.Token(u"подними", {u"поднять"}), d.Token(u"ключ", {u"ключ"}),
                             d.Token(u"ключ", {u"ключ"})});
  ASSERT_TRUE(d.Apply(action_rule, both));
  EXPECT_EQ(d.Joined(both), "ошибка");
  EXPECT_EQ(d.Errors(both), "неоднозначно: ;");
  // Another kind's rule finds nothing for the same words.
  token_line& as_fact = d.Line({d.Token(u"подними", {u"поднять"}), d.Token(u"ключ", {u"ключ"})});
  EXPECT_FALSE(d.Apply(fact_rule, as_fact));
}

TEST(FunctionDispatch, ObjectBeatsClassAndDerivedClassBeatsBase) {
  dispatch_world d;
  token_line& look = d.Line({d.Token(u"осмотри", {u"осмотреть"}), d.Token(u"лампу", {u"лампа"})});
  ASSERT_TRUE(d.Apply(action_rule, look));
  ASSERT_EQ(look.candidates.Count(), 1);
  EXPECT_EQ(d.Execute(action_rule, look), "объект лампа");
  token_line& take = d.Line({d.Token(u"возьми", {u"взять"}), d.Token(u"лампу", {u"лампа"})});
  ASSERT_TRUE(d.Apply(action_rule, take));
  EXPECT_EQ(d.Execute(action_rule, take), "фонарь лампа");
  // The key is no lamp: only the base class serves.
  token_line& key = d.Line({d.Token(u"возьми", {u"взять"}), d.Token(u"ключ", {u"ключ"})});
  ASSERT_TRUE(d.Apply(action_rule, key));
  EXPECT_EQ(d.Execute(action_rule, key), "предмет ключ");
}

TEST(FunctionDispatch, ExpressionsAnswerAndFactsTakeTheQuestionMark) {
  dispatch_world d;
  token_line& weight = d.Line({d.Token(u"вес", {u"вес"}), d.Token(u"стола", {u"стол"})});
  ASSERT_TRUE(d.Apply(expression_rule, weight));
  EXPECT_EQ(d.Joined(weight), "5");
  token_line& burns = d.Line({d.Token(u"лампа", {u"лампа"}), d.Token(u"горит", {u"горит"}), d.Sign(u"?")});
  ASSERT_TRUE(d.Apply(fact_rule, burns));
  EXPECT_EQ(burns.j, 3);
  EXPECT_EQ(d.Joined(burns), "да");
  EXPECT_EQ(key_matrix(u"bv").Matches(burns.joined.meanings[0].keys.Text()), true);
  EXPECT_EQ(key_matrix(u"vt").Matches(burns.joined.meanings[0].keys.Text()), true);
  token_line& key = d.Line({d.Token(u"горит", {u"горит"}), d.Token(u"ключ", {u"ключ"})});
  ASSERT_TRUE(d.Apply(fact_rule, key));
  EXPECT_EQ(key.j, 2);
  // An empty answer is no answer.
  EXPECT_EQ(d.Joined(key), "неизвестно");
}

TEST(FunctionDispatch, AmbiguityIsNamedNotActedOn) {
  dispatch_world d;
  // One function, two lamps: both bindings pass.
  token_line& lamps = d.Line({d.Token(u"осмотри", {u"осмотреть"}), d.Token(u"лампу", {u"лампа_красная", u"лампа_синяя"})});
  ASSERT_TRUE(d.Apply(action_rule, lamps));
  EXPECT_EQ(d.Joined(lamps), "ошибка");
  EXPECT_EQ(d.Errors(lamps), "неоднозначно: лампа_красная или лампа_синяя; ;");
  // Two functions of equal standing both agree.
  token_line& kick = d.Line({d.Token(u"пни", {u"пинок"}), d.Token(u"ключ", {u"ключ"})});
  ASSERT_TRUE(d.Apply(action_rule, kick));
  EXPECT_EQ(d.Joined(kick), "непонятно: неоднозначный вызов функции");
}

TEST(FunctionDispatch, ChecksRefuseWithTheirReasons) {
  dispatch_world d;
  // Both functions refuse: the reading ends in the reasons given.
  token_line& open = d.Line({d.Token(u"открой", {u"открыть"}), d.Token(u"ключ", {u"ключ"})});
  ASSERT_TRUE(d.Apply(action_rule, open));
  EXPECT_EQ(d.Joined(open), "ошибка");
  EXPECT_EQ(d.Errors(open), "Заперто.;");
  // The act's own check speaks first.
  token_line& hit = d.Line({d.Token(u"ударь", {u"удар"}), d.Token(u"стол", {u"стол"})});
  ASSERT_TRUE(d.Apply(action_rule, hit));
  EXPECT_EQ(d.Errors(hit), "Бить нечем.;");
}

TEST(FunctionDispatch, BindingModesAndTheMatchedText) {
  dispatch_world d;
  token_line& l = d.Line({d.Token(u"подними", {u"поднять"}), d.Token(u"ключ", {u"ключ"})});
  const fn_it& fn = d.w.home.functions.Functions()[0];
  ASSERT_GE(fn.args.Count(), 1);
  l[0].argument = 0;
  l[0].meaning = 0;
  context fresh(&d.w.home, kw::type_context, &d.w.home);
  EXPECT_EQ(fn.SetArgs(fresh, l, 0, 1, bind_mode::fix), nullptr);
  EXPECT_EQ(l[0].saved_argument, 0);
  EXPECT_EQ(l[0].saved_meaning, 0);
  value bound;
  ASSERT_TRUE(fresh.GetVariable(u"_текст", bound, &fresh));
  EXPECT_EQ(text(bound.Text()), "подними");
  ASSERT_TRUE(fresh.GetVariable(u"_text", bound, &fresh));
  EXPECT_EQ(bound.Type(), kw::type_string);
  // Execute reads the saved binding, not the current one.
  l[0].meaning = 5;
  context later(&d.w.home, kw::type_context, &d.w.home);
  fn.SetArgs(later, l, 0, 1, bind_mode::execute);
  EXPECT_EQ(wide_message([&] { fn.SetArgs(later, l, 0, 1, bind_mode::parsing); }),
            "fn_it::SetArgs() нет связи аргумента с токеном!");
  EXPECT_EQ(wide_message([&] { fn.SetArgs(later, l, 0, 1, static_cast<bind_mode>(7)); }),
            "fn_it::SetArgs() invalid mode");
}

TEST(FunctionDispatch, ExecutionNeedsOneChosenFunction) {
  dispatch_world d;
  token_line& l = d.Line({d.Token(u"возьми", {u"взять"}), d.Token(u"ключ", {u"ключ"})});
  op_value result;
  EXPECT_EQ(wide_message([&] { d.rules.Rule(action_rule)->Execute(d.w.home, l, result); }),
            "function::Execute() error 1");
  ASSERT_TRUE(d.Apply(action_rule, l));
  l.candidates.Insert(1, l.candidates[0]);
  EXPECT_EQ(wide_message([&] { d.rules.Rule(action_rule)->Execute(d.w.home, l, result); }),
            "function::Execute() функции не отсеяны!");
  l.candidates.Clear();
  EXPECT_EQ(wide_message([&] { d.rules.Rule(action_rule)->Execute(d.w.home, l, result); }),
            "function::Execute() функция не найдена!");
}

TEST(FunctionDispatch, ArgumentClassesCompare) {
  dispatch_world d;
  fn_list_item& f = d.w.home.functions;
  bool a_is_b = false, b_is_a = false;
  d.w.home.CmpArgAsCls(f.TypeNumber(u"фонарь"), f.TypeNumber(u"предмет"), a_is_b, b_is_a);
  EXPECT_TRUE(a_is_b);
  EXPECT_FALSE(b_is_a);
  EXPECT_EQ(wide_message([&] { d.w.home.CmpArgAsCls(9999, 0, a_is_b, b_is_a); }),
            "world::CmpArgAsCls() argument A not found!");
  EXPECT_EQ(wide_message([&] { d.w.home.CmpArgAsCls(0, 9999, a_is_b, b_is_a); }),
            "world::CmpArgAsCls() argument B not found!");
  EXPECT_EQ(built_message([&] { d.w.home.CmpArgAsCls(f.TypeNumber(u"небылица"), 0, a_is_b, b_is_a); }),
            "world::CmpArgAsCls() class A 'небылица' not found!");
}

TEST(FunctionDispatch, TooManyPlacementsEndInAPlainReply) {
  dispatch_world d;
  token_line& l = d.Line({d.Token(u"сложи", {u"сложить"}), d.Token(u"ключ", {u"ключ"}), d.Token(u"стол", {u"стол"}),
                          d.Token(u"лампу", {u"лампа"}), d.Token(u"ключ", {u"ключ"}), d.Token(u"стол", {u"стол"}),
                          d.Token(u"лампу", {u"лампа"}), d.Token(u"ключ", {u"ключ"}), d.Token(u"стол", {u"стол"})});
  ASSERT_TRUE(d.Apply(action_rule, l));
  EXPECT_EQ(d.Errors(l), "слишком сложная команда, скажите проще.;");
  EXPECT_EQ(d.Joined(l), "ошибка");
  EXPECT_EQ(l.j, l.Count());
}

// The dictionary gives each verb of an aspect pair the other's infinitive,
// so a typed «читать» means both words; bound alike by the typed text, they
// make one command, not an ambiguity.
TEST(FunctionDispatch, VerbsNamedByTheTypedTextBindOnce) {
  dispatch_world d;
  token_line& read = d.Line({d.Token(u"читать", {u"читать", u"прочитать"}), d.Token(u"стол", {u"стол"})});
  ASSERT_TRUE(d.Apply(action_rule, read));
  EXPECT_EQ(d.Errors(read), "");
  EXPECT_EQ(d.Execute(action_rule, read), "читает стол");
  // Two things one word names are still two bindings.
  token_line& lamps = d.Line({d.Token(u"читать", {u"читать"}), d.Token(u"лампу", {u"лампа_красная", u"лампа_синяя"})});
  ASSERT_TRUE(d.Apply(action_rule, lamps));
  EXPECT_NE(d.Errors(lamps).find("неоднозначно"), std::string::npos) << d.Errors(lamps);
}
