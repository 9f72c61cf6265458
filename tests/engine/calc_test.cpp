#include <gtest/gtest.h>

#include "code_world.h"
#include "location.h"
#include "test_support.h"

TEST(Calc, PrioritiesAndOrder) {
  code_world w;
  EXPECT_EQ(w.Text(u"2 + 3 * 4"), "14");
  EXPECT_EQ(w.Text(u"2 * 3 + 4"), "10");
  EXPECT_EQ(w.Text(u"10 - 3 - 2"), "5");
  EXPECT_EQ(w.Text(u"12 / 2 / 3"), "2");
  EXPECT_EQ(w.Text(u"(2 + 3) * 4"), "20");
  EXPECT_EQ(w.Text(u"-2 * 3"), "-6");
  EXPECT_EQ(w.Text(u"2 + 2 == 4"), "да");
  // Too few operands, or operands with nothing joining them.
  EXPECT_EQ(w.Text(u"2 +"), "<uncomputable>");
  EXPECT_EQ(w.Text(u"2 3"), "<uncomputable>");
}

TEST(Calc, AssignmentForms) {
  code_world w;
  EXPECT_EQ(w.Text(u"var x = 5"), "5");
  EXPECT_EQ(w.Text(u"x"), "5");
  EXPECT_EQ(w.Text(u"x += 2"), "7");
  EXPECT_EQ(w.Text(u"x++"), "8");
  EXPECT_EQ(w.Text(u"x--"), "7");
  EXPECT_EQ(w.Text(u"x *= 3"), "21");
  EXPECT_EQ(w.Text(u"x -= 1"), "20");
  EXPECT_EQ(w.Text(u"x /= 4"), "5");
  // Two assignments make the expression uncomputable, and change nothing.
  EXPECT_EQ(w.Text(u"x = 1 = 2"), "<uncomputable>");
  EXPECT_EQ(w.Text(u"x"), "5");
  EXPECT_EQ(wide_message([&] { w.Text(u"x = 1", false); }), "присвоение внутри условия или в вычисляемой строке!");
  EXPECT_EQ(wide_message([&] { w.Text(u"-x = 1"); }), "недопустимый оператор слева от присвоения!");
  EXPECT_EQ(wide_message([&] { w.Text(u"x + y = 1"); }), "недопустимый оператор слева от присвоения!");
  EXPECT_EQ(built_message([&] { w.Text(u"y = 1"); }), "переменная y не объявлена!");
}

TEST(Calc, SpecialPropertiesOfObjects) {
  code_world w;
  object* box = w.Create(kw::type_object, u"ящик");
  object* hero = w.Create(kw::type_object, u"герой");
  EXPECT_EQ(built_message([&] { w.Text(u"ящик.имя = \"сундук\""); }), "свойство \"имя\" только для чтения!");
  EXPECT_EQ(w.Text(u"ящик.opened = yes"), "да");
  EXPECT_TRUE(box->opened);
  EXPECT_EQ(w.Text(u"ящик.key = \"#мр\""), "#мр");
  EXPECT_EQ(box->own_keys, u"мр");
  EXPECT_EQ(wide_message([&] { w.Text(u"ящик.key = \"мр\""); }), "значение ключа должно быть ключём!");
  EXPECT_EQ(wide_message([&] { w.Text(u"ящик.defkey = 5"); }), "значение ключа должно быть строкой!");
  EXPECT_EQ(w.Text(u"ящик.цвет = \"синий\""), "синий");
  EXPECT_EQ(w.Text(u"ящик.цвет"), "синий");
  EXPECT_EQ(wide_message([&] { w.Text(u"5.цвет = 1"); }), "изменяемое свойство только для чтения!");
  EXPECT_EQ(wide_message([&] { w.Text(u"opened = yes"); }), "спецсвойство должно принадлежать объекту!");
  EXPECT_EQ(w.Text(u"pers = герой"), "ок");
  EXPECT_EQ(w.home.player, hero->Id());
  EXPECT_EQ(built_message([&] { w.Text(u"pers = 5"); }), "ожидался объект а не число");
  EXPECT_EQ(w.Text(u"speaker = герой"), "герой");
  EXPECT_EQ(w.home.characters[1], hero->Id());
  EXPECT_EQ(w.Text(u"speaker = null"), "null");
  EXPECT_EQ(w.home.characters[1], 0);
  EXPECT_EQ(wide_message([&] { w.Text(u"actor = 3"); }), "для роли речевого акта ожидался объект!");
  EXPECT_EQ(w.Text(u"ящик.synonym = \"Короб\""), "Короб");
  EXPECT_NE(w.home.FindWord(u"короб"), nullptr);
  EXPECT_EQ(wide_message([&] { w.Text(u"ящик.synonym = 5"); }), "ожидался объект или строка!");
}

