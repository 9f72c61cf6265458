// The combination rules on readings built by hand in a small world: the
// pattern of a rule, matching with agreement, phrases that name one thing,
// prepositions, negation, addresses to characters and conjunctions.

#include <gtest/gtest.h>

#include <string>

#include "code_world.h"
#include "composite_word.h"
#include "denial.h"
#include "npc_command.h"
#include "parsed_string.h"
#include "prep_word.h"
#include "system_factory.h"
#include "test_support.h"

namespace {

const char16_t* const test_world = uR"(
@существительное {}
@прилагательное {}
$лампа {
  @существительное
  key=#ЖрНд
  #ИпЕч = "лампа"
  #ВпЕч = "лампу"
  #РпЕч = "лампы"
}
$красный {
  @прилагательное
  #ВпЕчЖрЛф = "красную"
  #ИпЕчЖрЛф = "красная"
  #ИпЕчМрЛф = "красный"
  #РпЕчЖрЛф = "красной"
}
$ручка {
  @существительное
  key=#ЖрНд
  #ИпЕч = "ручка"
  #ВпЕч = "ручку"
}
$дверь {
  @существительное
  key=#ЖрНд
  #ВпЕч = "дверь"
  #ИпЕч = "дверь"
  #РпЕч = "двери"
}
$стол {
  @существительное
  key=#МрНд
  #ИпЕч = "стол"
  #РпЕч = "стола"
}
$хотеть {
  #ИвПф = "хотеть"
  #НвЕч1лПф = "хочу"
}
$есть {
  #ИвПф = "есть"
}
$хотеть_есть {
  #ИвПф = "хотеть есть"
}
$взять {
  #ИвПф = "взять"
  #ПвЕч2лПф = "возьми"
}
$я {
  #ИпЕч = "я"
}
preposition с {
  со с*
  object Рп РпОк
}
preposition у {
  object Рп РпГк около Рп
}
preposition от {
}
location кухня {}
location сад {}
красная_лампа {
  inside кухня
}
ручка_двери {
  inside кухня
}
ручка_от_двери {
  inside кухня
}
стол {
  inside кухня
}
около_стола {
  inside кухня
}
герой {
  inside кухня
}
вася {
  inside кухня
}
петя {
  inside кухня
-- _check_npc --
  return fail, "Петя занят."
}
коля {
  inside кухня
-- _проверка_нпс --
  return "не буду."
}
толя {
  inside кухня
-- _check_npc --
  return ""
}
федя {
  inside кухня
-- _check_npc --
  return fail
}
гриша {
  inside кухня
-- _check_npc --
  % Гриша кивает.
}
)";

class combinators : public ::testing::Test {
 protected:
  void SetUp() override {
    w.Run(test_world);
    w.home.player = Entity(u"герой")->Id();
    ctx = Entity(u"кухня");
    ctx->characters[0] = ctx->characters[2] = w.home.player;
    ctx->characters[1] = 0;
    rules.Init();
  }

  object* Entity(const char16_t* name) { return w.home.FindObject(name); }
  object* Word(const char16_t* name) { return w.home.FindWord(name); }

  op_value Meaning(int type, object* entity, int weight, const char16_t* keys) {
    return op_value::Make(&w.home, value::Entity(type, entity), weight, keys);
  }
  token Typed(const char16_t* text, std::initializer_list<op_value> meanings, char16_t kind = u'L') {
    token t;
    t.kind = kind;
    t.russian = kind == u'L';
    t.text = text;
    for (const op_value& meaning : meanings) t.AddMeaning(meaning);
    t.RebuildKeys();
    return t;
  }
  token Form(const char16_t* text, const char16_t* word, const char16_t* keys) {
    return Typed(text, {Meaning(kw::type_word, Word(word), meaning_weight::word_form, keys)});
  }
  token Thing(const char16_t* text, const char16_t* name, const char16_t* keys) {
    object* entity = Entity(name);
    return Typed(text, {Meaning(entity->Type(), entity, 60, keys)});
  }
  token Sign(const char16_t* text) {
    return Typed(text, {op_value::Make(&w.home, value::String(text), meaning_weight::literal)}, u',');
  }
  token Preposition(const char16_t* text, const char16_t* name) {
    return Typed(text, {Meaning(kw::type_preposition, w.home.FindPreposition(name), meaning_weight::literal, u"")});
  }
  token Value(const char16_t* text, const value& v) { return Typed(text, {op_value::Make(&w.home, v, 95)}); }

