// Copies of a world for undo and restore: the copy holds the same game and
// nothing of the original, so either may change or go without the other
// noticing; the state digest tells a changed game from an unchanged one.

#include <gtest/gtest.h>

#include <memory>

#include "code_world.h"
#include "keyword_table.h"
#include "location.h"
#include "obj_word.h"

namespace {

value entity_value(object* entity) { return value::Entity(entity->Type(), entity); }

// A small game: two places joined by an exit, a class, things inside one
// another, word forms, a word, properties that name entities, one list
// record shared by two variables, and a reference to an entity gone.
class world_copy : public ::testing::Test {
 protected:
  void SetUp() override {
    world& home = w.home;
    hall = static_cast<location*>(w.Create(kw::type_location, u"зал"));
    kitchen = static_cast<location*>(w.Create(kw::type_location, u"кухня"));
    hall->Exit(kw::dir_north).target = kitchen->Id();
    hall->Exit(kw::dir_up).blocked_text = u"Лестницы нет.";
    hall->position[1] = 2;
    object* cls = w.Create(kw::type_class, u"вещь");
    context in_hall(&home, kw::type_context, hall);
    box = home.Create(&in_hall, kw::type_object, true, u"ящик");
    context in_box(&home, kw::type_context, box);
    lamp = home.Create(&in_box, kw::type_object, true, u"лампа");
    lamp->SetClass(value::Entity(kw::type_class, cls));
    lamp->AddForm(u"Вп", u"лампу");
    box->opened = true;
    w.Create(kw::type_word, u"фонарь");
    object* ghost = home.Create(&in_hall, kw::type_object, true, u"призрак");
    box->SetVariable(u"хозяин", entity_value(lamp), true, false);
    box->SetVariable(u"былое", entity_value(ghost), true, false);
    home.Destroy(ghost);
    value things = entity_value(lamp);
    things.AddToList(kw::type_and_list, entity_value(box), false);
    home.SetVariable(u"вещи", things, true, false);
    home.SetVariable(u"те_же", things, true, false);
    home.player = lamp->Id();
  }