TEST(Calc, WordFormsAndCodeOfTheObject) {
  code_world w;
  object* box = w.Create(kw::type_object, u"ящик");
  value result;
  EXPECT_TRUE(w.Compute(*box, u"#рд = \"ящика\"", true, result));
  int pos;
  ASSERT_TRUE(box->forms.Find(u"рд", pos));
  EXPECT_EQ(box->forms[pos].text, u"ящика");
  EXPECT_EQ(wide_message([&] { w.Compute(*box, u"#дт = 5", true, result); }), "словоформа может быть только строкой");
  EXPECT_EQ(wide_message([&] { w.Compute(u"#дт = \"ящику\"", true, result); }), "Calc(): invalid VarCtx!");
  // Inside its code, a keyword reads the object's own special property.
  box->opened = true;
  ASSERT_TRUE(w.Compute(*box, u"opened", false, result));
  EXPECT_EQ(w.Text(result), "да");
  ASSERT_TRUE(w.Compute(*box, u"this", false, result));
  EXPECT_EQ(result.GetEntity(), box);
}

TEST(Calc, ExitsOfLocations) {
  code_world w;
  auto* hall = static_cast<location*>(w.Create(kw::type_location, u"зал"));
  auto* yard = static_cast<location*>(w.Create(kw::type_location, u"двор"));
  EXPECT_EQ(w.Text(u"зал.north = двор"), "ок");
  EXPECT_EQ(hall->Exit(kw::dir_north).target, yard->Id());
  EXPECT_EQ(w.Text(u"зал.south = \"там стена\""), "ок");
  EXPECT_EQ(hall->Exit(kw::dir_south).text, u"там стена");
  EXPECT_EQ(wide_message([&] { w.Text(u"зал.east = fail"); }), "нет описания ошибки для направления!");
  EXPECT_EQ(wide_message([&] { w.Text(u"зал.east = 5"); }), "тип данных не подходит для направления");
  EXPECT_EQ(w.Text(u"зал.north = null"), "ок");
  EXPECT_EQ(hall->Exit(kw::dir_north).target, 0);
  w.Create(kw::type_object, u"ящик");
  EXPECT_EQ(wide_message([&] { w.Text(u"ящик.north = двор"); }), "ожидалась локация!");
}

TEST(Calc, NamesNullsAndLists) {
  code_world w;
  EXPECT_EQ(w.Text(u"1 + \"\""), "1");
  EXPECT_EQ(w.Text(u"null + 5"), "5");
  EXPECT_EQ(w.Text(u"5 - null"), "5");
  EXPECT_EQ(w.Text(u"null - 5"), "null");
  EXPECT_EQ(w.Text(u"неизвестное"), "null");
  EXPECT_EQ(wide_message([&] { w.Text(u"1 / 0"); }), "деление на ноль");
  EXPECT_EQ(w.Text(u"var l = \"а\" and \"б\" and \"в\""), "и-список");
  EXPECT_EQ(w.Text(u"l[2]"), "б");
  EXPECT_EQ(w.Text(u"l[0]"), "null");
  EXPECT_EQ(w.Text(u"l[4]"), "null");
  EXPECT_EQ(w.Text(u"7[1]"), "7");
  EXPECT_EQ(wide_message([&] { w.Text(u"[1]"); }), "ожидалось значение перед скобками[]");
  // A variable hides an entity of the same name; an attribute's name does not.
  w.Create(kw::type_object, u"ящик");
  w.Create(kw::type_attribute, u"красный");
  EXPECT_EQ(w.Text(u"ящик"), "ящик");
  EXPECT_EQ(w.Text(u"var ящик = 3"), "3");
  EXPECT_EQ(w.Text(u"ящик"), "3");
  EXPECT_EQ(w.Text(u"var красный = 3"), "3");
  EXPECT_EQ(w.Text(u"красный"), "красный");
}

