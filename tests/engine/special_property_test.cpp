// The "." operator: special properties, properties of list elements,
// variables, attributes and exits.

#include "operator_fixture.h"

namespace {

class special_properties : public operator_test {
 protected:
  value Dot(const value& left, int keyword) { return Op(left, u".", value::Keyword(keyword)); }
  bool DotApplies(const value& left, int keyword) { return Applies(left, u".", value::Keyword(keyword)); }
};

const value yes = value::Keyword(kw::result_yes);

TEST_F(special_properties, OfEntities) {
  location* hall = Room(u"зал");
  object* box = Make(kw::type_object, u"ящик");
  object* lid = Make(kw::type_object, u"крышка");
  object* coin = Make(kw::type_object, u"монета");
  object* word = Make(kw::type_word, u"сундук");
  object* chest = Make(kw::type_object, u"сундук_1");
  object* wood = Make(kw::type_class, u"дерево");
  Make(kw::type_attribute, u"красный");
  Make(kw::type_attribute, u"большой");
  box->MoveTo(hall, u'I');
  lid->MoveTo(box, u'P');
  coin->MoveTo(box, u'I');
  box->own_keys = u"Мр";
  box->default_key = u"Вп";
  box->opened = true;
  box->SetClass(Of(wood));
  box->SetVariable(u"вес", value::Number(3), false, false);
  box->SetVariable(u"красный", yes, false, false);
  wood->SetVariable(u"большой", yes, false, false);

  EXPECT_EQ(Dot(Of(box), kw::prp_type).Text(), u"object");
  EXPECT_EQ(Dot(value::Number(1), kw::prp_type).Text(), u"number");
  EXPECT_EQ(Dot(Of(box), kw::prp_name).Text(), u"ящик");
  EXPECT_EQ(Dot(value::Number(12), kw::prp_name).Text(), u"12");
  EXPECT_EQ(Dot(Of(box), kw::prp_key).Text(), u"#Мр");
  EXPECT_EQ(Dot(Marked(value::Number(1), u"Рп"), kw::prp_key).Text(), u"#Рп");
  EXPECT_EQ(Dot(Of(box), kw::prp_defkey).Text(), u"Вп");
  EXPECT_EQ(Dot(Of(coin), kw::prp_position).GetEntity(), box);
  EXPECT_EQ(Dot(Of(box), kw::prp_position).GetEntity(), hall);
  EXPECT_TRUE(Dot(Of(word), kw::prp_position).IsNull());
  EXPECT_EQ(Text(Dot(Of(box), kw::prp_opened)), "да, открыто");
  EXPECT_EQ(Text(Dot(Of(lid), kw::prp_opened)), "нет, закрыто");
  EXPECT_EQ(Text(Dot(Of(box), kw::prp_transparent)), "нет, непрозрачно");
  box->transparent = true;
  EXPECT_EQ(Text(Dot(Of(box), kw::prp_transparent)), "да, прозрачно");
  EXPECT_EQ(Dot(Of(coin), kw::type_location).GetEntity(), hall);
  EXPECT_EQ(Dot(Of(hall), kw::type_location).GetEntity(), hall);
  EXPECT_TRUE(Dot(Of(word), kw::type_location).IsNull());
  EXPECT_EQ(Dot(Of(chest), kw::type_word).GetEntity(), word);
  EXPECT_EQ(Dot(Of(word), kw::type_word).GetEntity(), word);
  EXPECT_TRUE(Dot(Of(box), kw::type_word).IsNull());
  EXPECT_EQ(Dot(Of(box), kw::type_class).GetEntity(), wood);
  EXPECT_EQ(Dot(Of(wood), kw::type_class).GetEntity(), wood);
  EXPECT_EQ(Text(Dot(Of(box), kw::type_attribute)), "красный и большой");
  EXPECT_EQ(Text(Dot(Of(box), kw::rel_inside)), "монета");
  EXPECT_EQ(Text(Dot(Of(box), kw::rel_part)), "крышка");
  EXPECT_EQ(Dot(Of(hall), kw::rel_inside).GetEntity(), box);
  EXPECT_TRUE(Dot(Of(coin), kw::rel_outside).IsNull());
  EXPECT_EQ(Text(Dot(Of(box), kw::st_var)), "вес и красный");
  EXPECT_EQ(Text(Dot(Of(chest), kw::name_synonym)), "сундук");

  box->characters[0] = coin->Id();
  box->characters[2] = lid->Id();
  EXPECT_EQ(Dot(Of(box), kw::name_actor).GetEntity(), coin);
  EXPECT_TRUE(Dot(Of(box), kw::name_speaker).IsNull());
  EXPECT_EQ(Dot(Of(box), kw::name_addressee).GetEntity(), lid);
  code.characters[1] = lid->Id();
  EXPECT_EQ(Dot(value::Context(&code), kw::name_speaker).GetEntity(), lid);

  EXPECT_FALSE(DotApplies(value::Number(1), kw::prp_opened));
  EXPECT_FALSE(DotApplies(Of(box), kw::st_if));
  EXPECT_FALSE(DotApplies(Of(box), kw::prp_length));
  EXPECT_FALSE(DotApplies(Of(box), kw::prp_comment));
  value gone = Of(coin);
  home.Destroy(coin);
  EXPECT_FALSE(DotApplies(gone, kw::prp_opened));
  EXPECT_EQ(Dot(gone, kw::prp_name).Text(), u"ЗАБЫТО");
}

TEST_F(special_properties, OfLocationsNumbersTruthsAndLists) {
  location* hall = Room(u"зал");
  location* yard = Room(u"двор");
  location* cellar = Room(u"погреб");
  hall->plane = u"дом";
  yard->plane = u"дом";
  hall->position[0] = 4, hall->position[1] = 5, hall->position[2] = -6;
  yard->position[0] = 4, yard->position[1] = 6, yard->position[2] = -6;
  hall->Exit(kw::dir_down).target = cellar->Id();
  EXPECT_EQ(Dot(Of(hall), kw::prp_pos_x).GetNumber(), 4);
  EXPECT_EQ(Dot(Of(hall), kw::prp_pos_y).GetNumber(), 5);
  EXPECT_EQ(Dot(Of(hall), kw::prp_pos_z).GetNumber(), -6);
  EXPECT_EQ(Dot(Of(hall), kw::st_plane).Text(), u"дом");
  EXPECT_EQ(Text(Dot(Of(hall), kw::type_course)), "погреб и двор");
  EXPECT_TRUE(Dot(Of(cellar), kw::type_course).IsNull());
  EXPECT_FALSE(DotApplies(value::Number(1), kw::prp_pos_x));

  EXPECT_EQ(Dot(value::String(u"-42 штуки"), kw::type_number).GetNumber(), -42);
  EXPECT_EQ(Dot(value::String(u""), kw::type_number).GetNumber(), 0);
  EXPECT_EQ(Dot(Marked(value::Number(7), u"Не"), kw::type_number).KeyText(), u"");
  EXPECT_FALSE(DotApplies(yes, kw::type_number));
  EXPECT_EQ(Dot(value::Result(kw::result_fail, u"заперто"), kw::prp_comment).Text(), u"заперто");

  value numbers = List(kw::type_and_list, {value::Number(4), value::Number(5), value::Number(6)});
  EXPECT_EQ(Dot(numbers, kw::name_count).GetNumber(), 3);
  EXPECT_EQ(Dot(value::Number(4), kw::name_count).GetNumber(), 1);
  for (int draw = 0; draw < 20; ++draw) {
    int picked = Dot(numbers, kw::prp_any).GetNumber();
    EXPECT_TRUE(picked >= 4 && picked <= 6) << picked;
  }
  EXPECT_EQ(Dot(value::Number(4), kw::prp_any).GetNumber(), 4);
}

TEST_F(special_properties, ListElementsAreReadOneByOne) {
  object* a = Make(kw::type_object, u"а");
  object* b = Make(kw::type_object, u"б");
  object* c = Make(kw::type_object, u"в");
  a->SetVariable(u"вес", value::Number(2), false, false);
  b->SetVariable(u"вес", value::Number(2), false, false);
  c->SetVariable(u"вес", value::Number(5), false, false);
  value all = List(kw::type_and_list, {Of(a), Of(b), Of(c)});
  EXPECT_EQ(Op(all, u".", value::String(u"вес")).GetNumber(), 9);
  value either = List(kw::type_or_list, {Of(a), Of(c)});
  value weights = Op(either, u".", value::String(u"вес"));
  EXPECT_EQ(weights.Type(), kw::type_or_list);
  EXPECT_EQ(Text(weights), "2 или 5");
  EXPECT_EQ(Text(Dot(all, kw::prp_name)), "а, б и в");
  c->SetVariable(u"вес", value::String(u"тяжёлый"), false, false);
  EXPECT_EQ(Text(Op(all, u".", value::String(u"вес"))), "2 и тяжёлый");
  // Elements without the property add nothing.
  EXPECT_EQ(Op(List(kw::type_and_list, {value::Number(1), Of(a)}), u".", value::String(u"вес")).GetNumber(), 2);
}

TEST_F(special_properties, VariablesAttributesAndExits) {
  object* box = Make(kw::type_object, u"ящик");
  object* weight_word = Make(kw::type_word, u"вес");
  object* red = Make(kw::type_attribute, u"красный");
  box->SetVariable(u"вес", value::Number(3), false, false);
  EXPECT_EQ(Op(Of(box), u".", value::String(u"Вес")).GetNumber(), 3);
  EXPECT_EQ(Op(Of(box), u".", Of(weight_word)).GetNumber(), 3);
  EXPECT_TRUE(Op(Of(box), u".", value::String(u"цвет")).IsNull());
  code.SetVariable(u"погода", value::String(u"дождь"), true, false);
  EXPECT_EQ(Op(value::Context(&code), u".", value::String(u"погода")).Text(), u"дождь");
  EXPECT_FALSE(Applies(value::Number(1), u".", value::String(u"вес")));

  EXPECT_EQ(Op(Of(box), u".", Of(red)).Code(), kw::result_unknown);
  box->SetVariable(u"красный", yes, false, false);
  EXPECT_EQ(Op(Of(box), u".", Of(red)).Code(), kw::result_yes);
  box->SetVariable(u"красный", value::Number(5), false, false);
  EXPECT_EQ(built_message([&] { Applies(Of(box), u".", Of(red)); }), "Значение признака не может быть number (5)!");
  box->SetVariable(u"красный", Of(red), false, false);
  EXPECT_EQ(built_message([&] { Applies(Of(box), u".", Of(red)); }),
            "Значение признака не может быть attribute (красный)!");

  location* hall = Room(u"зал");
  location* yard = Room(u"двор");
  hall->Exit(kw::dir_east).target = yard->Id();
  hall->Exit(kw::dir_west).blocked_text = u"там стена";
  EXPECT_EQ(Op(Of(hall), u".", value::Keyword(kw::dir_east)).GetEntity(), yard);
  EXPECT_EQ(Text(Op(Of(hall), u".", value::Keyword(kw::dir_west))), "ошибка, там стена");
  EXPECT_EQ(wide_message([&] { Applies(Of(box), u".", value::Keyword(kw::dir_east)); }),
            "Направления могут быть только у локаций");
  EXPECT_FALSE(Applies(Of(box), u".", value::Number(1)));
}

}  // namespace