  // A reading of the typed tokens (the parsed string's token list is its
  // parent), or of a reading given.
  token_line& Reading(std::initializer_list<token> tokens) {
    token_line& typed = parsed.Tokens();
    typed.Clear();
    for (const token& t : tokens) typed.Insert(typed.Count(), t);
    return Reading(typed, tokens);
  }
  token_line& Reading(token_line& parent, std::initializer_list<token> tokens) {
    token_line& line = parsed.AddReading(parent);
    for (const token& t : tokens) line.Insert(line.Count(), t);
    line.CopyCharactersFrom(*ctx);
    return line;
  }

  // Applies the rule of the slot at position i of the line.
  bool Apply(int slot, token_line& line, int i) {
    line.k = slot;
    line.i = i;
    line.CopyCharactersTo(*ctx);
    return rules.Rule(slot)->Apply(*ctx, line);
  }

  // The joined token's meanings: short text and key string.
  std::string Meanings(const token& t) {
    std::string all;
    for (const op_value& m : t.meanings) {
      if (!all.empty()) all += " | ";
      all += utf8(m.v.ShortText(&w.home).Text()) + " " + utf8(m.keys.Text());
    }
    return all;
  }
  static char16_t Marker(const op_value& m, char16_t key) { return key_matrix(m.keys.Text()).GetMarker(key); }

  template <class F>
  static std::string Failure(F&& f) {
    try {
      f();
    } catch (const char16_t* message) {
      return utf8(message);
    } catch (const wstring& message) {
      return utf8(message.Text());
    }
    return "<nothing thrown>";
  }

  code_world w;
  system_factory rules;
  parsed_string parsed{w.home, w.in, rules};
  context* ctx = nullptr;
};

TEST(combinator_pattern, ItemsPositionsAndKeys) {
  class link four(u"kZ|рчпд|    | #wv*ч*п; на самом деле ;#-v;;", 1, u"проба");
  EXPECT_EQ(four.LeadingKeys(), u"kZ");
  EXPECT_EQ(four.ResultKeys(), u"рчпд");
  // Blanks before an item are skipped, so a blank field is empty.
  EXPECT_TRUE(four.AgreementKeys().IsEmpty());
  ASSERT_EQ(four.ElementCount(), 4);
  EXPECT_TRUE(four.IsPattern(0));
  EXPECT_EQ(four.Pattern(0).GetMarker(u'v'), u'w');
  EXPECT_EQ(four.Pattern(0).GetMarker(u'п'), u'*');
  // Blanks inside an item belong to it.
  EXPECT_FALSE(four.IsPattern(1));
  EXPECT_EQ(four.Literal(1), u"на самом деле ");
  EXPECT_EQ(four.Pattern(2).GetMarker(u'v'), u'-');
  // An empty item still takes its place.
  EXPECT_FALSE(four.IsPattern(3));
  EXPECT_TRUE(four.Literal(3).IsEmpty());
  EXPECT_EQ(four.MainElement(), 1);
  EXPECT_EQ(four.Name(), u"проба");
  EXPECT_EQ(four.Mode(), link::default_mode);

  try {
    class link five(u"||| a; b; c; d; e;", 0, u"лишнее");
    ADD_FAILURE() << "a fifth element was taken";
  } catch (const char16_t* message) {
    EXPECT_EQ(utf8(message), "link::link() - лишний параметр");
  }
  // The last item may go without its ";".
  class link unterminated(u"||| a; b", 0, u"");
  EXPECT_EQ(unterminated.ElementCount(), 2);

  op_value result;
  code_world w;
  system_factory no_rules;
  parsed_string parsed(w.home, w.in, no_rules);
  token_line& line = parsed.AddReading(parsed.Tokens());
  try {
    four.Execute(w.home, line, result);
    ADD_FAILURE() << "the base rule executed";
  } catch (const char16_t* message) {
    EXPECT_EQ(utf8(message), "link::Execute() - метод должен быть перегружен!");
  }
  try {
    four.Remember(w.home, line, result);
    ADD_FAILURE() << "the base rule remembered";
  } catch (const char16_t* message) {
    EXPECT_EQ(utf8(message), "link::Remember() - метод должен быть перегружен!");
  }
}