TEST(Calc, DiceAndClasses) {
  code_world w;
  for (int i = 0; i < 50; ++i) {
    value roll;
    ASSERT_TRUE(w.Compute(u"2d6", false, roll));
    EXPECT_GE(roll.GetNumber(), 2);
    EXPECT_LE(roll.GetNumber(), 12);
  }
  EXPECT_EQ(w.Text(u"3d1"), "3");
  object* coin = w.Create(kw::type_class, u"монета");
  value counted;
  ASSERT_TRUE(w.Compute(u"5 @монета", false, counted));
  EXPECT_EQ(counted.GetNumber(), 5);
  EXPECT_EQ(counted.Associated(), coin);
  // A class alone in an object's code gives the object that class.
  object* box = w.Create(kw::type_object, u"копилка");
  value result;
  ASSERT_TRUE(w.Compute(*box, u"@монета", true, result));
  EXPECT_TRUE(box->IsOfClass(coin->Id()));
}

// The middle text inside `depth` pairs of brackets.
wstring nested(char16_t open, const char16_t* middle, char16_t close, int depth) {
  wstring text;
  for (int i = 0; i < depth; ++i) text += open;
  text += middle;
  for (int i = 0; i < depth; ++i) text += close;
  return text;
}

TEST(Calc, DeepNestingFailsWithAMessage) {
  code_world w;
  // All the time it needs on a loaded machine: the depth decides.
  w.in.Budget() = command_budget(600000, 256);
  const wstring brackets = nested(u'(', u"1", u')', 100000);
  EXPECT_EQ(wide_message([&] { w.Text(brackets.Text()); }), "слишком глубокая вложенность кода!");
  const wstring blocks = nested(u'{', u"x = 1", u'}', 100000);
  EXPECT_EQ(wide_message([&] { w.Run(blocks.Text()); }), "слишком глубокая вложенность кода!");
  // The interpreter is whole again afterwards.
  EXPECT_EQ(w.Text(u"((1 + 1))"), "2");
}

// Keys right after an operand put its text in the form they name.
TEST(Calc, KeysAfterAnOperandChooseItsForm) {
  code_world w;
  object* lamp = w.Create(kw::type_object, u"лампа");
  lamp->AddForm(u"#ИпЕч", u"лампа");
  lamp->AddForm(u"#ВпЕч", u"лампу");
  lamp->AddForm(u"#РпЕч", u"лампы");
  object* key = w.Create(kw::type_object, u"ключ");
  key->AddForm(u"#ИпЕч", u"ключ");
  key->AddForm(u"#РпЕч", u"ключа");
  auto text = [&](const char16_t* expression) {
    value result;
    if (!w.Compute(expression, true, result)) return std::string("<uncomputable>");
    bool missing;
    wstring written = result.ToString(&w.home, &w.home, nullptr, 0, missing);
    return encode_utf8(written.Text(), size_t(written.Length()));
  };
  EXPECT_EQ(text(u"лампа #Вп"), "лампу");
  EXPECT_EQ(text(u"лампа (\"#\" + \"Рп\")"), "лампы");
  // The keys asked for win over those the value carries already.
  EXPECT_EQ(text(u"лампа #Вп #Рп"), "лампы");
  // A list takes the keys for each element; "." binds tighter.
  EXPECT_EQ(text(u"лампа and ключ #Рп"), "лампы и ключа");
  EXPECT_EQ(text(u"\"Нет \" + ключ #Рп + \".\""), "Нет ключа.");
  // Keys after an operator, or a bracket that gives no keys, are what they were.
  EXPECT_EQ(text(u"\"#Ип\" == #Ип"), "да, ключ совпал");
  EXPECT_EQ(text(u"лампа (5)"), "<uncomputable>");
  EXPECT_EQ(text(u"2 #Вп"), "2");
}
