// What names mean around a context: the gathering walk with its scores and
// reach marks, the name "ты", names, classes, prepositions, global
// variables, default keys and property values.

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>

#include "getvars_result_list.h"
#include "key_matrix.h"
#include "keyword_table.h"
#include "test_support.h"
#include "world.h"

namespace {

// A result as the test looks at it: its weight (-1: not found) and the
// marker of its reach key "м".
struct meaning {
  int weight = -1;
  char16_t reach = 0;
  bool operator==(const meaning&) const = default;
};

void PrintTo(const meaning& m, std::ostream* out) {
  *out << m.weight << " " << utf8(std::u16string(1, m.reach ? m.reach : u'-'));
}

class gathering : public ::testing::Test {
 protected:
  object* Make(int type, const char16_t* name, context* where = nullptr, bool inside = true) {
    return home.Create(where ? where : &home, type, inside, name);
  }

  GetVars_result_list Ask(std::initializer_list<const char16_t*> names, const char16_t* keys = u"") {
    GetVars_result_list request;
    for (const char16_t* name : names) request.names.Insert(request.names.Count(), name);
    request.requested_keys = keys;
    found_any = code->GetVars(request);
    return request;
  }

  // The result standing for the entity, or else for the text.
  static meaning Of(const GetVars_result_list& request, const object* entity, const char16_t* text = u"") {
    for (const GetVars_result_list_item& item : request.results) {
      const value& v = item.found;
      if ((v.IsEntity() && v.GetEntity() == entity) || (v.Type() == kw::type_string && v.Text() == text))
        return {item.weight, key_matrix(v.KeyText().Text()).GetMarker(u'м')};
    }
    return {};
  }

