// Binary operators: the common steps, arithmetic, lists, truths, keys,
// comparison, the relations that test or act, speech and commands told.

#include <climits>

#include "operator_fixture.h"

namespace {

using operations = operator_test;

const value yes = value::Keyword(kw::result_yes);
const value no = value::Keyword(kw::result_no);
const value unknown = value::Keyword(kw::result_unknown);
const value null;

TEST_F(operations, CodesNullsAndConcatenation) {
  for (const char16_t* bad : {u"", u"\x01", u"\u0416"})
    EXPECT_EQ(wide_message([&] { Applies(value::Number(1), bad, value::Number(1)); }), "!Operation(): invalid Op!");
  EXPECT_EQ(built_message([&] { Applies(value::Number(1), u"q", value::Number(1)); }), "Неизвестный оператор - q");
  const value unclear = value::Keyword(kw::result_unclear);
  EXPECT_FALSE(Applies(unclear, u"+", value::Number(1)));
  EXPECT_FALSE(Applies(null, u"CMP", unclear));

  EXPECT_EQ(Op(value::Number(1), u"+", value::String(u"")).Text(), u"1");
  EXPECT_EQ(Op(value::String(u"ход "), u"+", value::Number(2)).Text(), u"ход 2");
  EXPECT_EQ(Op(value::String(u"а"), u"+", value::String(u"б")).Text(), u"аб");
  EXPECT_EQ(Op(null, u"+", value::Number(5)).GetNumber(), 5);
  EXPECT_EQ(Op(value::Number(5), u"+", null).GetNumber(), 5);
  EXPECT_EQ(Op(value::Number(5), u"-", null).GetNumber(), 5);
  EXPECT_TRUE(Op(null, u"-", value::Number(5)).IsNull());
  EXPECT_TRUE(Op(null, u"*", value::Number(5)).IsNull());
  EXPECT_EQ(Op(value::Number(5), u"/", null).GetNumber(), 5);
  EXPECT_EQ(Op(yes, u",", null).Code(), kw::result_yes);
  // Every other operator gives null, an unknown one too.
  for (const char16_t* op : {u"<", u">", u"&&", u"||", u".", u"[", u"is", u"AND", u"q"})
    EXPECT_TRUE(Op(null, op, value::Number(5)).IsNull()) << utf8(op);
  EXPECT_EQ(Said(null, u"CMP", null), "да");
  EXPECT_EQ(Said(value::Number(5), u"CMP", null), "нет");
  EXPECT_FALSE(Applies(value::Number(1), u"+", yes));
}

TEST_F(operations, ArithmeticWrapsAndRefusesZero) {
  EXPECT_EQ(Op(value::Number(7), u"-", value::Number(9)).GetNumber(), -2);
  EXPECT_EQ(Op(value::Number(6), u"*", value::Number(-7)).GetNumber(), -42);
  EXPECT_EQ(Op(value::Number(-7), u"/", value::Number(2)).GetNumber(), -3);
  EXPECT_EQ(Op(value::Number(INT_MAX), u"+", value::Number(1)).GetNumber(), INT_MIN);
  EXPECT_EQ(Op(value::Number(INT_MIN), u"/", value::Number(-1)).GetNumber(), INT_MIN);
  EXPECT_EQ(Op(value::Number(2), u"AND", value::Number(3)).GetNumber(), 5);
  EXPECT_EQ(wide_message([&] { Applies(value::Number(1), u"/", value::Number(0)); }), "деление на ноль");
  EXPECT_FALSE(Applies(value::String(u"а"), u"-", value::Number(1)));
  EXPECT_FALSE(Applies(value::Number(2), u"*", value::String(u"ключ")));
}

TEST_F(operations, UnknownValueMarkerPropagates) {
  const value two = Marked(value::Number(2), u"Не");
  for (const char16_t* op : {u"+", u"-", u"*", u"/", u"AND"}) {
    value result = Op(two, op, value::Number(1));
    EXPECT_EQ(result.KeyText(), u"nvНе") << utf8(op);
  }
  EXPECT_EQ(Op(value::Number(1), u"+", two).KeyText(), u"nvНе");
  value joined = Op(two, u"+", value::String(u" шт"));
  EXPECT_EQ(joined.Text(), u"2 шт");
  EXPECT_EQ(joined.KeyText(), u"svНе");
  EXPECT_EQ(Op(value::Number(2), u"+", value::Number(1)).KeyText(), u"");
  EXPECT_FALSE(Applies(two, u"+", two));
  EXPECT_FALSE(Applies(two, u"CMP", Marked(value::String(u"x"), u"Не")));
  EXPECT_EQ(Op(two, u">", value::Number(1)).Code(), kw::result_unknown);
  EXPECT_EQ(Op(value::Number(1), u">", two).Code(), kw::result_unknown);
  EXPECT_EQ(Said(two, u"<", value::Number(3)), "да, меньше");
  EXPECT_EQ(Said(two, u"CMP", value::Number(2)), "нет, различны");
}

TEST_F(operations, NegatedCodesNegateTruthsOnly) {
  EXPECT_EQ(Said(value::Number(1), u"C!", value::Number(2)), "да, различны");
  EXPECT_EQ(Said(value::Number(2), u">!", value::Number(1)), "нет, больше");
  EXPECT_EQ(Said(value::Number(2), u"<!", value::Number(1)), "да, не меньше");
  EXPECT_EQ(Said(value::Number(2), u"i!", value::Number(2)), "нет");
  EXPECT_EQ(Op(Marked(value::Number(2), u"Не"), u">!", value::Number(1)).Code(), kw::result_unknown);
  EXPECT_EQ(Op(value::Number(1), u"+!", value::Number(2)).GetNumber(), 3);
}

TEST_F(operations, EveryComparisonComment) {
  object* lamp = Make(kw::type_object, u"лампа");
  object* box = Make(kw::type_object, u"ящик");
  const value north = value::Keyword(kw::dir_north);
  const struct {
    value left, right;
    std::string said;
  } rows[] = {
      {value::Number(1), value::Number(1), "да, равно"},
      {value::Number(1), value::Number(2), "нет, различны"},
      {value::String(u"а"), value::String(u"а"), "да, строки равны"},
      {value::String(u"а"), value::String(u"А"), "нет, строки различны"},
      {value::String(u"#РпЕч"), value::String(u"#Рп"), "да, ключ совпал"},
      {value::String(u"#Рп"), value::String(u"#Дп"), "нет, ключ не совпал"},
      {value::Number(1), value::String(u"1"), "нет, значения различных типов"},
      {Of(lamp), Of(lamp), "да,  это одно и тоже"},
      {Of(lamp), Of(box), "нет,  это разное"},
      {yes, yes, "да"},
      {yes, no, "нет"},
      {north, north, "да"},
      {north, value::Keyword(kw::dir_south), "нет"},
      {value::Keyword(kw::prp_name), value::Keyword(kw::prp_name), "да"},
      {List(kw::type_and_list, {Of(lamp), Of(box)}), List(kw::type_and_list, {Of(lamp), Of(box)}),
       "нет, и-список и и-список - это несравнимые значения"},
      // An or-list on the left is equal when one of its elements is.
      {List(kw::type_or_list, {value::Number(1), value::Number(2)}), value::Number(2), "да, равно"},
      {List(kw::type_or_list, {value::Number(1), value::Number(2)}), value::Number(3), "нет, различны"},
  };
  for (const auto& row : rows) EXPECT_EQ(Said(row.left, u"CMP", row.right), row.said) << row.said;
}

TEST_F(operations, GreaterLessAndTruths) {
  EXPECT_EQ(Said(value::Number(2), u">", value::Number(1)), "да, больше");
  EXPECT_EQ(Said(value::Number(1), u">", value::Number(1)), "нет, не больше");
  EXPECT_EQ(Said(value::Number(1), u"<", value::Number(2)), "да, меньше");
  EXPECT_EQ(Said(value::Number(2), u"<", value::Number(2)), "нет, не меньше");
  EXPECT_FALSE(Applies(value::String(u"а"), u">", value::Number(1)));
  EXPECT_FALSE(Applies(value::Number(1), u"<", value::String(u"а")));

  const struct {
    int left, right, both, either;
  } truths[] = {
      {kw::result_yes, kw::result_yes, kw::result_yes, kw::result_yes},
      {kw::result_ok, kw::result_yes, kw::result_yes, kw::result_yes},
      {kw::result_yes, kw::result_no, kw::result_no, kw::result_yes},
      {kw::result_unknown, kw::result_yes, kw::result_unknown, kw::result_yes},
      {kw::result_no, kw::result_unknown, kw::result_no, kw::result_unknown},
      {kw::result_fail, kw::result_no, kw::result_no, kw::result_no},
  };
  for (const auto& t : truths) {
    EXPECT_EQ(Op(value::Keyword(t.left), u"&&", value::Keyword(t.right)).Code(), t.both) << t.left << t.right;
    EXPECT_EQ(Op(value::Keyword(t.left), u"||", value::Keyword(t.right)).Code(), t.either) << t.left << t.right;
  }
  EXPECT_FALSE(Applies(yes, u"&&", value::Number(1)));
  EXPECT_FALSE(Applies(value::Number(1), u"||", no));
  EXPECT_EQ(Said(no, u",", value::Number(12)), "нет, 12");
  EXPECT_FALSE(Applies(value::Number(1), u",", value::String(u"текст")));
}

TEST_F(operations, ListsIndexingAndRemoval) {
  object* a = Make(kw::type_object, u"а");
  object* b = Make(kw::type_object, u"б");
  object* c = Make(kw::type_object, u"в");
  value both = Op(Of(a), u"AND", Of(b));
  EXPECT_EQ(both.Type(), kw::type_and_list);
  EXPECT_EQ(Text(both), "а и б");
  EXPECT_EQ(Text(Op(Of(a), u"or", Of(b))), "а или б");
  EXPECT_FALSE(Applies(yes, u"AND", Of(a)));
  EXPECT_FALSE(Applies(Of(a), u"or", no));

  value three = Op(both, u"AND", Of(c));
  EXPECT_EQ(Op(three, u"[", value::Number(1)).GetEntity(), a);
  EXPECT_EQ(Op(three, u"[", value::Number(3)).GetEntity(), c);
  EXPECT_TRUE(Op(three, u"[", value::Number(0)).IsNull());
  EXPECT_TRUE(Op(three, u"[", value::Number(4)).IsNull());
  EXPECT_EQ(Op(Of(a), u"[", value::Number(1)).GetEntity(), a);
  EXPECT_TRUE(Op(Of(a), u"[", value::Number(2)).IsNull());
  EXPECT_EQ(wide_message([&] { Applies(three, u"[", value::String(u"1")); }), "в скобках[] ожидалось число");

  EXPECT_EQ(Text(Op(three, u"-", Of(b))), "а и в");
  EXPECT_TRUE(Op(Op(both, u"-", Of(a)), u"-", Of(b)).IsNull());
  EXPECT_TRUE(Op(Of(a), u"-", Of(a)).IsNull());
  EXPECT_EQ(Op(Of(a), u"-", Of(b)).GetEntity(), a);
  EXPECT_FALSE(Applies(three, u"-", value::Number(1)));
  EXPECT_TRUE(Op(Of(a), u":", Of(b)).IsNull());
  EXPECT_TRUE(Op(Of(a), u"%", Of(b)).IsNull());
}

TEST_F(operations, KeyCombinationsAndFilters) {
  EXPECT_EQ(Op(value::String(u"#Ип"), u"*", value::String(u"#Рп")).Text(), u"#Рп");
  EXPECT_EQ(Op(value::String(u"#Ип"), u"~", value::String(u"#Рп")).Text(), u"#Ип");
  EXPECT_EQ(Op(value::String(u"#Ип"), u"*", value::String(u"#Еч")).Text(), u"#ИпЕч");
  object* cat = Make(kw::type_object, u"кот");
  cat->own_keys = u"Мр";
  EXPECT_EQ(Op(Of(cat), u"*", value::String(u"#Рп")).Text(), u"#ooovРпМрЕч");
  EXPECT_FALSE(Applies(Of(cat), u"~", value::Number(1)));

  object* dog = Make(kw::type_object, u"пёс");
  dog->own_keys = u"Жр";
  object* red = Make(kw::type_attribute, u"рыжий");
  object* pets = Make(kw::type_class, u"питомец");
  cat->SetVariable(u"рыжий", yes, false, false);
  dog->SetVariable(u"рыжий", no, false, false);
  dog->SetClass(Of(pets));
  value animals = List(kw::type_and_list, {Of(cat), Of(dog)});
  EXPECT_EQ(Op(animals, u"/", Of(red)).GetEntity(), cat);
  EXPECT_EQ(Op(animals, u"/", Of(pets)).GetEntity(), dog);
  EXPECT_EQ(Op(animals, u"/", value::String(u"#Жр")).GetEntity(), dog);
  EXPECT_EQ(Op(Of(cat), u"/", Of(red)).GetEntity(), cat);
  EXPECT_TRUE(Op(Of(dog), u"/", Of(red)).IsNull());
  EXPECT_TRUE(Op(Of(cat), u"/", Of(pets)).IsNull());
  EXPECT_TRUE(Op(Of(cat), u"/", value::String(u"#Жр")).IsNull());
  EXPECT_FALSE(Applies(value::String(u"кот"), u"/", Of(red)));
  const value forgotten = Of(red);
  home.Destroy(red);
  EXPECT_EQ(wide_message([&] { Applies(animals, u"/", forgotten); }), "Operation(list/Attribute) - invalid Attribute");
}

TEST_F(operations, TypeAndClassTests) {
  EXPECT_EQ(Said(value::Number(5), u"is", value::Keyword(kw::type_number)), "да, тип совпал");
  EXPECT_EQ(Said(value::String(u"5"), u"is", value::Keyword(kw::type_number)), "нет, тип не совпадает");
  EXPECT_EQ(wide_message([&] { Applies(value::Number(5), u"is", value::Keyword(kw::type_string), true); }),
            "невозможно изменить тип значения!");
  EXPECT_EQ(Op(value::Number(3), u"is", value::Number(3)).Code(), kw::result_yes);
  EXPECT_EQ(Op(value::Number(3), u"is", value::Number(4)).Code(), kw::result_no);

  object* lamp = Make(kw::type_object, u"лампа");
  object* torch = Make(kw::type_object, u"факел");
  object* light = Make(kw::type_class, u"свет");
  EXPECT_EQ(Op(Of(lamp), u"is", Of(light)).Code(), kw::result_no);
  EXPECT_EQ(Said(Of(lamp), u"is", Of(light), true), "ок, добавлен класс");
  EXPECT_TRUE(lamp->IsOfClass(light->Id()));
  EXPECT_EQ(Op(Of(lamp), u"is", Of(light)).Code(), kw::result_yes);
  EXPECT_EQ(Op(List(kw::type_and_list, {Of(lamp), Of(torch)}), u"is", Of(light)).Code(), kw::result_no);
  EXPECT_EQ(Op(List(kw::type_or_list, {Of(torch), Of(lamp)}), u"is", Of(light)).Code(), kw::result_yes);
  EXPECT_EQ(Said(List(kw::type_and_list, {Of(lamp), Of(torch)}), u"is", Of(light), true), "да, добавлен класс");
  EXPECT_TRUE(torch->IsOfClass(light->Id()));
  EXPECT_FALSE(Applies(Of(lamp), u"is", value::String(u"свет")));
}

TEST_F(operations, Likeness) {
  object* lamp = Make(kw::type_object, u"лампа");
  object* light = Make(kw::type_class, u"свет");
  object* box = Make(kw::type_object, u"ящик");
  EXPECT_EQ(Said(Of(lamp), u"like", Of(light)), "нет, нет подобия");
  EXPECT_EQ(Said(Of(lamp), u"like", Of(light), true), "ок, добавлено подобие");
  EXPECT_EQ(Said(Of(lamp), u"like", Of(light)), "да, подобно");
  EXPECT_FALSE(Applies(Of(lamp), u"like", Of(lamp)));
  EXPECT_FALSE(Applies(Of(box), u"like", Of(lamp), true));
  EXPECT_EQ(wide_message([&] { Applies(List(kw::type_and_list, {Of(lamp), Of(box)}), u"like", Of(light)); }),
            "Operation() 'l': операция подобия для списков не реализована!");
}

TEST_F(operations, SixPlacements) {
  const struct {
    const char16_t* op;
    int axis, step;
  } rows[] = {{u"above", 2, 1},    {u"below", 2, -1},  {u"north_of", 1, 1},
              {u"south_of", 1, -1}, {u"east_of", 0, 1}, {u"west_of", 0, -1}};
  location* hall = Room(u"зал");
  location* attic = Room(u"чердак");
  hall->plane = u"дом";
  hall->position[0] = 10, hall->position[1] = 20, hall->position[2] = 30;
  for (const auto& row : rows) {
    SCOPED_TRACE(utf8(row.op));
    EXPECT_EQ(Said(Of(attic), row.op, Of(hall), true), "ок, локация позиционирована");
    EXPECT_EQ(attic->plane, u"дом");
    for (int axis = 0; axis < 3; ++axis)
      EXPECT_EQ(attic->position[axis], hall->position[axis] + (axis == row.axis ? row.step : 0));
    EXPECT_EQ(Op(Of(attic), row.op, Of(hall)).Code(), kw::result_yes);
    EXPECT_EQ(Op(Of(hall), row.op, Of(attic)).Code(), kw::result_no);
    attic->plane = u"сон";
    EXPECT_EQ(Op(Of(attic), row.op, Of(hall)).Code(), kw::result_no);
  }
  object* box = Make(kw::type_object, u"ящик");
  EXPECT_EQ(wide_message([&] { Applies(Of(box), u"above", Of(hall)); }),
            "установить взаимное расположение можно только для локаций");
  value gone = Of(attic);
  home.Destroy(attic);
  EXPECT_EQ(wide_message([&] { Applies(gone, u"below", Of(hall), true); }), "локация не найдена");
}

TEST_F(operations, InsideTestsInAConditionAndMovesInAnAction) {
  location* room = Room(u"комната");
  object* box = Make(kw::type_object, u"ящик");
  EXPECT_EQ(Said(Of(box), u"INSIDE", Of(room)), "нет");
  EXPECT_EQ(Said(Of(box), u"INSIDE", Of(room), true), "ок, объект перемещён");
  EXPECT_EQ(box->Parent(), room);
  EXPECT_EQ(Said(Of(box), u"INSIDE", Of(room)), "да, внутри");
  EXPECT_EQ(Said(Of(box), u"OUTSIDE", Of(room)), "нет");
  EXPECT_EQ(Said(Of(box), u"OUTSIDE", Of(room), true), "ок, объект перемещён");
  EXPECT_EQ(Said(Of(box), u"OUTSIDE", Of(room)), "да, снаружи");
  object* lid = Make(kw::type_object, u"крышка");
  EXPECT_EQ(Said(Of(lid), u"PART", Of(box), true), "ок, объект перемещён");
  EXPECT_EQ(Said(Of(lid), u"PART", Of(box)), "да, часть");
  EXPECT_EQ(Said(Of(lid), u"I!", Of(box)), "да");

  object* cls = Make(kw::type_class, u"тара");
  EXPECT_EQ(Op(Of(box), u"INSIDE", Of(cls)).Code(), kw::result_no);
  EXPECT_EQ(built_message([&] { Applies(value::Number(1), u"INSIDE", Of(box), true); }),
            "неподходящие типы объектов в операции: число, объект");
  value gone = Of(lid);
  home.Destroy(lid);
  EXPECT_EQ(wide_message([&] { Applies(gone, u"PART", Of(box)); }), "объекты не найдены");
}

TEST_F(operations, CharacterSpeechIsPrintedInTheCharactersVoice) {
  object* vasya = Make(kw::type_object, u"Вася");
  EXPECT_EQ(wide_message([&] { Applies(Of(vasya), u">", value::String(u"привет")); }),
            "Operation(>) нет вывода для реплики персонажа!");
  recording_operator_host host;
  home.SetOperatorHost(&host);
  EXPECT_EQ(Said(Of(vasya), u">", value::String(u"привет")), "ок, персонаж выдал фразу");
  EXPECT_EQ(Said(Of(vasya), u">", value::Number(3)), "ок, персонаж выдал фразу");
  EXPECT_EQ(host.printed, (std::vector<std::u16string>{u"\nВася: привет", u"\nВася: 3"}));
  EXPECT_FALSE(Applies(value::String(u"Вася"), u">", value::String(u"привет")));
}

// Phrases are worded in a context whose speaker is the character: a word
// form method called for them sees it.
class speaker_recorder : public code_runner {
 public:
  c_array<wstring, wstring> CodeLines(const wstring&) override { return {}; }
  value RunSource(const wstring&, context&) override { return value(); }
  value RunMethod(object&, const wstring&, context& ctx) override {
    speakers.push_back(ctx.Parent()->characters[1]);
    return value::String(u"яблочко");
  }
  value Evaluate(variable&, context&, context&) override { return value(); }
  void EnterLevel() override {}
  void LeaveLevel() override {}
  void ChargeMemory(size_t) override {}
  std::vector<int32_t> speakers;
};

TEST_F(operations, SpeechIsWordedWithTheCharacterAsSpeaker) {
  speaker_recorder runner;
  recording_operator_host host;
  home.SetRunner(&runner);
  home.SetOperatorHost(&host);
  object* word = Make(kw::type_word, u"яблоко");
  word->SetVariable(u"_get_form", value(), true, false);
  word->FindVariable(u"_get_form")->is_computed = true;
  object* apple = Make(kw::type_object, u"яблоко_1");
  object* vasya = Make(kw::type_object, u"Вася");
  Op(Of(vasya), u">", Of(apple));
  EXPECT_EQ(runner.speakers, (std::vector<int32_t>{vasya->Id()}));
  EXPECT_EQ(host.printed, (std::vector<std::u16string>{u"\nВася: яблочко"}));
  EXPECT_EQ(code.characters[1], 0);
}

TEST_F(operations, CommandsToldToCharacters) {
  object* vasya = Make(kw::type_object, u"Вася");
  const value order = value::String(u"иди на север");
  EXPECT_EQ(wide_message([&] { Applies(Of(vasya), u"<", order); }), "Operation(<) нет разбора команд для персонажа!");
  recording_operator_host host;
  home.SetOperatorHost(&host);
  EXPECT_EQ(Said(Of(vasya), u"<", order), "ок, выполнено");
  ASSERT_EQ(host.told_to.size(), 1u);
  EXPECT_EQ(host.told_to[0].first, vasya);
  EXPECT_EQ(host.told_to[0].second, u"иди на север");
  host.outcome = operator_host::told::information;
  EXPECT_EQ(Op(Of(vasya), u"<", order).Text(),
            u"Вы сообщили NPC очень важную информацию. К сожалению, эта функциональность пока не реализована");
  host.outcome = operator_host::told::unparsable;
  host.error = u"не понимаю";
  value answer = Op(Of(vasya), u"<", order);
  EXPECT_EQ(answer.Type(), kw::type_string);
  EXPECT_EQ(answer.Text(), u"не понимаю");
  EXPECT_FALSE(Applies(Of(vasya), u"<", value::Number(1)));
}

}  // namespace
