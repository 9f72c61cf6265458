// Contexts and variables: assignment through the chain of contexts,
// variable keys, related attributes, nearest entities, computed variables.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "key_matrix.h"
#include "keyword_table.h"
#include "scripted_runner.h"
#include "test_support.h"
#include "world.h"

namespace {

// An interpreter stand-in whose evaluation of computed variables the test
// writes.
class evaluating_runner : public scripted_runner {
 public:
  value Evaluate(variable& computed, context& holder, context& fresh) override {
    return evaluate(computed, holder, fresh);
  }
  std::function<value(variable&, context&, context&)> evaluate;
};

class contexts : public ::testing::Test {
 protected:
  object* Make(int type, const char16_t* name, context* where = nullptr) {
    return home.Create(where ? where : &home, type, true, name);
  }
  static value Read(context& holder, const char16_t* name, context* reader = nullptr) {
    value v = value::Number(-1);
    holder.GetVariable(context::NormalisedName(name), v, reader);
    return v;
  }
  // A computed property "свет" of a new lamp.
  object* Lamp() {
    object* lamp = Make(kw::type_object, u"лампа");
    lamp->SetVariable(u"свет", value::Number(0), false, false);
    lamp->FindVariable(u"свет")->is_computed = true;
    return lamp;
  }

  world home{u"игра"};
  evaluating_runner runner;
};

TEST_F(contexts, AssignmentFindsItsVariableThroughTheChain) {
  context outer(&home, kw::type_context, &home);
  context inner(&home, kw::type_context, &outer);
  home.SetVariable(u"Счёт", value::Number(1), true, false);
  outer.SetVariable(u"местная", value::Number(2), true, false);

  // Only the root's variables may be assigned from inner code; names match
  // up to case, ё and stress marks.
  inner.SetVariable(u"СЧЕ`Т", value::Number(5), false, false);
  EXPECT_EQ(Read(home, u"счет").GetNumber(), 5);
  EXPECT_EQ(built_message([&] { inner.SetVariable(u"Местная", value::Number(3), false, false); }),
            "переменная Местная недоступна для изменения!");
  EXPECT_EQ(built_message([&] { inner.SetVariable(u"Нет", value::Number(3), false, false); }),
            "переменная Нет не объявлена!");
  EXPECT_EQ(Read(outer, u"местная").GetNumber(), 2);

  inner.SetVariable(u"местная", value::Number(7), true, false);
  EXPECT_EQ(Read(inner, u"местная").GetNumber(), 7);
  EXPECT_FALSE(inner.FindVariable(u"местная")->is_property);
  inner.DeleteVariable(u"местная");
  EXPECT_EQ(Read(inner, u"местная").GetNumber(), -1);
  inner.SetVariable(u"", value::Number(1), true, false);
  EXPECT_EQ(inner.Variables().Count(), 0);

  // Entities take properties without declaration.
  object* box = Make(kw::type_object, u"ящик");
  box->SetVariable(u"Вес", value::Number(3), false, false);
  EXPECT_TRUE(box->FindVariable(u"вес")->is_property);
  EXPECT_EQ(Read(*box, u"вес").GetNumber(), 3);
}

TEST_F(contexts, VariableKeyDropsStrippedKeyCharacters) {
  value tagged = value::String(u"текст");
  tagged.SetKeyText(u"xcМчЕг");
  home.SetVariable(u"полный", tagged, true, false);
  home.SetVariable(u"краткий", tagged, true, true);
  key_matrix kept(home.FindVariable(u"полный")->key_text.Text());
  key_matrix stripped(home.FindVariable(u"краткий")->key_text.Text());
  EXPECT_EQ(kept.GetKey(), u"svЕгМч");
  EXPECT_EQ(stripped.GetKey(), u"svЕг");

  // A malformed key refuses the assignment before anything changes.
  tagged.SetKeyText(u"Мчx");
  EXPECT_EQ(built_message([&] { home.SetVariable(u"новая", tagged, true, false); }),
            "key_matrix::AddKey() invalid key - Мчx");
  EXPECT_EQ(home.FindVariable(u"новая"), nullptr);
}

TEST_F(contexts, GivingAnAttributeResetsItsRelatedOnes) {
  object* opened = Make(kw::type_attribute, u"открыт");
  Make(kw::type_attribute, u"закрыт");
  Make(kw::type_object, u"сломан");
  for (const char16_t* related : {u"Закрыт", u"сломан", u"пропавший", u"открыт"})
    opened->related_attributes.Insert(opened->related_attributes.Count(), related);
  object* door = Make(kw::type_object, u"дверь");

  door->SetVariable(u"закрыт", value::Keyword(kw::result_yes), false, false);
  door->SetVariable(u"Открыт", value::Keyword(kw::result_yes), false, false);
  EXPECT_EQ(Read(*door, u"открыт").Code(), kw::result_yes);
  EXPECT_EQ(Read(*door, u"закрыт").Code(), kw::result_no);
  // Only attributes that exist are set.
  EXPECT_EQ(door->Variables().Count(), 2);

  // Values other than truths, and contexts, leave related attributes alone.
  door->SetVariable(u"закрыт", value::Keyword(kw::result_yes), false, false);
  door->SetVariable(u"открыт", value::Number(1), false, false);
  EXPECT_EQ(Read(*door, u"закрыт").Code(), kw::result_yes);
  context code(&home, kw::type_context, door);
  code.SetVariable(u"открыт", value::Keyword(kw::result_yes), true, false);
  EXPECT_EQ(code.Variables().Count(), 1);
}

TEST_F(contexts, PlacingAndNearestEntitiesWithinAThousandSteps) {
  object* hall = Make(kw::type_location, u"зал");
  object* chest = Make(kw::type_object, u"сундук", hall);
  context bare(&home, kw::type_context, &home);
  EXPECT_EQ(bare.NearestEntity(), nullptr);
  EXPECT_EQ(chest->NearestEntity(), chest);
  EXPECT_EQ(wide_message([&] { bare.MoveTo(static_cast<object*>(nullptr)); }), "context::MoveTo() no Place!");
  bare.MoveTo(hall);
  EXPECT_EQ(bare.Place(), hall);

  // chain[k] lies k + 1 steps below the chest.
  std::vector<std::unique_ptr<context>> chain;
  for (context* above = chest; chain.size() < size_t(context::max_enclosing_steps); above = chain.back().get())
    chain.push_back(std::make_unique<context>(&home, kw::type_context, above));
  EXPECT_EQ(chain[997]->NearestLocation(), hall);
  EXPECT_EQ(chain[998]->NearestEntity(), chest);
  EXPECT_EQ(chain[998]->NearestLocation(), nullptr);
  EXPECT_EQ(chain[999]->NearestEntity(), nullptr);
}

TEST_F(contexts, ComputedVariableReadingItselfSeesNothing) {
  object* lamp = Lamp();
  EXPECT_TRUE(Read(*lamp, u"свет").IsNull());  // no interpreter

  home.SetRunner(&runner);
  context reader(&home, kw::type_context, &home);
  reader.characters[0] = 11;
  std::vector<value> inner_reads;
  runner.evaluate = [&](variable& computed, context& holder, context& fresh) {
    inner_reads.push_back(Read(holder, computed.name.Text(), &fresh));
    EXPECT_EQ(fresh.Place(), lamp);
    EXPECT_EQ(fresh.Parent(), &reader);
    EXPECT_EQ(fresh.characters[0], 11);
    // New properties sorted before it move the variable while it runs.
    for (char16_t c = u'а'; c < u'я'; ++c) holder.SetVariable(wstring(u"а") += c, value(), false, false);
    return value::Number(7);
  };
  EXPECT_EQ(Read(*lamp, u"свет", &reader).GetNumber(), 7);
  EXPECT_EQ(Read(*lamp, u"свет", &reader).GetNumber(), 7);
  ASSERT_EQ(inner_reads.size(), 2u);
  EXPECT_TRUE(inner_reads[1].IsNull());
  EXPECT_FALSE(lamp->FindVariable(u"свет")->being_computed);
}

TEST_F(contexts, FailedEvaluationsRaiseTheirMessages) {
  object* lamp = Lamp();
  home.SetRunner(&runner);
  runner.evaluate = [](variable&, context&, context&) -> value { throw evaluation_failure::invalid_code; };
  EXPECT_EQ(wide_message([&] { Read(*lamp, u"свет"); }), "variable::GetValue() invalid Code");
  runner.evaluate = [](variable&, context&, context&) -> value { throw evaluation_failure::not_computable; };
  EXPECT_EQ(wide_message([&] { Read(*lamp, u"свет"); }), "variable::GetValue() - Error CalcString()");
  runner.evaluate = [](variable&, context&, context&) -> value { throw u"своя ошибка"; };
  EXPECT_EQ(wide_message([&] { Read(*lamp, u"свет"); }), "своя ошибка");
  EXPECT_FALSE(lamp->FindVariable(u"свет")->being_computed);
}

}  // namespace
