// The parser's replies with Russian quotes and one ellipsis character.

#include <gtest/gtest.h>

#include <string>

#include "typographic_quotes.h"

namespace {

std::u16string shown(const char16_t* text) { return typographic_quotes(wstring(text)).Text(); }

TEST(typographic_quotes, QuotesOpenAndCloseInTurnOutsideTags) {
  EXPECT_EQ(shown(u"Значение слова \"шляпа\" мне неизвестно."), u"Значение слова «шляпа» мне неизвестно.");
  EXPECT_EQ(shown(u"слова \"лам<b><font color='red'>п</font></b>у\" и \"ламу\""),
            u"слова «лам<b><font color='red'>п</font></b>у» и «ламу»");
  // A quote inside a tag is the tag's own.
  EXPECT_EQ(shown(u"<a href=\"x\">\"да\"</a>"), u"<a href=\"x\">«да»</a>");
  EXPECT_EQ(shown(u""), u"");
}

TEST(typographic_quotes, ThreeFullStopsMakeOneEllipsis) {
  EXPECT_EQ(shown(u"непонятно..."), u"непонятно…");
  EXPECT_EQ(shown(u"даже не знаю что сказать... или ...."), u"даже не знаю что сказать… или ….");
  EXPECT_EQ(shown(u"Конец. Да.."), u"Конец. Да..");
}

}  // namespace
