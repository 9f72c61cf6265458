// Locations: exits by target, blocked text and grid neighbour; directions
// between locations.

#include <gtest/gtest.h>

#include <climits>

#include "keyword_table.h"
#include "location.h"
#include "test_support.h"
#include "world.h"

namespace {

class location_exits : public ::testing::Test {
 protected:
  location* Place(const char16_t* name, int32_t x, int32_t y, int32_t z, const char16_t* plane = u"земля") {
    auto* made = static_cast<location*>(home.Create(&home, kw::type_location, true, name));
    made->position[0] = x;
    made->position[1] = y;
    made->position[2] = z;
    made->plane = plane;
    return made;
  }

  world home{u"игра"};
};

void expect_fail(const value& exit, const char16_t* text) {
  EXPECT_EQ(exit.Type(), kw::type_bool);
  EXPECT_EQ(exit.Code(), kw::result_fail);
  EXPECT_EQ(exit.Text(), text);
}

void expect_leads_to(const value& exit, const object* target) {
  EXPECT_TRUE(exit.IsEntity());
  EXPECT_EQ(exit.Type(), target->Type());
  EXPECT_EQ(exit.GetEntity(), target);
}

struct direction_row {
  int code;
  int32_t x, y, z;
  const char16_t* no_way;
  const char16_t* way;
};

const direction_row direction_rows[] = {
    {kw::dir_up, 0, 0, 1, u"выше здесь не подняться", u"здесь есть подъём"},
    {kw::dir_down, 0, 0, -1, u"здесь нет спуска вниз", u"здесь есть спуск"},
    {kw::dir_north, 0, 1, 0, u"на север не пройти", u"здесь есть проход на север"},
    {kw::dir_south, 0, -1, 0, u"на юг не пройти", u"здесь есть проход на юг"},
    {kw::dir_east, 1, 0, 0, u"на восток не пройти", u"здесь есть проход на восток"},
    {kw::dir_west, -1, 0, 0, u"на запад не пройти", u"здесь есть проход на запад"},
    {kw::dir_northeast, 1, 1, 0, u"на северо-восток не пройти", u"есть проход на северо-восток"},
    {kw::dir_northwest, -1, 1, 0, u"на северо-запад не пройти", u"есть проход на северо-запад"},
    {kw::dir_southeast, 1, -1, 0, u"на юго-восток не пройти", u"есть проход на юго-восток"},
    {kw::dir_southwest, -1, -1, 0, u"на юго-запад не пройти", u"есть проход на юго-запад"},
};

TEST_F(location_exits, EveryDirectionOnTheGrid) {
  location* centre = Place(u"центр", 10, 20, 30);
  for (const direction_row& d : direction_rows) {
    expect_fail(centre->GetExit(d.code), d.no_way);
    EXPECT_EQ(centre->GetExitText(d.code), d.no_way);
  }
  // A neighbour on another plane is none.
  Place(u"облако", 10, 21, 30, u"небо");
  EXPECT_EQ(centre->GetExitText(kw::dir_north), u"на север не пройти");

  for (const direction_row& d : direction_rows) {
    location* next =
        Place((u"соседка" + std::u16string(1, char16_t(u'0' + d.code - kw::dir_up))).c_str(), 10 + d.x, 20 + d.y,
              30 + d.z);
    SCOPED_TRACE(d.code);
    expect_leads_to(centre->GetExit(d.code), next);
    EXPECT_EQ(centre->GetExitText(d.code), d.way);
    EXPECT_EQ(centre->GetDirection(*next), d.code);
  }
}

TEST_F(location_exits, TargetsBlockedTextsAndExitTexts) {
  location* hall = Place(u"зал", 0, 0, 0);
  location* north = Place(u"коридор", 0, 1, 0);
  location* far = Place(u"башня", 50, 50, 50, u"небо");

  // A blocked text wins over the grid neighbour; an exit text over both.
  hall->Exit(kw::dir_north).blocked_text = u"дверь заперта";
  expect_fail(hall->GetExit(kw::dir_north), u"дверь заперта");
  EXPECT_EQ(hall->GetExitText(kw::dir_north), u"дверь заперта");
  hall->Exit(kw::dir_north).text = u"на севере дверь";
  EXPECT_EQ(hall->GetExitText(kw::dir_north), u"на севере дверь");

  // A target wins over the grid, wherever it lies.
  hall->Exit(kw::dir_east).target = far->Id();
  expect_leads_to(hall->GetExit(kw::dir_east), far);
  EXPECT_EQ(hall->GetExitText(kw::dir_east), u"здесь есть проход на восток");
  hall->Exit(kw::dir_up).target = north->Id();
  expect_leads_to(hall->GetExit(kw::dir_up), north);

  // A target that is no location leads there but offers no way.
  object* statue = home.Create(&home, kw::type_object, true, u"статуя");
  hall->Exit(kw::dir_west).target = statue->Id();
  expect_leads_to(hall->GetExit(kw::dir_west), statue);
  EXPECT_EQ(hall->GetExitText(kw::dir_west), u"на запад не пройти");

  // A target gone from the world leads nowhere.
  home.Destroy(far);
  expect_fail(hall->GetExit(kw::dir_east), u"на восток не пройти");
  EXPECT_EQ(hall->GetExitText(kw::dir_east), u"на восток не пройти");

  for (int bad : {int(kw::result_ok), kw::dir_southwest + 1}) {
    EXPECT_EQ(wide_message([&] { hall->GetExit(bad); }), "location::Exit() invalid Direction!");
    EXPECT_EQ(wide_message([&] { hall->GetExitText(bad); }), "location::Exit() invalid Direction!");
    EXPECT_EQ(wide_message([&] { direction_of(bad); }), "location::Exit() invalid Direction!");
  }
}

TEST_F(location_exits, DirectionBetweenLocations) {
  location* hall = Place(u"зал", 0, 0, 0);
  location* stairs = Place(u"лестница", 1, 1, 1);
  location* distant = Place(u"даль", 0, 2, 0);
  location* twin = Place(u"двойник", 0, 0, 0);
  location* above = Place(u"небосвод", 0, 0, 1, u"небо");
  location* east = Place(u"кухня", 1, 0, 0);
  for (location* none : {stairs, distant, twin, above})
    EXPECT_EQ(hall->GetDirection(*none), kw::type_null) << none->Id();

  // A named target gives its slot, even for a neighbour in another direction.
  hall->Exit(kw::dir_north).target = east->Id();
  EXPECT_EQ(hall->GetDirection(*east), kw::dir_north);
  hall->Exit(kw::dir_down).target = above->Id();
  EXPECT_EQ(hall->GetDirection(*above), kw::dir_down);
  // ... and nothing once that slot is blocked.
  hall->Exit(kw::dir_north).blocked_text = u"завал";
  EXPECT_EQ(hall->GetDirection(*east), kw::type_null);

  // A grid direction whose slot is blocked or leads elsewhere is dropped.
  EXPECT_EQ(east->GetDirection(*hall), kw::dir_west);
  east->Exit(kw::dir_west).target = distant->Id();
  EXPECT_EQ(east->GetDirection(*hall), kw::type_null);
  east->Exit(kw::dir_west).target = 0;
  east->Exit(kw::dir_west).blocked_text = u"стена";
  EXPECT_EQ(east->GetDirection(*hall), kw::type_null);
}

TEST_F(location_exits, ExtremePositionsDoNotWrap) {
  location* edge = Place(u"край", INT32_MAX, INT32_MIN, INT32_MAX);
  location* other_edge = Place(u"другой край", INT32_MIN, INT32_MIN, INT32_MAX);
  for (const direction_row& d : direction_rows) expect_fail(edge->GetExit(d.code), d.no_way);
  EXPECT_EQ(edge->GetDirection(*other_edge), kw::type_null);
  EXPECT_EQ(other_edge->GetDirection(*edge), kw::type_null);
}

}  // namespace
