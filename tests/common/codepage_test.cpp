#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "case_map.h"
#include "codepage.h"
#include "test_support.h"

namespace {

std::u16string from_1251(const std::string& bytes) { return decode_windows1251(bytes.data(), bytes.size()); }
std::string to_1251(const std::u16string& text) { return encode_windows1251(text.data(), text.size()); }
std::string to_utf8(const std::u16string& text) { return encode_utf8(text.data(), text.size()); }

bool utf8_ok(const std::string& bytes, std::u16string* out = nullptr) {
  std::u16string text;
  bool ok = decode_utf8(bytes.data(), bytes.size(), text);
  if (out) *out = text;
  return ok;
}

TEST(Windows1251, KnownCharacters) {
  EXPECT_EQ(from_1251("\xC0\xDF\xE0\xFF"), u"АЯая");
  EXPECT_EQ(from_1251("\xA8\xB8"), u"Ёё");
  EXPECT_EQ(from_1251("\x80\x81\x8A\x8F\x90\x9F"), u"ЂЃЉЏђџ");
  EXPECT_EQ(from_1251("\xA1\xA2\xA5\xAA\xAF\xB2\xB3\xB4\xBA\xBF"), u"ЎўҐЄЇІіґєї");
  EXPECT_EQ(from_1251("\x85\x88\x96\x97\xAB\xBB\xB9\x99"), u"…€–—«»№™");
  EXPECT_EQ(from_1251("\x82\x84\x91\x92\x93\x94\xA0"), u"‚„‘’“”\u00A0");
  EXPECT_EQ(from_1251("Az09 ~\x7F"), u"Az09 ~\x7F");
  EXPECT_EQ(from_1251(std::string(1, '\0')), std::u16string(1, u'\0'));

  EXPECT_EQ(to_1251(u"Привет, мир! Ёж №5 «—»"), "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0! \xA8\xE6 \xB9" "5 \xAB\x97\xBB");
}

TEST(Windows1251, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(char(b));
  std::u16string text = from_1251(all);
  ASSERT_EQ(text.size(), 256u);
  EXPECT_EQ(to_1251(text), all);
  // No two bytes share a character.
  for (int a = 0; a < 256; ++a)
    for (int b = a + 1; b < 256; ++b) ASSERT_NE(text[a], text[b]) << a << " " << b;
}

TEST(Windows1251, UnmappableBecomesQuestionMark) {
  EXPECT_EQ(to_1251(u"a\u00E9b\u4E2D\u0462\xD83D\xDE00z"), "a?b??" "??z");
  EXPECT_EQ(to_1251(u"\u0100\u03A9"), "??");
}

TEST(Utf8, DecodesWellFormedText) {
  std::u16string out;
  EXPECT_TRUE(utf8_ok("", &out));
  EXPECT_EQ(out, u"");
  EXPECT_TRUE(utf8_ok("\xD0\xBF\xD1\x80\xD0\xB8", &out));
  EXPECT_EQ(out, u"при");
  // Boundaries of each sequence length.
  EXPECT_TRUE(utf8_ok("\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF", &out));
  EXPECT_EQ(out, u"\x7F\u0080\u07FF\u0800\uFFFF");
  EXPECT_TRUE(utf8_ok("\xF0\x9F\x98\x80", &out));
  EXPECT_EQ(out, u"\U0001F600");
  EXPECT_EQ(out.size(), 2u);
  EXPECT_TRUE(utf8_ok("\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", &out));
  EXPECT_EQ(out, u"\U00010000\U0010FFFF");
  EXPECT_TRUE(utf8_ok("\xED\x9F\xBF\xEE\x80\x80", &out));  // either side of the surrogates
  EXPECT_EQ(out, u"\uD7FF\uE000");
  EXPECT_TRUE(utf8_ok(std::string("a\0b", 3), &out));
  EXPECT_EQ(out, std::u16string(u"a\0b", 3));
}

TEST(Utf8, RejectsMalformedText) {
  EXPECT_FALSE(utf8_ok("\xC0\xAF"));              // overlong "/"
  EXPECT_FALSE(utf8_ok("\xC1\xBF"));              // overlong
  EXPECT_FALSE(utf8_ok("\xE0\x80\xAF"));          // overlong three bytes
  EXPECT_FALSE(utf8_ok("\xE0\x9F\xBF"));          // overlong U+07FF
  EXPECT_FALSE(utf8_ok("\xF0\x80\x80\xAF"));      // overlong four bytes
  EXPECT_FALSE(utf8_ok("\xF0\x8F\xBF\xBF"));      // overlong U+FFFF
  EXPECT_FALSE(utf8_ok("\xED\xA0\x80"));          // high surrogate
  EXPECT_FALSE(utf8_ok("\xED\xBF\xBF"));          // low surrogate
  EXPECT_FALSE(utf8_ok("\xF4\x90\x80\x80"));      // above U+10FFFF
  EXPECT_FALSE(utf8_ok("\xF5\x80\x80\x80"));
  EXPECT_FALSE(utf8_ok("\xFF"));
  EXPECT_FALSE(utf8_ok("\x80"));                  // stray continuation
  EXPECT_FALSE(utf8_ok("ab\xD0"));                // truncated at the end
  EXPECT_FALSE(utf8_ok("\xE0\xA0"));
  EXPECT_FALSE(utf8_ok("\xF0\x9F\x98"));
  EXPECT_FALSE(utf8_ok("\xD0\x41"));              // continuation missing
  EXPECT_FALSE(utf8_ok("\xE0\xA0\x41"));
  EXPECT_FALSE(utf8_ok("\xCF\xF0\xE8"));          // Windows-1251 "При"
}

TEST(Utf8, ReplacingDecoderMarksBrokenSequences) {
  auto decode = [](const std::string& bytes) { return decode_utf8_replacing(bytes.data(), bytes.size()); };
  EXPECT_EQ(decode("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(decode("\xE0\xA0"), u"\uFFFD");
  EXPECT_EQ(decode("\xD0\xB0\xE0\xA0z\xD0\xB0"), u"а\uFFFDzа");
  EXPECT_EQ(decode("\xED\xA0\x80x"), u"\uFFFDx");
  EXPECT_EQ(decode("\xF0\x9F\x98\x80"), u"\U0001F600");
}

TEST(Utf8, Encodes) {
  EXPECT_EQ(to_utf8(u"aя€"), "a\xD1\x8F\xE2\x82\xAC");
  EXPECT_EQ(to_utf8(u"\U0001F600\U0010FFFF"), "\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF");
  // Lone surrogates, including a high one at the very end.
  EXPECT_EQ(to_utf8(u"\xDE00" u"a\xD83D"), "\xEF\xBF\xBD" "a" "\xEF\xBF\xBD");
  EXPECT_EQ(to_utf8(u"\xD83D" u"x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(to_utf8(std::u16string(u"\0", 1)), std::string(1, '\0'));

  // Everything that encodes decodes back.
  std::u16string all;
  for (char32_t c = 1; c < 0x110000; c += 97) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    if (c < 0x10000) {
      all += char16_t(c);
    } else {
      all += char16_t(0xD800 + ((c - 0x10000) >> 10));
      all += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  std::u16string back;
  ASSERT_TRUE(utf8_ok(to_utf8(all), &back));
  EXPECT_EQ(back, all);
}

TEST(AnsiCodePage, FollowsTheSetting) {
  const char* setting = std::getenv("KIV_CODEPAGE");
  bool cp1251 = setting && std::strcmp(setting, "1251") == 0;
  ASSERT_EQ(ansi_codepage(), cp1251 ? codepage::windows1251 : codepage::utf8);

  std::string utf8_bytes = "\xD0\xBF\xD1\x80\xD0\xB8";  // "при"
  std::string cp1251_bytes = "\xEF\xF0\xE8";           // "при"
  EXPECT_EQ(decode_ansi(cp1251_bytes.data(), cp1251_bytes.size()), u"при");
  if (cp1251) {
    EXPECT_EQ(decode_ansi(utf8_bytes.data(), utf8_bytes.size()), u"РїСЂРё");
    EXPECT_EQ(encode_ansi(u"при", 3), cp1251_bytes);
  } else {
    EXPECT_EQ(decode_ansi(utf8_bytes.data(), utf8_bytes.size()), u"при");
    EXPECT_EQ(encode_ansi(u"при", 3), utf8_bytes);
    // One bad byte makes the whole text Windows-1251.
    std::string mixed = utf8_bytes + "\xFF";
    EXPECT_EQ(decode_ansi(mixed.data(), mixed.size()), u"РїСЂРёя");
  }
}

TEST(CaseMap, LatinAndCyrillicOnly) {
  std::u16string lower = u"abcxyzабвгдежзийклмнопрстуфхцчшщъыьэюяѐёђѓєѕіїјљњћќѝўџ";
  std::u16string upper = u"ABCXYZАБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯЀЁЂЃЄЅІЇЈЉЊЋЌЍЎЏ";
  ASSERT_EQ(lower.size(), upper.size());
  for (size_t i = 0; i < lower.size(); ++i) {
    EXPECT_EQ(upper_case(lower[i]), upper[i]) << i;
    EXPECT_EQ(lower_case(upper[i]), lower[i]) << i;
    EXPECT_EQ(upper_case(upper[i]), upper[i]) << i;
    EXPECT_EQ(lower_case(lower[i]), lower[i]) << i;
  }
  // Neighbours of the ranges and letters outside the tables stay.
  for (char16_t unit : std::u16string(u"@[`{09 \u00E9\u00C9\u03A9\u03C9\u0460\u0461\u0490\u0491\u03FF"))
    EXPECT_TRUE(upper_case(unit) == unit && lower_case(unit) == unit) << int(unit);
}

}  // namespace