  world home{u"игра"};
  context root_code{&home, kw::type_context, &home};
  context* code = &root_code;
  bool found_any = false;
};

TEST_F(gathering, WalkMarksWhatTheActorReachesAndSees) {
  object* hall = Make(kw::type_location, u"зал");
  object* player = Make(kw::type_object, u"игрок", hall);
  object* apple = Make(kw::type_object, u"яблоко", player);
  object* wardrobe = Make(kw::type_object, u"шкаф", hall);
  object* dress = Make(kw::type_object, u"платье", wardrobe);
  object* showcase = Make(kw::type_object, u"витрина", hall);
  showcase->transparent = true;
  object* coin = Make(kw::type_object, u"монета", showcase);
  object* chest = Make(kw::type_object, u"сундук", hall);
  chest->opened = true;
  object* ring = Make(kw::type_object, u"кольцо", chest);
  object* knife = Make(kw::type_object, u"нож", Make(kw::type_location, u"двор"));
  context in_player(&home, kw::type_context, player);
  in_player.characters[0] = player->Id();
  code = &in_player;

  GetVars_result_list r = Ask({u"игрок", u"яблоко", u"зал", u"шкаф", u"платье", u"монета", u"кольцо", u"нож"});
  EXPECT_TRUE(found_any);
  EXPECT_EQ(Of(r, player), (meaning{100, u'Д'}));
  EXPECT_EQ(Of(r, apple), (meaning{99, u'Д'}));
  EXPECT_EQ(Of(r, hall), (meaning{80, u'Д'}));
  EXPECT_EQ(Of(r, wardrobe), (meaning{79, u'Д'}));
  EXPECT_EQ(Of(r, dress), (meaning{60, u'!'}));
  EXPECT_EQ(Of(r, coin), (meaning{78, u'В'}));
  EXPECT_EQ(Of(r, ring), (meaning{78, u'Д'}));
  EXPECT_EQ(Of(r, knife), (meaning{60, u'!'}));
  EXPECT_EQ(r.results.Count(), 8);
}

TEST_F(gathering, WalkClimbsTenPointsPerLevelOfWhatThingsLieOn) {
  object* hall = Make(kw::type_location, u"зал");
  // level[k + 1] lies on level[k].
  object* level[9];
  const char16_t* names[] = {u"у0", u"у1", u"у2", u"у3", u"у4", u"у5", u"у6", u"у7", u"у8"};
  for (int k = 0; k < 9; ++k) level[k] = Make(kw::type_object, names[k], k ? level[k - 1] : hall, k == 0);
  context on_top(&home, kw::type_context, level[8]);
  code = &on_top;

  GetVars_result_list r = Ask({u"у8", u"у5", u"у4", u"у1", u"у0", u"зал"});
  EXPECT_EQ(Of(r, level[8]), (meaning{100, u'Д'}));
  EXPECT_EQ(Of(r, level[5]), (meaning{70, u'Д'}));
  // Below the name's own weight the gathering score does not count.
  EXPECT_EQ(Of(r, level[4]), (meaning{60, u'Д'}));
  EXPECT_EQ(Of(r, level[1]), (meaning{60, u'Д'}));
  // The walk ends before scores reach 20.
  EXPECT_EQ(Of(r, level[0]), (meaning{60, u'!'}));
  EXPECT_EQ(Of(r, hall), (meaning{50, u'!'}));

  context* parent = level[8]->Parent();
  level[8]->SetParent(nullptr);
  EXPECT_EQ(wide_message([&] { Ask({u"зал"}); }), "context::GetVars() - объект без Parent!");
  level[8]->SetParent(parent);
}

TEST_F(gathering, NamesFindEntitiesByExactAndPrefixedNames) {
  object* lamp = Make(kw::type_object, u"Лампа");
  object* copper_lamp = Make(kw::type_object, u"лампа:медная");
  Make(kw::type_object, u"лампада");
  object* cave = Make(kw::type_location, u"пещера");
  object* lower_cave = Make(kw::type_location, u"пещера:нижняя");
  object* bright = Make(kw::type_attribute, u"яркий");
  object* very_bright = Make(kw::type_relation, u"яркий:очень");
  object* weapon = Make(kw::type_class, u"оружие");
  object* old_weapon = Make(kw::type_class, u"оружие:древнее");
  object* sword_class = Make(kw::type_class, u"меч");
  object* sword = Make(kw::type_object, u"меч");
  object* into = Make(kw::type_preposition, u"в");

  GetVars_result_list r = Ask({u"ЛАМПА", u"пещера", u"яркий", u"оружие", u"меч", u"в"});
  EXPECT_EQ(Of(r, lamp), (meaning{60, u'!'}));
  EXPECT_EQ(Of(r, copper_lamp), (meaning{55, u'!'}));
  EXPECT_EQ(Of(r, cave), (meaning{50, u'!'}));
  EXPECT_EQ(Of(r, lower_cave), (meaning{45, u'!'}));
  EXPECT_EQ(Of(r, bright), (meaning{30, 0}));
  EXPECT_EQ(Of(r, very_bright), (meaning{25, 0}));
  EXPECT_EQ(Of(r, weapon), (meaning{40, u'!'}));
  EXPECT_EQ(Of(r, old_weapon), (meaning{35, u'!'}));
  EXPECT_EQ(Of(r, sword_class), (meaning{40, u'!'}));
  EXPECT_EQ(Of(r, sword), (meaning{60, u'!'}));
  EXPECT_EQ(Of(r, into), (meaning{100, 0}));
  EXPECT_EQ(r.results.Count(), 11);
  Ask({u"лампы"});
  EXPECT_FALSE(found_any);
}

TEST_F(gathering, PersonNamesTheCharactersOfTheCode) {
  object* hero = Make(kw::type_object, u"герой");
  object* guard = Make(kw::type_object, u"стражник");
  object* trader = Make(kw::type_object, u"торговец");
  code->characters[0] = hero->Id();
  code->characters[1] = home.characters[1] = guard->Id();
  code->characters[2] = trader->Id();
  home.player = hero->Id();

  GetVars_result_list r = Ask({u"ты"}, u"эа");
  EXPECT_EQ(Of(r, hero), (meaning{100, u'!'}));
  EXPECT_EQ(key_matrix(r.results[0].found.KeyText().Text()).GetMarker(u'а'), u'э');
  EXPECT_EQ(Of(Ask({u"Ты"}, u"1л"), hero).weight, 100);
  home.player = trader->Id();
  EXPECT_EQ(Of(Ask({u"ты"}, u"1л"), guard).weight, 100);
  EXPECT_EQ(Of(Ask({u"ты"}, u"2л"), trader).weight, 100);
  EXPECT_EQ(wide_message([&] { Ask({u"ты"}, u"3л"); }), "context::GetVars(): заглушка третьего лица!");
  Ask({u"ты"});
  EXPECT_FALSE(found_any);
  code->characters[2] = 999999;
  EXPECT_EQ(wide_message([&] { Ask({u"ты"}, u"2л"); }), "GetVars_result_list::AddObject() invalid Obj!");
}

TEST_F(gathering, GlobalVariablesAndDefaultKeys) {
  object* chest = Make(kw::type_object, u"сундук");
  object* gone = Make(kw::type_object, u"призрак");
  home.SetVariable(u"клад", value::Entity(kw::type_object, chest), true, false);
  home.SetVariable(u"пароль", value::String(u"сезам"), true, false);
  home.SetVariable(u"путь", value::Keyword(kw::dir_north), true, false);
  home.SetVariable(u"число", value::Number(3), true, false);
  home.SetVariable(u"тень", value::Entity(kw::type_object, gone), true, false);
  home.SetVariable(u"загадка", value::String(u"вычислено"), true, false);
  home.FindVariable(u"загадка")->is_computed = true;
  home.Destroy(gone);

  GetVars_result_list r = Ask({u"клад", u"пароль", u"путь", u"число", u"тень", u"загадка"});
  EXPECT_EQ(Of(r, chest), (meaning{45, u'В'}));
  EXPECT_EQ(Of(r, nullptr, u"сезам"), (meaning{45, u'В'}));
  ASSERT_EQ(r.results.Count(), 3);
  EXPECT_EQ(r.results[2].found.Code(), kw::dir_north);

  chest->default_key = u"Мч";
  EXPECT_EQ(Of(Ask({u"сундук"}, u"Мч"), chest).weight, 60);
  Ask({u"сундук"}, u"Еч");
  EXPECT_FALSE(found_any);
}

TEST_F(gathering, PluralRequestsExpandClassesToTheirMembers) {
  object* fruit = Make(kw::type_class, u"фрукт");
  object* berry = Make(kw::type_class, u"ягода");
  object* apple = Make(kw::type_object, u"яблоко");
  object* raspberry = Make(kw::type_object, u"малина");
  berry->SetClass(value::Entity(kw::type_class, fruit));
  apple->SetClass(value::Entity(kw::type_class, fruit));
  raspberry->SetClass(value::Entity(kw::type_class, berry));

  for (const char16_t* keys : {u"Мч", u"Об"}) {
    GetVars_result_list r = Ask({u"фрукт"}, keys);
    EXPECT_EQ(Of(r, apple), (meaning{40, u'!'}));
    EXPECT_EQ(Of(r, raspberry), (meaning{40, u'!'}));
    EXPECT_EQ(r.results.Count(), 3);
  }
  EXPECT_EQ(Ask({u"фрукт"}, u"Еч").results.Count(), 1);
}

TEST_F(gathering, GatheredThingsOfferTheirPropertyValues) {
  object* hall = Make(kw::type_location, u"зал");
  object* furniture = Make(kw::type_class, u"мебель");
  furniture->SetVariable(u"материал", value::String(u"дуб"), false, false);
  object* table = Make(kw::type_object, u"стол", hall);
  table->SetClass(value::Entity(kw::type_class, furniture));
  object* yard = Make(kw::type_location, u"двор");
  object* key = Make(kw::type_object, u"ключ", yard);
  object* chair = Make(kw::type_object, u"стул", yard);
  table->SetVariable(u"цвет", value::String(u"белый"), false, false);
  table->SetVariable(u"замок", value::Entity(kw::type_object, key), false, false);
  key->SetVariable(u"замок", value::String(u"медный"), false, false);
  // Properties pointing at each other: the walk ends as the score drops.
  table->SetVariable(u"сосед", value::Entity(kw::type_object, chair), false, false);
  chair->SetVariable(u"сосед", value::Entity(kw::type_object, table), false, false);
  table->SetVariable(u"тайна", value::String(u"скрыто"), false, false);
  table->FindVariable(u"тайна")->is_computed = true;
  context in_hall(&home, kw::type_context, hall);
  code = &in_hall;

  // The room's contents score 99.
  GetVars_result_list r = Ask({u"цвет", u"материал", u"замок", u"сосед", u"тайна"});
  EXPECT_EQ(Of(r, nullptr, u"белый"), (meaning{89, u'Д'}));
  EXPECT_EQ(Of(r, nullptr, u"дуб"), (meaning{89, u'Д'}));
  EXPECT_EQ(Of(r, key), (meaning{97, u'Д'}));
  EXPECT_EQ(Of(r, nullptr, u"медный"), (meaning{87, u'Д'}));
  EXPECT_EQ(Of(r, chair), (meaning{97, u'Д'}));
  EXPECT_EQ(Of(r, table), (meaning{99, u'Д'}));
  EXPECT_EQ(r.results.Count(), 6);
}

}  // namespace
