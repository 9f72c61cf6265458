// Declarations of objects, classes, words, typed things and game functions.

#include <gtest/gtest.h>

#include "code_world.h"
#include "obj_word.h"
#include "test_support.h"

namespace {

struct declarations : ::testing::Test {
  // The message a program fails with.
  std::string Failure(const char16_t* code) {
    try {
      w.Run(code);
    } catch (const char16_t* message) {
      return utf8(message);
    } catch (const wstring& message) {
      return encode_utf8(message.Text(), size_t(message.Length()));
    }
    return "<nothing thrown>";
  }
  object* Object(const char16_t* name) { return w.home.FindObject(context::NormalisedName(name)); }
  std::string Comment(const value& v) { return encode_utf8(v.Text().Text(), size_t(v.Text().Length())); }

  code_world w;
};

TEST_F(declarations, EachFormMakesItsKindOfThing) {
  value made = w.Run(u"стол {\n x = 1\n y = 2\n}");
  ASSERT_EQ(made.Type(), kw::type_object);
  EXPECT_EQ(made.GetEntity(), Object(u"стол"));
  value cls = w.Run(u"@мебель {\n a = 1\n b = 2\n}");
  EXPECT_EQ(cls.GetEntity(), w.home.FindClass(u"мебель"));
  value word = w.Run(u"$дверь {\n a = 1\n b = 2\n}");
  EXPECT_EQ(word.GetEntity(), w.home.FindWord(u"дверь"));
  EXPECT_EQ(w.Run(u"attribute красный {}").Type(), kw::type_attribute);
  EXPECT_EQ(w.Run(u"relation друг {}").Type(), kw::type_relation);
  EXPECT_EQ(w.Run(u"act удар {}").Type(), kw::type_act);
  EXPECT_EQ(w.Run(u"локация кухня {}").Type(), kw::type_location);
  value preposition = w.Run(u"preposition в {во мне}");
  ASSERT_EQ(preposition.Type(), kw::type_preposition);
  // The block of a preposition is its description, not code.
  EXPECT_EQ(utf8(static_cast<obj_word*>(preposition.GetEntity())->GetPreposition(u"мне").Text()), "во");
  EXPECT_TRUE(preposition.GetEntity()->SourceText().IsEmpty());
}

TEST_F(declarations, ASecondDeclarationAppendsCodeAndRunsWhatItAdds) {
  w.Run(u"ящик {\n %%первый\n цвет = \"синий\"\n}");
  object* box = Object(u"ящик");
  w.Run(u"ящик {\n %%второй\n вес = 3\n}");
  EXPECT_EQ(Object(u"ящик"), box);
  EXPECT_NE(box->SourceText().Find(u"вес = 3"), -1);
  EXPECT_NE(box->SourceText().Find(u"цвет"), -1);
  // Only the code added runs: what ran before is not run again.
  EXPECT_EQ(utf8(w.host.printed), "первыйвторой");
  EXPECT_EQ(w.Text(u"ящик.вес"), "3");
}

TEST_F(declarations, TypesMayNotChange) {
  w.Run(u"ящик {}");
  EXPECT_EQ(Failure(u"location ящик {}"), "переопределение типа объекта!");
  w.Run(u"location зал {}");
  EXPECT_EQ(Failure(u"зал {}"), "переопределение типа объекта!");
  EXPECT_EQ(Failure(u"attribute зал {}"), "переопределение типа объекта!");
  // Reused when the type matches, also by the long form of object.
  value hall = w.Run(u"location зал {}");
  EXPECT_EQ(hall.GetEntity(), Object(u"зал"));
  value box = w.Run(u"object ящик {}");
  EXPECT_EQ(box.GetEntity(), Object(u"ящик"));
  // An object and a class of one name stand apart.
  EXPECT_EQ(w.Run(u"@ящик {}").Type(), kw::type_class);
}

TEST_F(declarations, LongFormsOfObjectClassAndWordOnlyReuse) {
  EXPECT_EQ(Failure(u"object стол {}"), "ошибка синтаксиса в конструкторе объекта!");
  EXPECT_EQ(Failure(u"class мебель {}"), "ошибка синтаксиса в конструкторе объекта!");
  EXPECT_EQ(Failure(u"word дверь {}"), "ошибка синтаксиса в конструкторе объекта!");
  EXPECT_EQ(Object(u"стол"), nullptr);
  w.Run(u"@мебель {}");
  value cls = w.Run(u"class мебель {}");
  EXPECT_EQ(cls.GetEntity(), w.home.FindClass(u"мебель"));
}

TEST_F(declarations, ComputedNames) {
  w.Run(u"var метка = \"шкаф\"\nattribute (метка + \"_1\") {}");
  ASSERT_NE(Object(u"шкаф_1"), nullptr);
  EXPECT_EQ(Object(u"шкаф_1")->Type(), kw::type_attribute);
  // A leading "@" of a computed name is dropped.
  value cellar = w.Run(u"location (\"@подвал\") {}");
  EXPECT_EQ(cellar.GetEntity(), Object(u"подвал"));
  EXPECT_EQ(Failure(u"location (1 + 2) {}"), "вычисленное имя объекта должно быть строкой!");
  EXPECT_EQ(Failure(u"location (1 +) {}"), "ошибка синтаксиса внутри вычисляемого имени объекта!");
  EXPECT_EQ(Failure(u"location (\"@\") {}"), "ObjConstruct(): invalid Obj");
}

TEST_F(declarations, LinesOfOtherShapesAreNoDeclarations) {
  // A type keyword alone before a brace group is evaluated as an expression.
  EXPECT_EQ(Failure(u"location {x}"), "ошибка синтаксиса в выражении!");
  EXPECT_EQ(Failure(u"5 {x}"), "ошибка синтаксиса в выражении!");
  EXPECT_EQ(w.home.objects.Count(), 0);
  EXPECT_EQ(Failure(u"стол {}\n | 2"), "при создании объектов и функций альтернативные конструкции недопустимы!");
  EXPECT_EQ(Object(u"стол"), nullptr);
}

TEST_F(declarations, AnUntakenBranchDeclaresNothing) {
  w.Run(u"if (no) стол {}");
  EXPECT_EQ(Object(u"стол"), nullptr);
  w.Run(u"if (yes) стол {}");
  EXPECT_NE(Object(u"стол"), nullptr);
}

TEST_F(declarations, TheFirstPassMakesThingsAndRunsNothing) {
  w.home.declaration_pass = 1;
  value made = w.Run(u"x = 5\nящик {\n цвет = \"синий\"\n вес = 2\n}\nвыражение(мера) {1}\nдействие(взять) = действие(мера)");
  EXPECT_TRUE(made.IsNull());
  object* box = Object(u"ящик");
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->SourceText().IsEmpty());
  EXPECT_EQ(w.home.Variables().Count(), 0);
  EXPECT_EQ(w.home.functions.Functions().Count(), 1);
  // The second pass runs the code and declares the synonym, not the body.
  w.home.declaration_pass = 2;
  value synonym = w.Run(u"ящик {\n цвет = \"синий\"\n вес = 2\n}\nвыражение(мера) {1}\nдействие(взять) = действие(мера)");
  EXPECT_EQ(Comment(synonym), "добавлен синоним функции");
  EXPECT_EQ(w.Text(u"ящик.вес"), "2");
  EXPECT_EQ(w.home.functions.Functions().Count(), 2);
}

