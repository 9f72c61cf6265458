// Reading a property or calling a method by name: English then Russian
// names, properties reached through classes, attribute reads, the owner.

#include <gtest/gtest.h>

#include <vector>

#include "keyword_table.h"
#include "property_read.h"
#include "scripted_runner.h"
#include "test_support.h"
#include "world.h"

namespace {

// An interpreter stand-in that records where each evaluation runs.
class recording_runner : public scripted_runner {
 public:
  value Evaluate(variable&, context& holder, context& fresh) override {
    holders.push_back(&holder);
    places.push_back(fresh.Place());
    return value::Number(int32_t(holders.size()));
  }
  std::vector<context*> holders;
  std::vector<object*> places;
};

class property_reads : public ::testing::Test {
 protected:
  void SetUp() override { box->SetClass(value::Entity(kw::type_class, container)); }

  object* Make(int type, const char16_t* name) { return home.Create(&home, type, true, name); }
  static value As(object* entity) { return value::Entity(entity->Type(), entity); }
  static void Set(context* holder, const char16_t* name, const value& v) { holder->SetVariable(name, v, true, false); }

  // The property read, or the keyword null when there is none.
  value Read(const value& holder, const char16_t* english, const char16_t* russian = u"") {
    value result;
    return read_property(holder, code, english, russian, result) ? result : value();
  }

  world home{u"игра"};
  context code{&home, kw::type_context, &home};
  object* container = Make(kw::type_class, u"контейнер");
  object* box = Make(kw::type_object, u"ящик");
};

TEST_F(property_reads, OwnPropertiesComeBeforeThoseOfClasses) {
  Set(container, u"вес", value::Number(10));
  Set(container, u"цена", value::Number(5));
  Set(box, u"Вес", value::Number(3));
  EXPECT_EQ(Read(As(box), u"ВЕС").GetNumber(), 3);
  EXPECT_EQ(Read(As(box), u"цена").GetNumber(), 5);
  EXPECT_EQ(Read(As(box), u"цена").Owner(), box);
  EXPECT_EQ(Read(As(box), u"weight", u"вес").GetNumber(), 3);

  value untouched = value::Number(42);
  EXPECT_FALSE(read_property(As(box), code, u"цвет", u"окраска", untouched));
  EXPECT_EQ(untouched.GetNumber(), 42);
  EXPECT_EQ(wide_message([&] { read_property(untouched, code, u"вес", u"", untouched); }),
            "op_value::GetPrp() invalid Value!");

  // The holder is the value's entity, the entity it was read from, or the
  // context of a context value; a forgotten entity holds nothing.
  untouched.SetOwner(box);
  EXPECT_EQ(Read(untouched, u"вес").GetNumber(), 3);
  EXPECT_TRUE(Read(value::Number(1), u"вес").IsNull());
  Set(&code, u"погода", value::String(u"дождь"));
  EXPECT_EQ(Read(value::Context(&code), u"погода").Text(), u"дождь");
  value forgotten = As(box);
  home.Destroy(box);
  EXPECT_TRUE(Read(forgotten, u"вес").IsNull());
}

TEST_F(property_reads, AttributeReadsLookForTheAttributeThenATruth) {
  object* opened = Make(kw::type_attribute, u"открыт");
  auto answer = [&] { return Read(As(box), u"opened", u"Открыт"); };

  Set(box, u"открыт", value::Keyword(kw::result_no));
  EXPECT_EQ(answer().Code(), kw::result_no);
  // A true value on a class decides before a false one of the entity.
  Set(container, u"открыт", value::Keyword(kw::result_yes));
  EXPECT_EQ(answer().Code(), kw::result_yes);
  EXPECT_EQ(answer().Owner(), box);
  Set(box, u"открыт", As(opened));
  EXPECT_EQ(answer().GetEntity(), opened);

  Set(box, u"открыт", value::String(u"может быть"));
  Set(container, u"открыт", value::Keyword(kw::result_unknown));
  EXPECT_EQ(answer().Type(), kw::type_bool);
  EXPECT_EQ(answer().Code(), kw::result_unknown);
  // A false value anywhere in the collection makes it no.
  Set(container, u"открыт", value::Keyword(kw::result_illegal));
  EXPECT_EQ(answer().Code(), kw::result_no);

  // Without the attribute, the same property reads as it is.
  home.Destroy(opened);
  EXPECT_EQ(answer().Text(), u"может быть");
}

TEST_F(property_reads, AMethodRunsOnceForTheHolderAndOverridesItsClass) {
  recording_runner runner;
  home.SetRunner(&runner);
  Set(container, u"светить", value());
  container->FindVariable(u"светить")->is_computed = true;
  // Only the class has it: the class's method runs for the holder.
  EXPECT_EQ(Read(As(box), u"светить").GetNumber(), 1);
  EXPECT_EQ(runner.holders, (std::vector<context*>{container}));
  EXPECT_EQ(runner.places, (std::vector<object*>{box}));

  // The holder redefines it: its own method runs and the class's does not.
  runner.holders.clear();
  runner.places.clear();
  Set(box, u"светить", value());
  box->FindVariable(u"светить")->is_computed = true;
  EXPECT_EQ(Read(As(box), u"светить").GetNumber(), 1);
  EXPECT_EQ(runner.holders, (std::vector<context*>{box}));
  EXPECT_EQ(runner.places, (std::vector<object*>{box}));
}

}  // namespace
