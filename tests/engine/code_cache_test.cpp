// Code cut once and kept: blocks and expressions found by their text, the
// copies of an expression, and a block in use when the cache starts afresh.

#include <gtest/gtest.h>

#include <string>

#include "code_cache.h"
#include "test_support.h"

namespace {

std::string str(const wstring& text) { return encode_utf8(text.Text(), size_t(text.Length())); }

std::string first_texts(const lxms& l) {
  std::string out;
  for (int i = 0; i < l.Count(); ++i) out += (i ? " " : "") + str(l.Alternative(i)[0].text);
  return out;
}

TEST(code_cache, BlocksAreFoundByTheirText) {
  code_cache cache;
  std::shared_ptr<block> first = cache.Block(wstring(u"a = 1; b = 2"));
  EXPECT_EQ(cache.Block(wstring(u"a = 1; b = 2")), first);
  EXPECT_NE(cache.Block(wstring(u"a = 1; b = 3")), first);
  ASSERT_EQ(first->Lines().Count(), 2);
  EXPECT_EQ(str(first->Lines()[1]), "b = 2");
  // A bracket left open is refused every time, not kept as a block.
  for (int i = 0; i < 2; ++i) EXPECT_ANY_THROW(cache.Block(wstring(u"(a = 1")));
}

TEST(code_cache, ExpressionCopiesDoNotChangeEachOther) {
  code_cache cache;
  lxms changed = cache.Expression(wstring(u"x | y"));
  changed.ChangeAlternative(1)[0].text = u"z";
  EXPECT_EQ(first_texts(changed), "x z");
  const lxms again = cache.Expression(wstring(u"x | y"));
  EXPECT_EQ(first_texts(again), "x y");
  EXPECT_EQ(str(again.Alternative(0)[0].Rest()), "| y");
  // Each copy walks its alternatives on its own.
  lxms walked = cache.Expression(wstring(u"x | y"));
  ASSERT_TRUE(walked.Next());
  ASSERT_TRUE(walked.Next());
  EXPECT_EQ(str(walked.Line()[0].text), "y");
  lxms fresh = cache.Expression(wstring(u"x | y"));
  EXPECT_EQ(wide_message([&] { fresh.Line(); }), "lxms::Line() не итерировано!");
  EXPECT_EQ(wide_message([&] { cache.Expression(wstring(u"x | & y")); }),
            "Между знаками | или & должно быть выражение!");
}

TEST(code_cache, ABlockInUseOutlivesTheCacheStartingAfresh) {
  code_cache cache;
  std::shared_ptr<block> kept = cache.Block(wstring(u"kept = 1"));
  for (size_t i = 0; i < code_cache::max_entries; ++i) cache.Block(wstring(std::to_string(i).c_str()));
  EXPECT_NE(cache.Block(wstring(u"kept = 1")), kept);
  ASSERT_EQ(kept->Lines().Count(), 1);
  EXPECT_EQ(str(kept->Lines()[0]), "kept = 1");
}

}  // namespace