TEST(combinator_table, FifteenRulesInTheirSlots) {
  system_factory rules;
  EXPECT_EQ(rules.Rule(1), nullptr);
  rules.Init();
  const char* names[] = {"обращение к NPC", "словосочетание", "слово + чьё/чего", "слово + предлог + слово",
                         "синоним глагола", "составной глагол", "глагол с наречием", "предлог + значение", "",
                         "отрицание", "обращение к NPC", "", "", "союз И", "союз ИЛИ"};
  const int mains[] = {0, 1, 0, 0, 0, 0, 0, 1, 0, 1, 1, 0, 0, 0, 0};
  const int counts[] = {2, 2, 2, 3, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3};
  for (int slot = 1; slot <= 15; ++slot) {
    const class link* rule = rules.Rule(slot);
    ASSERT_NE(rule, nullptr) << slot;
    EXPECT_EQ(utf8(rule->Name().Text()), names[slot - 1]) << slot;
    EXPECT_EQ(rule->MainElement(), mains[slot - 1]) << slot;
    EXPECT_EQ(rule->ElementCount(), counts[slot - 1]) << slot;
  }
  EXPECT_EQ(rules.Rule(9)->Mode(), u'/');
  EXPECT_EQ(rules.Rule(12)->Mode(), u'0');
  EXPECT_EQ(rules.Rule(13)->Mode(), u'1');
  EXPECT_EQ(rules.Rule(2)->AgreementKeys(), u"рчпд");
  EXPECT_TRUE(rules.Rule(3)->AgreementKeys().IsEmpty());
  EXPECT_EQ(rules.Rule(5)->ResultKeys(), u"влфчы");
  EXPECT_EQ(rules.Rule(10)->Literal(0), u"не");
  EXPECT_EQ(rules.Rule(14)->Literal(1), u"и");
  EXPECT_EQ(rules.Rule(15)->Literal(1), u"или");
  EXPECT_NE(dynamic_cast<const NPC_command*>(rules.Rule(11)), nullptr);
  EXPECT_NE(dynamic_cast<const prep_word*>(rules.Rule(8)), nullptr);
  for (int slot : {0, 16, 59, 60, -1}) EXPECT_EQ(rules.Rule(slot), nullptr) << slot;
  // Made again, the table is the same.
  rules.Init();
  EXPECT_EQ(utf8(rules.Rule(15)->Name().Text()), "союз ИЛИ");
  EXPECT_EQ(rules.Rule(16), nullptr);
}

TEST_F(combinators, MatchingAgreesAndNarrows) {
  class link generic(u"Zk|пч|рчп| #wv*п; #wv*п;", 1, u"проба");
  token door = Typed(u"дверь", {Meaning(kw::type_word, Word(u"дверь"), 20, u"ИпЕч"),
                                Meaning(kw::type_word, Word(u"дверь"), 20, u"ВпЕч")});
  token_line& red_door = Reading({Form(u"красную", u"красный", u"ВпЕчЖрЛф"), door});
  red_door.i = 0;
  ASSERT_TRUE(generic.Apply(*ctx, red_door));
  EXPECT_EQ(red_door.j, 2);
  // The noun keeps only the reading that agrees with its adjective.
  EXPECT_TRUE(red_door[1].changed);
  EXPECT_EQ(red_door[1].meanings.Count(), 1);
  EXPECT_EQ(Marker(red_door[1].meanings[0], u'п'), u'В');
  EXPECT_FALSE(red_door[0].changed);
  // Generic joining: the main meaning with the result keys and the leading
  // keys, the texts joined by a blank.
  EXPECT_EQ(red_door.joined.text, u"красную дверь");
  EXPECT_EQ(Meanings(red_door.joined), "$дверь ZkВпЕч");
  EXPECT_EQ(red_door.joined.weight, 2);

  token_line& disagreeing = Reading({Form(u"красный", u"красный", u"ИпЕчМрЛф"), Form(u"лампу", u"лампа", u"ВпЕч")});
  disagreeing.i = 0;
  EXPECT_FALSE(generic.Apply(*ctx, disagreeing));
  // Too few tokens, a literal that differs.
  disagreeing.i = 1;
  EXPECT_FALSE(generic.Apply(*ctx, disagreeing));
  token_line& not_negation = Reading({Form(u"ни", u"лампа", u"ИпЕч"), Value(u"да", value::Keyword(kw::result_yes))});
  EXPECT_FALSE(Apply(10, not_negation, 0));
}

