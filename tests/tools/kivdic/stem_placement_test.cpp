#include "stem_placement.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

std::vector<size_t> in_order(size_t count) {
  std::vector<size_t> order(count);
  std::iota(order.begin(), order.end(), 0);
  return order;
}

TEST(stem_placement, ArticleGoesUnderTheKeyCoveringMostForms) {
  // Three forms share noun key 7; the fourth only meets them on verb key 9.
  std::vector<std::vector<form_keys>> forms = {{{7, 1}, {7, 2}, {7, 9}, {8, 9}}};
  stem_placement placement = PlaceArticles(forms, in_order(1));
  EXPECT_EQ(placement.entries, (std::map<uint16_t, std::vector<size_t>>{{7, {0}}, {8, {0}}}));
  EXPECT_TRUE(placement.losses.empty());
}

TEST(stem_placement, TwoChoicesHoldSixArticlesAndTheSeventhIsLost) {
  std::vector<std::vector<form_keys>> forms(7, {{1, 2}});
  stem_placement placement = PlaceArticles(forms, in_order(7));
  EXPECT_EQ(placement.entries, (std::map<uint16_t, std::vector<size_t>>{{1, {0, 2, 4}}, {2, {1, 3, 5}}}));
  ASSERT_EQ(placement.losses.size(), 1u);
  EXPECT_EQ(placement.losses[0].article, 6u);
  EXPECT_EQ(placement.losses[0].keys, 1u);
  EXPECT_EQ(placement.losses[0].forms, 1u);
}

TEST(stem_placement, FullKeyIsFreedByMovingAnArticleThatHasOtherKeys) {
  std::vector<std::vector<form_keys>> forms = {
      {{1, 11}, {1, 80}}, {{1, 12}, {1, 81}}, {{1, 13}, {1, 82}},  // could move to their verb keys
      {{2, 2}}, {{2, 2}}, {{2, 2}},                                // cannot move
      {{1, 2}, {1, 3}},                                            // wants key 1 for both forms
  };
  stem_placement placement = PlaceArticles(forms, in_order(7));
  EXPECT_TRUE(placement.losses.empty());
  EXPECT_EQ(placement.entries[1], (std::vector<size_t>{0, 1, 6}));
  EXPECT_EQ(placement.entries[13], (std::vector<size_t>{2}));
  EXPECT_EQ(placement.entries[82], (std::vector<size_t>{2}));
  EXPECT_EQ(placement.entries.count(3), 0u);
}

TEST(stem_placement, RoomIsMadeTwoArticlesDeep) {
  std::vector<std::vector<form_keys>> forms = {
      {{1, 2}, {1, 50}}, {{1, 2}, {1, 51}}, {{1, 2}, {1, 52}},  // fill key 1, could go to key 2
      {{2, 3}, {2, 60}}, {{2, 3}, {2, 61}}, {{2, 3}, {2, 62}},  // fill key 2, could go to key 3
      {{1, 1}},                                                 // needs key 1
  };
  stem_placement placement = PlaceArticles(forms, in_order(7));
  EXPECT_TRUE(placement.losses.empty());
  EXPECT_EQ(placement.entries[1], (std::vector<size_t>{0, 1, 6}));
  EXPECT_EQ(placement.entries[2], (std::vector<size_t>{2, 3, 4}));
  EXPECT_EQ(placement.entries[52], (std::vector<size_t>{2}));
  EXPECT_EQ(placement.entries[3], (std::vector<size_t>{5}));
  EXPECT_EQ(placement.entries[62], (std::vector<size_t>{5}));
}

TEST(stem_placement, SharedTextFindsItsMostUsefulArticleUnderItsNounKey) {
  // Text 0 (keys 5 and 6) is in both articles. Article 0 goes under verb
  // key 6 with its other forms, article 1 under noun key 5 with its own;
  // the engine would find article 1 first, so article 0 joins key 5 too.
  std::vector<std::vector<form_keys>> forms = {
      {{5, 6, 0}, {30, 6}, {31, 6}},
      {{5, 6, 0}, {5, 20}, {5, 21}},
  };
  stem_placement placement = PlaceArticles(forms, in_order(2));
  EXPECT_EQ(placement.entries[5], (std::vector<size_t>{0, 1}));
  EXPECT_EQ(placement.entries[6], (std::vector<size_t>{0}));
}

TEST(stem_placement, LostArticleCountsTheKeysAndFormsItWouldHaveNeeded) {
  // Each article needs one of keys 1 and 2 and one of keys 3 and 4; six
  // articles fill all four keys.
  std::vector<std::vector<form_keys>> forms(7, {{1, 2}, {3, 4}});
  stem_placement placement = PlaceArticles(forms, in_order(7));
  ASSERT_EQ(placement.losses.size(), 1u);
  EXPECT_EQ(placement.losses[0].article, 6u);
  EXPECT_EQ(placement.losses[0].keys, 2u);
  EXPECT_EQ(placement.losses[0].forms, 2u);
  for (uint16_t key : {1, 2, 3, 4}) EXPECT_EQ(placement.entries[key].size(), articles_per_key);
}

}  // namespace
