// The engine's output pool as the turn hand-over uses it.

#include <gtest/gtest.h>

#include "test_support.h"

#include "output_pool.h"

namespace {

TEST(output_pool, CutsTagsFromTextAndSpeaksWithoutCalls) {
  output_pool pool;
  pool.Add(wstring(u"<location>Зал</location>2 < 3, а \\<b> не тег<i"));
  pool.AddItem(output_pool::call_kind, wstring(u"звук"), wstring(u"гром"));
  pool.AddItem(output_pool::call_argument_kind, wstring(u"громко"), wstring(u"громко"));
  pool.Add(wstring(u"Ст`ол"));
  auto& items = pool.Items();
  ASSERT_EQ(items.Count(), 7);
  EXPECT_EQ(items[0].kind, u'<');
  EXPECT_EQ(items[0].print_text, u"<location>");
  EXPECT_TRUE(items[0].speech_text.IsEmpty());
  EXPECT_EQ(items[1].print_text, u"Зал");
  EXPECT_EQ(items[3].print_text, u"2 < 3, а \\<b> не тег<i");
  // Speech leaves out tags and host-function calls; stress marks become "<".
  EXPECT_EQ(pool.GetSpeechText(), u"Зал2 < 3, а \\<b> не тег<iСт<ол");
  pool.Finish();
  EXPECT_EQ(items[3].print_text, u"2 < 3, а <b> не тег<i");
  pool.Clear();
  EXPECT_EQ(pool.Items().Count(), 0);
}

}  // namespace