TEST_F(combinators, PhrasesNameOneThing) {
  // Adjective and noun in either case name the red lamp, keeping the
  // noun's keys.
  token_line& red_lamp = Reading({Form(u"красную", u"красный", u"ВпЕчЖрЛф"), Form(u"лампу", u"лампа", u"ВпЕч")});
  ASSERT_TRUE(Apply(2, red_lamp, 0));
  EXPECT_EQ(red_lamp.joined.text, u"лампу_красную");
  ASSERT_EQ(red_lamp.joined.meanings.Count(), 1);
  const op_value& lamp = red_lamp.joined.meanings[0];
  EXPECT_EQ(lamp.v.GetEntity(), Entity(u"красная_лампа"));
  EXPECT_EQ(Marker(lamp, u'п'), u'В');
  EXPECT_EQ(Marker(lamp, u'v'), u'o');
  EXPECT_EQ(Marker(lamp, u'м'), u'Д');
  token_line& nominative = Reading({Form(u"красная", u"красный", u"ИпЕчЖрЛф"), Form(u"лампа", u"лампа", u"ИпЕч")});
  ASSERT_TRUE(Apply(2, nominative, 0));
  EXPECT_EQ(nominative.joined.meanings[0].v.GetEntity(), Entity(u"красная_лампа"));
  // A disagreeing pair is no phrase; neither is one that names nothing.
  token_line& wrong_case = Reading({Form(u"красная", u"красный", u"ИпЕчЖрЛф"), Form(u"лампу", u"лампа", u"ВпЕч")});
  EXPECT_FALSE(Apply(2, wrong_case, 0));
  token_line& red_door = Reading({Form(u"красную", u"красный", u"ВпЕчЖрЛф"), Form(u"дверь", u"дверь", u"ВпЕч")});
  EXPECT_FALSE(Apply(2, red_door, 0));

  // A noun with its genitive, as typed.
  token_line& handle = Reading({Form(u"ручку", u"ручка", u"ВпЕч"), Form(u"двери", u"дверь", u"РпЕч")});
  ASSERT_TRUE(Apply(3, handle, 0));
  EXPECT_EQ(handle.joined.text, u"ручку_двери");
  EXPECT_EQ(handle.joined.meanings[0].v.GetEntity(), Entity(u"ручка_двери"));
  EXPECT_EQ(Marker(handle.joined.meanings[0], u'п'), u'В');
  // With a preposition between.
  token_line& handle_of = Reading({Form(u"ручка", u"ручка", u"ИпЕч"), Preposition(u"от", u"от"),
                                   Form(u"двери", u"дверь", u"РпЕч")});
  ASSERT_TRUE(Apply(4, handle_of, 0));
  EXPECT_EQ(handle_of.j, 3);
  EXPECT_EQ(handle_of.joined.text, u"ручка_от_двери");
  EXPECT_EQ(handle_of.joined.meanings[0].v.GetEntity(), Entity(u"ручка_от_двери"));

  // Two verbs that make one word of the world.
  token_line& want_to_eat = Reading({Form(u"хочу", u"хотеть", u"НвЕч1лПф"), Form(u"есть", u"есть", u"ИвПф")});
  ASSERT_TRUE(Apply(6, want_to_eat, 0));
  ASSERT_EQ(want_to_eat.joined.meanings.Count(), 1);
  EXPECT_EQ(want_to_eat.joined.meanings[0].v.GetEntity(), Word(u"хотеть_есть"));
  EXPECT_EQ(Marker(want_to_eat.joined.meanings[0], u'v'), u'w');
}

TEST_F(combinators, PhrasesCarryNegationAndReach) {
  token negated_red = Typed(u"некрасная", {Meaning(kw::type_word, Word(u"красный"), 20, u"НеИпЕчЖрЛф")});
  token_line& line = Reading({negated_red, Form(u"лампа", u"лампа", u"ИпЕч")});
  ASSERT_TRUE(Apply(2, line, 0));
  EXPECT_EQ(Marker(line.joined.meanings[0], u'е'), u'Н');
  EXPECT_EQ(line.joined.meanings[0].v.GetEntity(), Entity(u"красная_лампа"));

  // A thing in another place is still named, marked as not near.
  Entity(u"красная_лампа")->MoveTo(Entity(u"сад"), u'I');
  token_line& far = Reading({Form(u"красная", u"красный", u"ИпЕчЖрЛф"), Form(u"лампа", u"лампа", u"ИпЕч")});
  ASSERT_TRUE(Apply(2, far, 0));
  EXPECT_EQ(Marker(far.joined.meanings[0], u'м'), u'!');

  // The main word must still be in the world.
  token_line& forgotten = Reading({Form(u"красная", u"красный", u"ИпЕчЖрЛф"), Form(u"лампа", u"лампа", u"ИпЕч")});
  w.home.Destroy(Word(u"лампа"));
  EXPECT_EQ(Failure([&] { Apply(2, forgotten, 0); }), "composite_word::Apply() invalid Main word");
}

