// Moving entities: parents, the relation lists and the loop rule.

#include <gtest/gtest.h>

#include "keyword_table.h"
#include "location.h"
#include "test_support.h"
#include "world.h"

namespace {

using relation_list = c_array<object*, object*>;

// The lists of holder that hold e, as "I", "O" and "P"; a letter repeats
// when a list holds e more than once.
std::string relations(const object& holder, const object* e) {
  std::string found;
  const std::pair<const relation_list*, char> lists[] = {
      {&holder.inside, 'I'}, {&holder.outside, 'O'}, {&holder.part, 'P'}};
  for (const auto& [list, letter] : lists)
    for (const object* held : *list)
      if (held == e) found += letter;
  return found;
}

void place_directly(object& holder, object* e, const std::string& lists) {
  for (char letter : lists) {
    relation_list& list = letter == 'I' ? holder.inside : letter == 'O' ? holder.outside : holder.part;
    list.Insert(list.Count(), e);
  }
}

class movement : public ::testing::Test {
 protected:
  object* Make(int type, const char16_t* name) { return home.Create(&home, type, true, name); }

  world home{u"игра"};
};

TEST_F(movement, EachRowOfTheListTable) {
  struct row {
    char16_t where;
    bool same_place;
    std::string before;     // lists of the current parent holding the thing
    std::string old_after;  // ... afterwards
    std::string new_after;  // lists of the place moved to afterwards
  };
  const row rows[] = {
      {u'P', false, "IOP", "", "OP"}, {u'I', false, "IOP", "", "I"}, {u'O', false, "IOP", "", "O"},
      {u'P', true, "I", "IP", "IP"},  {u'I', true, "OP", "IP", "IP"}, {u'O', true, "IP", "OP", "OP"},
      {u'P', true, "IOP", "IOP", "IOP"},
      // A where of code 2 modulo 4 joins no list.
      {u'B', false, "I", "", ""}, {u'B', true, "IOP", "IOP", "IOP"},
  };
  object* first = Make(kw::type_location, u"первая");
  object* second = Make(kw::type_object, u"вторая");
  for (const row& r : rows) {
    object* thing = Make(kw::type_object, u"вещь");
    thing->MoveTo(first, u'B');
    place_directly(*first, thing, r.before);
    object* target = r.same_place ? first : second;
    thing->MoveTo(target, r.where);
    SCOPED_TRACE(std::string(1, char(r.where)) + (r.same_place ? " same" : " new") + " from " + r.before);
    EXPECT_EQ(thing->Parent(), target);
    EXPECT_EQ(relations(*first, thing), r.old_after);
    EXPECT_EQ(relations(*target, thing), r.new_after);
    home.Destroy(thing);
  }
}

TEST_F(movement, RefusalsAndSets) {
  object* room = Make(kw::type_location, u"комната");
  object* coin = Make(kw::type_object, u"монета");
  coin->MoveTo(room, u'I');
  coin->MoveTo(room, u'I');
  EXPECT_EQ(relations(*room, coin), "I");
  coin->MoveTo(room, u'O');
  EXPECT_EQ(relations(*room, coin), "O");
  EXPECT_EQ(wide_message([&] { coin->MoveTo(nullptr, u'I'); }), "object::MoveTo() invalid Place!");
  EXPECT_EQ(wide_message([&] { coin->MoveTo(coin, u'O'); }),
            "object::MoveTo() объект не может находиться сам в себе!");
  EXPECT_EQ(coin->Parent(), room);
  EXPECT_EQ(relations(*room, coin), "O");
}

TEST_F(movement, IntoItsOwnContent) {
  object* room = Make(kw::type_location, u"комната");
  object* box = Make(kw::type_object, u"ящик");
  object* bag = Make(kw::type_object, u"мешок");
  object* purse = Make(kw::type_object, u"кошелёк");
  box->MoveTo(room, u'I');
  bag->MoveTo(box, u'I');
  purse->MoveTo(bag, u'O');

  // Two objects: the content first steps up to the mover's parent.
  box->MoveTo(purse, u'I');
  EXPECT_EQ(purse->Parent(), room);
  EXPECT_EQ(relations(*room, purse), "I");
  EXPECT_EQ(relations(*bag, purse), "");
  EXPECT_EQ(box->Parent(), purse);
  EXPECT_EQ(relations(*purse, box), "I");
  EXPECT_EQ(relations(*room, box), "");
  EXPECT_EQ(bag->Parent(), box);

  // Anything else in the way is a loop, and nothing moves.
  object* mark = Make(kw::type_attribute, u"метка");
  mark->MoveTo(bag, u'I');
  EXPECT_EQ(wide_message([&] { box->MoveTo(mark, u'I'); }), "object::MoveTo() петля!");
  context code(&home, kw::type_context, bag);
  EXPECT_EQ(wide_message([&] { box->MoveTo(&code, u'I'); }), "object::MoveTo() петля!");
  EXPECT_EQ(box->Parent(), purse);
  EXPECT_EQ(mark->Parent(), bag);

  // A mover without a parent cannot lift the content anywhere.
  box->SetParent(nullptr);
  EXPECT_EQ(wide_message([&] { box->MoveTo(bag, u'I'); }), "object::MoveTo() петля!");
  box->SetParent(purse);
}

TEST_F(movement, LocationsRelateBothWays) {
  object* hall = Make(kw::type_location, u"зал");
  object* yard = Make(kw::type_location, u"двор");
  object* cellar = Make(kw::type_location, u"подвал");
  object* box = Make(kw::type_object, u"ящик");
  EXPECT_EQ(wide_message([&] { yard->MoveTo(box, u'I'); }), "object::MoveTo() invalid Place->Type!");
  EXPECT_EQ(wide_message([&] { yard->MoveTo(hall, u'X'); }), "object::MoveTo() invalid Where");
  EXPECT_EQ(relations(*hall, yard), "");

  // Code running somewhere is a context like any other.
  context code(&home, kw::type_context, &home);
  yard->MoveTo(&code, u'I');
  EXPECT_EQ(yard->Parent(), &code);

  yard->MoveTo(hall, u'I');
  EXPECT_EQ(yard->Parent(), &home);
  EXPECT_EQ(relations(*hall, yard), "I");
  EXPECT_EQ(relations(*yard, hall), "O");
  yard->MoveTo(cellar, u'P');
  yard->MoveTo(hall, u'O');
  EXPECT_EQ(relations(*hall, yard), "O");
  EXPECT_EQ(relations(*yard, hall), "I");
  // Only the relation with the new place is replaced.
  EXPECT_EQ(relations(*cellar, yard), "O");
  EXPECT_EQ(relations(*yard, cellar), "I");
}

}  // namespace