TEST_F(declarations, FunctionsAndTheirSynonyms) {
  w.home.loading = true;
  value first = w.Run(u"действие(взять предмет) {\n--execute--\nreturn ok\n}");
  EXPECT_EQ(first.Code(), kw::result_ok);
  EXPECT_EQ(Comment(first), "функция добавлена");
  value again = w.Run(u"действие(взять вещь) {1}");
  EXPECT_EQ(again.Code(), kw::result_no);
  EXPECT_EQ(Comment(again), "такая функция уже есть!");
  EXPECT_EQ(Comment(w.Run(u"действие(хватать предмет) = действие(взять предмет)")), "добавлен синоним функции");
}

TEST_F(declarations, FunctionDeclarationsOfTheWrongShape) {
  EXPECT_EQ(Failure(u"action(взять) = fact(взять)"), "ошибка синтаксиса!");
  EXPECT_EQ(Failure(u"action(взять) == action(держать)"), "ошибка синтаксиса!");
  EXPECT_EQ(Failure(u"action {x}"), "ошибка синтаксиса!");
  EXPECT_EQ(Failure(u"action(взять) (x)"), "ошибка синтаксиса!");
  EXPECT_EQ(Failure(u"action"), "ошибка синтаксиса!");
  EXPECT_EQ(Failure(u"action(a) {1} | 2"), "при создании объектов и функций альтернативные конструкции недопустимы!");
  EXPECT_EQ(w.home.functions.Functions().Count(), 0);
}

TEST_F(declarations, ThingsMadeInAnObjectsCodeAreInsideIt) {
  w.Run(u"шкаф {\n полка {\n a = 1\n b = 2\n }\n c = 3\n}");
  object* shelf = Object(u"полка");
  ASSERT_NE(shelf, nullptr);
  EXPECT_EQ(shelf->Parent(), Object(u"шкаф"));
}

}  // namespace