TEST_F(combinators, PrepositionsGovernTheirValues) {
  token_line& from_table = Reading({Preposition(u"со", u"с"), Thing(u"стола", u"стол", u"РпЕчДм")});
  ASSERT_TRUE(Apply(8, from_table, 0));
  EXPECT_EQ(from_table.joined.text, u"со стола");
  ASSERT_EQ(from_table.joined.meanings.Count(), 1);
  const op_value& table = from_table.joined.meanings[0];
  EXPECT_EQ(table.v.GetEntity(), Entity(u"стол"));
  EXPECT_EQ(Marker(table, u'к'), u'О');
  EXPECT_EQ(table.weight, 60);
  // A case the preposition does not govern, a kind it takes no value of.
  token_line& wrong_case = Reading({Preposition(u"с", u"с"), Thing(u"стол", u"стол", u"ИпЕчДм")});
  EXPECT_FALSE(Apply(8, wrong_case, 0));
  token_line& word = Reading({Preposition(u"с", u"с"), Form(u"стола", u"стол", u"РпЕч")});
  EXPECT_FALSE(Apply(8, word, 0));

  // A use with a compound name: the thing named by it and the value in its
  // case.
  token_line& near_table = Reading({Preposition(u"у", u"у"), Thing(u"стола", u"стол", u"РпЕчДм")});
  ASSERT_TRUE(Apply(8, near_table, 0));
  ASSERT_EQ(near_table.joined.meanings.Count(), 1);
  EXPECT_EQ(near_table.joined.meanings[0].v.GetEntity(), Entity(u"около_стола"));
  EXPECT_EQ(Marker(near_table.joined.meanings[0], u'к'), u'Г');
  token_line& named = Reading({Preposition(u"у", u"у"), Thing(u"около", u"около_стола", u"РпЕчДм")});
  ASSERT_TRUE(Apply(8, named, 0));
  EXPECT_EQ(named.joined.meanings[0].v.GetEntity(), Entity(u"около_стола"));

  token two = Preposition(u"с", u"с");
  two.AddMeaning(Meaning(kw::type_preposition, w.home.FindPreposition(u"у"), 100, u""));
  two.RebuildKeys();
  token_line& ambiguous = Reading({two, Thing(u"стола", u"стол", u"РпЕчДм")});
  EXPECT_EQ(Failure([&] { Apply(8, ambiguous, 0); }), "prep_word::Apply() неоднозначный предлог?!");
  token_line& not_one =
      Reading({Typed(u"с", {op_value::Make(&w.home, value::String(u"с"), 100, u"-v")}), Thing(u"стола", u"стол", u"РпЕч")});
  EXPECT_EQ(Failure([&] { Apply(8, not_one, 0); }), "prep_word::Apply() не предлог!");
  token_line& gone = Reading({Preposition(u"с", u"с"), Thing(u"стола", u"стол", u"РпЕчДм")});
  w.home.Destroy(w.home.FindPreposition(u"с"));
  EXPECT_EQ(Failure([&] { Apply(8, gone, 0); }), "prep_word::Apply() предлог не найден!");
}

