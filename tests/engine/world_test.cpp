// The world: the root context, its entity factory, and what the values and
// the output pool ask of it beyond entity texts.

#include "world.h"

#include <gtest/gtest.h>

#include "keyword_table.h"
#include "location.h"
#include "obj_word.h"
#include "output_pool.h"
#include "scripted_runner.h"
#include "test_support.h"

namespace {

TEST(world_model, TheRootContextOwnsWhatItsFactoryMakes) {
  world home{u"игра"};
  EXPECT_EQ(home.Type(), kw::type_context);
  EXPECT_EQ(home.World(), &home);
  EXPECT_EQ(home.Parent(), nullptr);
  for (int type = kw::type_object; type <= kw::type_preposition; ++type) {
    object* made = home.Create(nullptr, type, true, kw::at(type).russian);
    EXPECT_EQ(made->Type(), type);
    EXPECT_EQ(dynamic_cast<location*>(made) != nullptr, type == kw::type_location);
    EXPECT_EQ(dynamic_cast<obj_word*>(made) != nullptr, type == kw::type_word || type == kw::type_preposition);
    EXPECT_EQ(home.ids.Get(made->Id())->entity.get(), made);
  }
  world other{u"другая"};
  object* stranger = other.Create(&other, kw::type_object, true, u"чужак");
  EXPECT_EQ(home.FindById(stranger->Id()), nullptr);
  home.Destroy(nullptr);
  home.Destroy(stranger);  // not this world's: it stays
  EXPECT_EQ(other.FindById(stranger->Id()), stranger);
  context elsewhere(&other, kw::type_context, &other);
  EXPECT_EQ(wide_message([&] { home.Create(&elsewhere, kw::type_object, true, u"x"); }),
            "world::Create() invalid Context!");
  EXPECT_EQ(wide_message([&] { object loose(nullptr, kw::type_object, true, u"x"); }),
            "object::object() invalid Context!");

  // Entities leave the indexes as the world goes; the sanitizer build
  // catches a touch of anything already freed.
  auto* doomed = new world(u"обречённая");
  object* hall = doomed->Create(doomed, kw::type_location, true, u"зал");
  context in_hall(doomed, kw::type_context, hall);
  object* box = doomed->Create(&in_hall, kw::type_object, true, u"ящик");
  context in_box(doomed, kw::type_context, box);
  doomed->Create(&in_box, kw::type_object, true, u"мяч");
  doomed->Create(&in_hall, kw::type_location, true, u"ниша");
  box->SetClass(value::Entity(kw::type_class, doomed->Create(doomed, kw::type_class, true, u"ящик")));
  box->AddForm(u"Ип", u"ящик");
  EXPECT_EQ(doomed->ids.Count(), 5);
  delete doomed;
}

TEST(world_model, GetFormMethodsRunThroughTheInterpreter) {
  world home{u"игра"};
  object* cls = home.Create(&home, kw::type_class, true, u"вещь");
  object* lamp = home.Create(&home, kw::type_object, true, u"лампа");
  value subject = value::Entity(kw::type_object, lamp);
  context caller(&home, kw::type_context, &home);
  wstring text = u"прежний";
  cls->SetCode(u"x\n== _получить_форму ==");
  lamp->SetClass(value::Entity(kw::type_class, cls));
  EXPECT_FALSE(home.CallGetForm(lamp, subject, &caller, text));  // no interpreter

  scripted_runner runner;
  home.SetRunner(&runner);
  runner.answer = value::String(u"лампочка");
  ASSERT_TRUE(home.CallGetForm(lamp, subject, &caller, text));
  EXPECT_EQ(text, u"лампочка");
  // The Russian name serves when the English one is missing; the class
  // holds the code; the calling context is opened from the caller.
  ASSERT_EQ(runner.calls.size(), 1u);
  EXPECT_EQ(runner.calls[0].entity, cls);
  EXPECT_EQ(utf8(runner.calls[0].section), "_получить_форму");
  EXPECT_EQ(runner.calls[0].subject, subject);
  EXPECT_EQ(runner.calls[0].russian_subject, subject);
  EXPECT_EQ(runner.calls[0].caller, &caller);
  lamp->SetCode(u"y\n== _get_form ==");
  EXPECT_TRUE(home.CallGetForm(lamp, subject, nullptr, text));
  EXPECT_EQ(runner.calls[1].entity, lamp);
  EXPECT_EQ(runner.calls[1].caller, lamp);
  // Only a text answer is a form; without a method nothing runs.
  runner.answer = value::Keyword(kw::result_ok);
  EXPECT_FALSE(home.CallGetForm(lamp, subject, &caller, text));
  object* stone = home.Create(&home, kw::type_object, true, u"камень");
  EXPECT_FALSE(home.CallGetForm(stone, subject, &caller, text));
  EXPECT_EQ(runner.calls.size(), 3u);
  home.SetRunner(nullptr);
}

TEST(world_model, PrepositionsTakeTheFormForTheNextWord) {
  world home{u"игра"};
  auto* about = static_cast<obj_word*>(home.Create(&home, kw::type_preposition, true, u"о"));
  about->SetDescription(u"об а*\nобо мне");
  home.Create(&home, kw::type_word, true, u"стол");
  wstring form;
  ASSERT_TRUE(home.PrepositionForm(u"О", u"Апельсине", form));
  EXPECT_EQ(form, u"об");
  ASSERT_TRUE(home.PrepositionForm(u"стол", u"мне", form));
  EXPECT_EQ(form, u"стол");
  EXPECT_FALSE(home.PrepositionForm(u"ветер", u"мне", form));

  output_pool pool;
  pool.SetWords(&home);
  pool.Add(wstring(u"думаю о мне и о апельсине, о доме, о им"));
  pool.Finish();
  wstring shown;
  for (const output_pool_item& item : pool.Items()) shown += item.print_text;
  EXPECT_EQ(shown, u"Думаю обо мне и об апельсине, о доме, о ним");
}

}  // namespace
