// The prefix operators and the stop signals they set.

#include <climits>

#include "operator_fixture.h"

namespace {

class prefix_operations : public operator_test {
 protected:
  // The operand after the operator, which must apply.
  value Prefix(value operand, const char16_t* op, context* where = nullptr) {
    EXPECT_TRUE(PrefixOperation(where ? *where : code, operand, op)) << utf8(op);
    return operand;
  }
  // Runs the operator on a copy of the operand, for its refusals.
  void Attempt(value operand, const char16_t* op, context* where = nullptr) {
    PrefixOperation(where ? *where : code, operand, op);
  }
};

TEST_F(prefix_operations, NegationTextAndUnchanged) {
  EXPECT_EQ(Prefix(value::Number(5), u"m").GetNumber(), -5);
  EXPECT_EQ(Prefix(value::Number(INT_MIN), u"m").GetNumber(), INT_MIN);
  EXPECT_EQ(Prefix(Marked(value::Number(5), u"Не"), u"m").KeyText(), u"Не");
  EXPECT_EQ(wide_message([&] { Attempt(value::String(u"5"), u"m"); }), "ожидалось число");

  EXPECT_EQ(Text(Prefix(value::Result(kw::result_yes, u"равно"), u"!")), "нет, равно");
  EXPECT_EQ(Prefix(value::Keyword(kw::result_no), u"!").Code(), kw::result_yes);
  EXPECT_EQ(Prefix(value::Keyword(kw::result_ok), u"!").Code(), kw::result_no);
  EXPECT_EQ(Prefix(value::Keyword(kw::result_fail), u"!").Code(), kw::result_yes);
  EXPECT_EQ(Prefix(value::Keyword(kw::result_unknown), u"!").Code(), kw::result_unknown);
  value number = value::Number(1);
  EXPECT_FALSE(PrefixOperation(code, number, u"!"));
  EXPECT_EQ(number.GetNumber(), 1);

  object* lamp = Make(kw::type_object, u"лампа");
  EXPECT_EQ(Prefix(value::Number(12), u"$").Text(), u"12");
  EXPECT_EQ(Prefix(Of(lamp), u"$").Text(), u"лампа");
  EXPECT_EQ(Prefix(value(), u"$").Type(), kw::type_string);
  EXPECT_EQ(Prefix(Of(lamp), u"+").GetEntity(), lamp);

  EXPECT_EQ(built_message([&] { Attempt(value::Number(1), u"z"); }), "неизвестный префиксный оператор 'z'!");
  EXPECT_EQ(built_message([&] { Attempt(value::Number(1), u""); }), "неизвестный префиксный оператор ''!");
}

TEST_F(prefix_operations, DeclarationsOfVariablesPropertiesAndTemplates) {
  object* box = Make(kw::type_object, u"ящик");
  context in_box(&home, kw::type_context, box);
  EXPECT_EQ(Prefix(value::String(u"Счёт"), u"var").Text(), u"Счёт");
  variable* declared = code.FindVariable(u"счет");
  ASSERT_NE(declared, nullptr);
  EXPECT_FALSE(declared->is_property);
  declared->content = value::Number(4);
  Prefix(value::String(u"счёт"), u"var");
  EXPECT_EQ(code.FindVariable(u"счет")->content.GetNumber(), 4);

  Prefix(value::String(u"вес"), u"prp", &in_box);
  EXPECT_EQ(in_box.FindVariable(u"вес"), nullptr);
  ASSERT_NE(box->FindVariable(u"вес"), nullptr);
  EXPECT_TRUE(box->FindVariable(u"вес")->is_property);
  EXPECT_FALSE(box->FindVariable(u"вес")->is_temporary);
  Prefix(value::String(u"след"), u"tmp", &in_box);
  ASSERT_NE(box->FindVariable(u"след"), nullptr);
  EXPECT_TRUE(box->FindVariable(u"след")->is_temporary);
  Prefix(value::String(u"метка"), u"prp");
  ASSERT_NE(code.FindVariable(u"метка"), nullptr);
  EXPECT_TRUE(code.FindVariable(u"метка")->is_property);

  for (const char16_t* op : {u"var", u"prp", u"tmp"}) {
    EXPECT_EQ(wide_message([&] { Attempt(value::Number(1), op); }), "имя переменной должно быть строкой");
    EXPECT_EQ(wide_message([&] { Attempt(value::String(u"#Рп"), op); }),
              "ключ не может быть именем переменной");
  }
}

TEST_F(prefix_operations, DeleteReturnAndPlane) {
  object* box = Make(kw::type_object, u"ящик");
  object* coin = Make(kw::type_object, u"монета");
  value gone = Of(coin);
  EXPECT_EQ(Text(Prefix(gone, u"delete")), "ок, объект удалён");
  EXPECT_EQ(gone.GetEntity(), nullptr);
  EXPECT_EQ(home.FindObject(u"монета"), nullptr);
  EXPECT_EQ(Text(Prefix(gone, u"delete")), "нет, не удалось удалить объект");
  // The code running inside an entity keeps it.
  context in_box(&home, kw::type_context, box);
  EXPECT_EQ(Prefix(Of(box), u"delete", &in_box).Code(), kw::result_no);
  EXPECT_EQ(home.FindById(box->Id()), box);
  EXPECT_EQ(wide_message([&] { Attempt(value::String(u"ящик"), u"delete"); }),
            "удалять можно только объекты");

  EXPECT_EQ(Prefix(value::Number(7), u"return").GetNumber(), 7);
  EXPECT_EQ(code.state, context::stop_return);

  EXPECT_EQ(Text(Prefix(value::String(u"подвал"), u"PLANE")), "ок, назначен новый план");
  EXPECT_EQ(home.current_plane, u"подвал");
  EXPECT_EQ(code.state, context::stop_return);
}

TEST_F(prefix_operations, GotoAndCheck) {
  location* hall = Room(u"зал");
  location* yard = Room(u"двор");
  location* far = Room(u"даль");
  hall->Exit(kw::dir_north).target = yard->Id();
  hall->Exit(kw::dir_west).blocked_text = u"там стена";
  context here(&home, kw::type_context, hall);
  const value north = value::Keyword(kw::dir_north);
  const value west = value::Keyword(kw::dir_west);

  EXPECT_EQ(Text(Prefix(north, u"check", &here)), "да, переход возможен");
  EXPECT_EQ(Text(Prefix(west, u"check", &here)), "нет, прохода нет!");
  EXPECT_EQ(Prefix(Of(yard), u"check", &here).Code(), kw::result_yes);
  EXPECT_EQ(Prefix(Of(far), u"check", &here).Code(), kw::result_no);
  EXPECT_EQ(Prefix(Of(yard), u"check").Code(), kw::result_no);
  EXPECT_EQ(here.state, context::stop_none);

  EXPECT_EQ(Prefix(north, u"goto", &here).GetEntity(), yard);
  EXPECT_EQ(here.state, context::stop_goto);
  here.state = context::stop_none;
  EXPECT_EQ(Text(Prefix(west, u"goto", &here)), "ошибка, там стена");
  EXPECT_EQ(here.state, context::stop_goto);
  EXPECT_EQ(Prefix(Of(far), u"goto").GetEntity(), far);
  EXPECT_EQ(code.state, context::stop_goto);

  for (const char16_t* op : {u"goto", u"check"})
    EXPECT_EQ(wide_message([&] { Attempt(north, op); }),
              "Переход по направлению возможен только из локации!");
  EXPECT_EQ(wide_message([&] { Attempt(value::Number(1), u"goto", &here); }),
            "goto: ожидалась локация или направление!");
  EXPECT_EQ(wide_message([&] { Attempt(value::Number(1), u"check", &here); }),
            "check goto: ожидалась локация или направление!");
}

}  // namespace