TEST_F(combinators, NegationTurnsTruthsAndMarksOtherValues) {
  auto negated = [&](const value& v) {
    token_line& line = Reading({Typed(u"не", {op_value::Make(&w.home, value::String(u"не"), 10)}), Value(u"x", v)});
    EXPECT_TRUE(Apply(10, line, 0));
    EXPECT_EQ(line.joined.text, u"не x");
    EXPECT_EQ(line.joined.meanings.Count(), 1);
    EXPECT_EQ(line.joined.meanings[0].weight, 100);
    return line.joined.meanings[0];
  };
  EXPECT_EQ(negated(value::Keyword(kw::result_yes)).v.Code(), kw::result_no);
  EXPECT_EQ(negated(value::Keyword(kw::result_ok)).v.Code(), kw::result_no);
  op_value turned = negated(value::Result(kw::result_no, u"закрыто"));
  EXPECT_EQ(turned.v.Code(), kw::result_yes);
  EXPECT_EQ(turned.v.Text(), u"закрыто");
  EXPECT_EQ(negated(value::Keyword(kw::result_illegal)).v.Code(), kw::result_yes);
  EXPECT_EQ(negated(value::Keyword(kw::result_unknown)).v.Code(), kw::result_unknown);
  EXPECT_EQ(negated(value::Keyword(kw::result_fail)).v.Code(), kw::result_fail);

  object* attribute = w.home.Create(&w.home, kw::type_attribute, true, u"открыто");
  op_value marked = negated(value::Entity(kw::type_attribute, attribute));
  EXPECT_EQ(Marker(marked, u'е'), u'Н');
  EXPECT_EQ(key_matrix(marked.v.KeyText().Text()).GetMarker(u'е'), u'Н');
  EXPECT_EQ(marked.v.GetEntity(), attribute);
  // Negated twice, a value stays negated.
  value once = marked.v;
  EXPECT_EQ(Marker(negated(once), u'е'), u'Н');

  // Only values that can be negated follow "не".
  token_line& thing = Reading({Typed(u"не", {}), Thing(u"стол", u"стол", u"ИпЕч")});
  EXPECT_FALSE(Apply(10, thing, 0));
}

TEST_F(combinators, AddressAtTheStart) {
  token_line& line = Reading({Thing(u"вася", u"вася", u"ИпЕч"), Sign(u","), Form(u"возьми", u"взять", u"ПвЕч2лПф"),
                              Form(u"лампу", u"лампа", u"ВпЕч")});
  line.AddError(u"старая ошибка", 10);
  ASSERT_TRUE(Apply(1, line, 0));
  EXPECT_EQ(line.errors.Count(), 0);
  EXPECT_EQ(line.j, 2);
  EXPECT_EQ(line.joined.meanings.Count(), 0);
  const int32_t vasya = Entity(u"вася")->Id(), hero = w.home.player;
  EXPECT_EQ(line.characters[0], vasya);
  EXPECT_EQ(line.characters[1], hero);
  EXPECT_EQ(line.characters[2], vasya);
  EXPECT_EQ(ctx->characters[0], vasya);
  EXPECT_EQ(ctx->characters[1], hero);
  // The rest is read again from its text.
  EXPECT_EQ(line[2].text, u"возьми");
  EXPECT_FALSE(line[2].changed);
  bool verb = false;
  for (const op_value& m : line[2].meanings) verb = verb || m.v.GetEntity() == Word(u"взять");
  EXPECT_TRUE(verb);

  // Only at the start.
  token_line& later = Reading({Form(u"возьми", u"взять", u"ПвЕч2лПф"), Thing(u"вася", u"вася", u"ИпЕч"), Sign(u",")});
  EXPECT_FALSE(Apply(1, later, 1));
}

TEST_F(combinators, AddressAtTheEndUndoesEarlierJoins) {
  token_line& typed = Reading({Form(u"возьми", u"взять", u"ПвЕч2лПф"), Form(u"красную", u"красный", u"ВпЕчЖрЛф"),
                               Form(u"лампу", u"лампа", u"ВпЕч"), Sign(u","), Thing(u"вася", u"вася", u"ИпЕч")});
  ASSERT_TRUE(Apply(2, typed, 1));
  token_line& joined = parsed.AddReading(typed);
  joined.TakeFromParent();
  ASSERT_EQ(joined.Count(), 4);
  ASSERT_TRUE(Apply(11, joined, 2));
  ASSERT_EQ(joined.Count(), 5);
  EXPECT_EQ(joined.i, 3);
  EXPECT_EQ(joined.j, 5);
  EXPECT_EQ(joined[1].text, u"красную");
  EXPECT_EQ(joined[2].text, u"лампу");
  EXPECT_EQ(joined[4].text, u"вася");
  EXPECT_EQ(joined.characters[0], Entity(u"вася")->Id());
  // The child reading is the command without the address.
  token_line& command = parsed.AddReading(joined);
  command.TakeFromParent();
  EXPECT_EQ(command.Count(), 3);

  // Not before the last two tokens, and never below another address.
  token_line& middle = Reading({Form(u"возьми", u"взять", u"ПвЕч2лПф"), Sign(u","), Thing(u"вася", u"вася", u"ИпЕч"),
                                Sign(u","), Form(u"лампу", u"лампа", u"ВпЕч")});
  for (int i = 0; i < middle.Count(); ++i) {
    EXPECT_FALSE(Apply(1, middle, i)) << i;
    EXPECT_FALSE(Apply(11, middle, i)) << i;
  }
  token_line& first = Reading({Thing(u"вася", u"вася", u"ИпЕч"), Sign(u","), Form(u"возьми", u"взять", u"ПвЕч2лПф"),
                               Sign(u","), Thing(u"гриша", u"гриша", u"ИпЕч")});
  ASSERT_TRUE(Apply(1, first, 0));
  token_line& second = parsed.AddReading(first);
  second.TakeFromParent();
  ASSERT_EQ(second.Count(), 3);
  // Read again, the name has no object here: give it back to see the rule
  // itself refuse.
  second[2] = Thing(u"гриша", u"гриша", u"ИпЕч");
  EXPECT_FALSE(Apply(11, second, 1));
  token_line& alone = Reading({Form(u"возьми", u"взять", u"ПвЕч2лПф"), Sign(u","), Thing(u"гриша", u"гриша", u"ИпЕч")});
  EXPECT_TRUE(Apply(11, alone, 1));
}