  code_world w;
  location* hall = nullptr;
  location* kitchen = nullptr;
  object* box = nullptr;
  object* lamp = nullptr;
};

TEST_F(world_copy, TheCopyHoldsTheSameGameInItsOwnEntities) {
  std::unique_ptr<world> copy = w.home.Copy();
  EXPECT_EQ(copy->StateDigest(), w.home.StateDigest());
  EXPECT_EQ(copy->ids.Count(), w.home.ids.Count());
  EXPECT_EQ(copy->player, lamp->Id());

  object* lamp_copy = copy->FindObject(u"лампа");
  object* box_copy = copy->FindObject(u"ящик");
  auto* hall_copy = dynamic_cast<location*>(copy->FindObject(u"зал"));
  ASSERT_TRUE(lamp_copy && box_copy && hall_copy);
  EXPECT_NE(lamp_copy, lamp);
  EXPECT_EQ(lamp_copy->Id(), lamp->Id());
  EXPECT_EQ(lamp_copy->World(), copy.get());
  EXPECT_EQ(lamp_copy->Parent(), box_copy);
  EXPECT_EQ(box_copy->Parent(), hall_copy);
  ASSERT_EQ(box_copy->inside.Count(), 1);
  EXPECT_EQ(box_copy->inside[0], lamp_copy);
  EXPECT_TRUE(box_copy->opened);
  EXPECT_TRUE(lamp_copy->IsOfClass(copy->FindClass(u"вещь")->Id()));
  EXPECT_EQ(hall_copy->Exit(kw::dir_north).target, kitchen->Id());
  EXPECT_EQ(std::u16string(hall_copy->Exit(kw::dir_up).blocked_text.Text()), u"Лестницы нет.");
  EXPECT_EQ(hall_copy->position[1], 2);
  ASSERT_EQ(copy->word_forms.Count(), w.home.word_forms.Count());
  int pos;
  ASSERT_TRUE(copy->word_forms.Find(u"лампу", pos));
  EXPECT_EQ(copy->word_forms[pos].owners[0].entity, lamp_copy);
  EXPECT_NE(copy->FindWord(u"фонарь"), nullptr);
  EXPECT_EQ(copy->FindWord(u"фонарь")->World(), copy.get());

  // Properties name the copy's entities; a vanished one stays vanished.
  value owner;
  ASSERT_TRUE(box_copy->GetVariable(u"хозяин", owner, box_copy));
  EXPECT_EQ(owner.GetEntity(), lamp_copy);
  value gone;
  ASSERT_TRUE(box_copy->GetVariable(u"былое", gone, box_copy));
  EXPECT_EQ(gone.GetEntity(), nullptr);
  value things;
  ASSERT_TRUE(copy->GetVariable(u"вещи", things, copy.get()));
  ASSERT_EQ(things.Items().Count(), 2);
  EXPECT_EQ(things.Items()[0].GetEntity(), lamp_copy);
  EXPECT_EQ(things.Items()[1].GetEntity(), box_copy);
}

TEST_F(world_copy, EitherChangesOrGoesWithoutTheOther) {
  const uint64_t before = w.home.StateDigest();
  std::unique_ptr<world> copy = w.home.Copy();

  // The copy plays on: a move, a property, a list that grows, a new thing.
  object* lamp_copy = copy->FindObject(u"лампа");
  lamp_copy->MoveTo(copy->FindObject(u"кухня"), u'I');
  lamp_copy->SetVariable(u"горит", value::Keyword(kw::result_yes), true, false);
  value things;
  ASSERT_TRUE(copy->GetVariable(u"вещи", things, copy.get()));
  things.AddToList(kw::type_and_list, entity_value(copy->FindObject(u"кухня")), false);
  copy->SetVariable(u"вещи", things, false, false);
  copy->Create(copy.get(), kw::type_object, true, u"нож");
  EXPECT_NE(copy->StateDigest(), before);

  // The original is as it was, the list record it shares included.
  EXPECT_EQ(w.home.StateDigest(), before);
  EXPECT_EQ(lamp->Parent(), box);
  value original_things;
  ASSERT_TRUE(w.home.GetVariable(u"те_же", original_things, &w.home));
  EXPECT_EQ(original_things.Items().Count(), 2);
  EXPECT_EQ(w.home.FindObject(u"нож"), nullptr);

  // A copy of the copy outlives both (the sanitizer build catches any
  // pointer left into a world that is gone).
  std::unique_ptr<world> second = copy->Copy();
  const uint64_t played = copy->StateDigest();
  copy.reset();
  EXPECT_EQ(second->StateDigest(), played);
  value kept;
  ASSERT_TRUE(second->GetVariable(u"вещи", kept, second.get()));
  ASSERT_EQ(kept.Items().Count(), 3);
  EXPECT_EQ(kept.Items()[2].GetEntity(), second->FindObject(u"кухня"));
  EXPECT_EQ(second->FindObject(u"лампа")->Parent(), second->FindObject(u"кухня"));
}

TEST_F(world_copy, TheDigestSeesWhatTheGameCanChangeAndNotTheWordsTyped) {
  const uint64_t start = w.home.StateDigest();
  EXPECT_EQ(w.home.StateDigest(), start);
  w.Create(kw::type_word, u"светильник");  // the dictionary adds words as players type them
  EXPECT_EQ(w.home.StateDigest(), start);
  box->opened = false;
  EXPECT_NE(w.home.StateDigest(), start);
  box->opened = true;
  EXPECT_EQ(w.home.StateDigest(), start);
  hall->Exit(kw::dir_north).target = 0;
  EXPECT_NE(w.home.StateDigest(), start);
  hall->Exit(kw::dir_north).target = kitchen->Id();
  // A temporary property is scratch for one command: it changes no game.
  w.Run(u"ящик {\n tmp глагол = null\n}");
  const uint64_t with_scratch = w.home.StateDigest();
  w.Run(u"ящик.глагол = лампа");
  EXPECT_EQ(w.home.StateDigest(), with_scratch);
  w.Run(u"ящик.вес = 2");
  EXPECT_NE(w.home.StateDigest(), with_scratch);
  w.home.SetVariable(u"счёт", value::Number(1), true, false);
  EXPECT_NE(w.home.StateDigest(), start);
}

TEST_F(world_copy, FunctionsAreSharedUntilOneWorldDeclaresMore) {
  value declared = w.Run(u"действие(взять предмет) {\n--execute--\nreturn ok\n}");
  ASSERT_EQ(declared.Code(), kw::result_ok);
  std::unique_ptr<world> copy = w.home.Copy();
  EXPECT_EQ(&copy->functions.Functions(), &w.home.functions.Functions());
  value more = w.Run(u"действие(бросить предмет) {\n--execute--\nreturn ok\n}");
  ASSERT_EQ(more.Code(), kw::result_ok);
  EXPECT_EQ(w.home.functions.Functions().Count(), 2);
  EXPECT_EQ(copy->functions.Functions().Count(), 1);
}

}  // namespace
