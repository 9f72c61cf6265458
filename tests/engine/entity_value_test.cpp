// Values of world entities turned into text and keys through a real world.

#include <gtest/gtest.h>

#include "key_matrix.h"
#include "keyword_table.h"
#include "location.h"
#include "scripted_runner.h"
#include "test_support.h"
#include "value.h"
#include "world.h"

namespace {

class entity_values : public ::testing::Test {
 protected:
  object* Make(int type, const char16_t* name) { return home.Create(nullptr, type, true, name); }
  static value Of(object* entity) { return value::Entity(entity->Type(), entity); }

  wstring Text(const value& v, const char16_t* keys = nullptr, unsigned flags = 0, context* ctx = nullptr) {
    key_matrix requested(keys);
    return v.ToString(&home, ctx, keys ? &requested : nullptr, flags, missing);
  }

  world home{u"игра"};
  bool missing = false;
};

TEST_F(entity_values, ShortTextsAndForgottenEntities) {
  object* lamp = Make(kw::type_object, u"Лампа");
  object* cls = Make(kw::type_class, u"свет");
  object* word = Make(kw::type_word, u"лампа");
  object* in = Make(kw::type_preposition, u"в");
  value lamp_value = Of(lamp), class_value = Of(cls), word_value = Of(word), in_value = Of(in);
  EXPECT_EQ(lamp_value.ShortText(&home), u"Лампа");
  EXPECT_EQ(class_value.ShortText(&home), u"@свет");
  EXPECT_EQ(word_value.ShortText(&home), u"$лампа");
  EXPECT_EQ(Text(in_value), u"в");
  value either = lamp_value;
  either.AddToList(kw::type_or_list, class_value, false);
  for (object* entity : {lamp, word, in}) home.Destroy(entity);
  EXPECT_EQ(lamp_value.ShortText(&home), u"ЗАБЫТО");
  EXPECT_EQ(word_value.ShortText(&home), u"ЗАБЫТО");
  EXPECT_EQ(Text(word_value), u"забытое слово");
  EXPECT_EQ(Text(in_value), u"забытый предлог");
  EXPECT_EQ(Text(either), u"нечто забытое или свет");
}

TEST_F(entity_values, OwnFormsThenTitleThenLinkedWords) {
  object* word = Make(kw::type_word, u"стол");
  word->AddForm(u"Рп", u"стола");
  object* table = Make(kw::type_object, u"стол_1");
  EXPECT_EQ(Text(Of(table), u"Рп"), u"стола");
  EXPECT_EQ(Text(Of(table)), u"стол_1");
  table->AddForm(u"Рп", u"столика");
  value genitive = Of(table);
  genitive.SetKeyText(u"Рп");
  EXPECT_EQ(Text(genitive), u"столика");

  object* hall = Make(kw::type_location, u"зал_1");
  hall->SetVariable(u"title", Of(table), true, false);
  EXPECT_EQ(Text(Of(hall), u"Рп", text_title), u"столика");
  EXPECT_EQ(Text(Of(hall), u"Рп"), u"зал_1");
  hall->FindVariable(u"title")->is_computed = true;
  EXPECT_EQ(Text(Of(hall), u"Рп", text_title), u"зал_1");

  object* other_table = Make(kw::type_object, u"стол_2");
  home.Destroy(word);
  EXPECT_EQ(Text(Of(other_table), u"Рп"), u"стол_2");
}

TEST_F(entity_values, MissingFormsShowRedWhenAFormIsAskedFor) {
  object* lamp = Make(kw::type_object, u"Лампа");
  lamp->AddForm(u"Ип", u"лампа");
  EXPECT_EQ(Text(Of(lamp), u"Дп"), u"Лампа");
  EXPECT_FALSE(missing);
  EXPECT_EQ(Text(Of(lamp), u"Дп!ч"), u"<font color='red'>нет формы #Дп!ч для Лампа</font>");
  EXPECT_TRUE(missing);
  EXPECT_EQ(Text(Of(Make(kw::type_class, u"свет")), u"*ч"), u"<font color='red'>нет формы #*ч для @свет</font>");
  object* word = Make(kw::type_word, u"дом");
  EXPECT_EQ(Text(Of(word), u"Дп!ч"), u"<font color='red'>нет формы #Дп!ч для $дом</font>");
  // A linked word's "_get_form" method is the last resort.
  word->SetCode(u"x\n== _get_form ==");
  object* house = Make(kw::type_object, u"дом_1");
  scripted_runner runner;
  home.SetRunner(&runner);
  runner.answer = value::String(u"домику");
  EXPECT_EQ(Text(Of(house), u"Дп!ч"), u"домику");
  EXPECT_FALSE(missing);
  ASSERT_EQ(runner.calls.size(), 1u);
  EXPECT_EQ(runner.calls[0].entity, word);
  EXPECT_EQ(runner.calls[0].subject, Of(house));
  word->AddForm(u"Дп", u"дому");
  EXPECT_EQ(Text(Of(house), u"Дп!ч"), u"дому");
  EXPECT_EQ(runner.calls.size(), 1u);
  home.SetRunner(nullptr);
}

TEST_F(entity_values, KeywordsDirectionsAndLists) {
  EXPECT_EQ(Text(value::Keyword(kw::st_if), u"Ип"), u"если");
  Make(kw::type_word, u"если")->AddForm(u"Ип", u"ЕСЛИ");
  EXPECT_EQ(Text(value::Keyword(kw::st_if), u"Ип"), u"ЕСЛИ");
  EXPECT_EQ(Text(value::Keyword(kw::dir_north)), u"направление на север");
  auto* hall = static_cast<location*>(Make(kw::type_location, u"зал"));
  hall->Exit(kw::dir_north).text = u"на севере дверь";
  context in_hall(&home, kw::type_context, hall);
  EXPECT_EQ(Text(value::Keyword(kw::dir_north), nullptr, 0, &in_hall), u"на севере дверь");
  EXPECT_EQ(Text(value::Keyword(kw::dir_up), nullptr, 0, &in_hall), u"выше здесь не подняться");

  value all = Of(Make(kw::type_object, u"лампа"));
  object* other_lamp = Make(kw::type_object, u"лампа_2");
  other_lamp->AddForm(u"Ип", u"лампа");
  for (object* more : {Make(kw::type_object, u"стол"), other_lamp, Make(kw::type_object, u"стул")})
    all.AddToList(kw::type_and_list, Of(more), false);
  EXPECT_EQ(Text(all, u"Ип"), u"лампа, стол и стул");
  EXPECT_EQ(Text(all, u"ИпПг"), u"лампа стол стул");
}

TEST_F(entity_values, KeysOfEntitiesPrecedeTheTypeKey) {
  object* kind = Make(kw::type_class, u"посуда");
  kind->own_keys = u"МчЖр";
  object* cup = Make(kw::type_object, u"чашка");
  cup->SetClass(Of(kind));
  cup->own_keys = u"Ср";
  value v = Of(cup);
  v.BuildKey(&home);
  key_matrix keys(v.KeyText().Text());
  EXPECT_EQ(keys.GetMarker(u'р'), u'С');
  EXPECT_EQ(keys.GetMarker(u'ч'), u'М');  // before the type key's "Еч"
  EXPECT_EQ(keys.GetMarker(u'v'), u'o');
  value forgotten = Of(kind);
  home.Destroy(kind);
  forgotten.BuildKey(&home);
  EXPECT_EQ(key_matrix(forgotten.KeyText().Text()).GetMarker(u'ч'), 0);
}

}  // namespace