TEST_F(combinators, CharactersWhoRefuse) {
  auto refusal = [&](const char16_t* name) {
    token_line& line = Reading({Thing(name, name, u"ИпЕч"), Sign(u","), Form(u"возьми", u"взять", u"ПвЕч2лПф")});
    EXPECT_TRUE(Apply(1, line, 0)) << utf8(name);
    // The reading ends in the refusal, which covers the whole line.
    EXPECT_EQ(line.i, 0);
    EXPECT_EQ(line.j, 3);
    EXPECT_EQ(line.joined.text, name);
    EXPECT_EQ(line.joined.meanings.Count(), 1);
    EXPECT_EQ(line.joined.meanings[0].v.Code(), kw::result_fail);
    EXPECT_EQ(line.characters[0], w.home.player);
    return line.errors.Count() == 1 ? utf8(line.errors[0].text.Text()) : "<errors: " + std::to_string(line.errors.Count()) + ">";
  };
  EXPECT_EQ(refusal(u"петя"), "Петя занят.");
  EXPECT_EQ(refusal(u"коля"), "Коля: не буду.");
  EXPECT_EQ(refusal(u"толя"), "NPC недееспособен.");
  EXPECT_EQ(refusal(u"федя"), "NPC недееспособен.");

  // A check that says nothing lets the character act.
  token_line& nods = Reading({Thing(u"гриша", u"гриша", u"ИпЕч"), Sign(u","), Form(u"возьми", u"взять", u"ПвЕч2лПф")});
  ASSERT_TRUE(Apply(1, nods, 0));
  EXPECT_EQ(nods.characters[0], Entity(u"гриша")->Id());
  EXPECT_EQ(nods.errors.Count(), 0);

  // Two characters for one name.
  token both = Thing(u"вася", u"вася", u"ИпЕч");
  both.AddMeaning(Meaning(kw::type_object, Entity(u"гриша"), 60, u"ИпЕч"));
  both.RebuildKeys();
  token_line& two = Reading({both, Sign(u","), Form(u"возьми", u"взять", u"ПвЕч2лПф")});
  EXPECT_EQ(Failure([&] { Apply(1, two, 0); }), "неоднозначный NPC");
  // A word is nobody to address.
  token_line& word = Reading({Form(u"лампа", u"лампа", u"ИпЕч"), Sign(u","), Form(u"возьми", u"взять", u"ПвЕч2лПф")});
  EXPECT_FALSE(Apply(1, word, 0));
}

TEST_F(combinators, ConjunctionsLeaveTheirValuesApart) {
  token_line& line = Reading({Thing(u"лампу", u"красная_лампа", u"ВпЕч"), Typed(u"и", {}), Thing(u"стол", u"стол", u"ВпЕч")});
  EXPECT_FALSE(Apply(14, line, 0));
  token_line& either = Reading({Thing(u"лампу", u"красная_лампа", u"ВпЕч"), Typed(u"или", {}), Thing(u"стол", u"стол", u"ВпЕч")});
  EXPECT_FALSE(Apply(15, either, 0));
  EXPECT_EQ(either.Count(), 3);
  EXPECT_EQ(either.joined.meanings.Count(), 0);
}

}  // namespace
