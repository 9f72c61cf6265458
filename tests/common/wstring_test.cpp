#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "random_source.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

// Exposes the block size, which the growth rules are about.
struct probe : wstring {
  using wstring::wstring;
  using wstring::operator=;
  int Cap() const { return Capacity(); }
};

std::u16string letters(int n) {
  std::u16string text;
  for (int i = 0; i < n; ++i) text += char16_t(u'A' + i % 26);
  return text;
}

bool is_1251() { return ansi_codepage() == codepage::windows1251; }

TEST(Wstring, EmptyNullAndConstruction) {
  for (wstring s : {wstring(), wstring(static_cast<const char16_t*>(nullptr)), wstring(u""),
                    wstring(static_cast<const char*>(nullptr)), wstring("")}) {
    EXPECT_EQ(s.Count(), 0);  // no storage at all
    ASSERT_NE(s.Text(), nullptr);
    EXPECT_EQ(s.Text()[0], 0);
    EXPECT_EQ(s.ToAnsi(), nullptr);
    EXPECT_EQ(s.UrlDecode(), nullptr);
    int bytes = 7;
    EXPECT_EQ(s.ToUtf8(bytes), nullptr);
    EXPECT_EQ(bytes, 0);
  }
  wstring text(u"abc");
  EXPECT_EQ(text.Count(), 4);
  EXPECT_EQ(text[-1], 0);  // the terminator is the last element

  const std::pair<double, const char16_t*> numbers[] = {
      {1e15, u"1e+15"}, {1e14, u"100000000000000"}, {0.0001, u"0.0001"}, {0.00001, u"1e-05"},
      {123.5, u"123.5"}, {1.0 / 3, u"0.333333333333333"}, {2.0 / 3, u"0.666666666666667"},
      {0.0, u"0"}, {-2.5, u"-2.5"}, {100.0, u"100"}, {1234567890123456.0, u"1.23456789012346e+15"}};
  for (auto [number, expected] : numbers) EXPECT_EQ(wstring(number), expected) << number;
}

TEST(Wstring, EightBitAndUtf8Conversions) {
  wstring cyrillic(u"Ёж при");
  EXPECT_STREQ(cyrillic.ToAnsi(), is_1251() ? "\xA8\xE6 \xEF\xF0\xE8" : "\xD0\x81\xD0\xB6 \xD0\xBF\xD1\x80\xD0\xB8");
  EXPECT_EQ(wstring(cyrillic.ToAnsi()), cyrillic);
  EXPECT_EQ(wstring("\xA8\xE6"), u"Ёж");  // under UTF-8 too: not UTF-8, so Windows-1251

  wstring part;
  part.Assign("abcdef", 3);
  part.Append("xyz!", 2);
  part.Append("", 5);
  part.Append("q", 0);
  EXPECT_EQ(part, u"abcxy");

  int bytes = 0;
  EXPECT_STREQ(wstring(u"а").ToUtf8(bytes), "\xD0\xB0");
  EXPECT_EQ(bytes, 3);
  EXPECT_STREQ(wstring(u"\U0001F600").ToUtf8(bytes), "\xF0\x9F\x98\x80");
  EXPECT_EQ(bytes, 5);
  // Three-byte characters convert whole, however many there are.
  EXPECT_STREQ(wstring(u"日—…").ToUtf8(bytes), "\xE6\x97\xA5\xE2\x80\x94\xE2\x80\xA6");
  EXPECT_EQ(bytes, 10);
}

TEST(Wstring, AssignAppendAndSelfReference) {
  wstring s(u"hello");
  s.Assign(u"world!", 5);
  EXPECT_EQ(s, u"world");
  for (int n : {0, -1}) {
    s.Assign(u"x", n);
    EXPECT_EQ(s.Count(), 0);
  }
  s = u"abcdef";
  s = s;
  s = s.Text();
  EXPECT_EQ(s, u"abcdef");
  s.Assign(s.Text() + 2, 3);  // part of its own text
  EXPECT_EQ(s, u"cde");
  s = static_cast<const char16_t*>(nullptr);
  EXPECT_EQ(s.Count(), 0);

  s += u'a';
  s += u"bc";
  s += wstring(u"de");
  s.Append(u"fgh", 2);
  s.Append(u"z", 0);
  s += u"";
  EXPECT_EQ(s, u"abcdefg");
  EXPECT_EQ(s + u"!", u"abcdefg!");
  EXPECT_EQ(s + nullptr, u"abcdefg");

  EXPECT_EQ(wide_message([&] { s += s; }), "wstring::operator+=(wstring&)");
  EXPECT_EQ(wide_message([&] { s += s.Text(); }), "wstring::operator+=(wchar_t*)");
  EXPECT_EQ(s, u"abcdefg");
  // Other pointers into its own text survive the block being replaced.
  s += s.Text() + 5;
  EXPECT_EQ(s, u"abcdefgfg");
  wstring big(letters(16).c_str());
  big.Append(big.Text(), big.Length());
  EXPECT_EQ(big, (letters(16) + letters(16)).c_str());
}

TEST(Wstring, CapacityRules) {
  probe s(u"abc");
  EXPECT_EQ(s.Cap(), 4);  // exact block
  s += u'd';              // full: the container grows it, at least 16
  EXPECT_EQ(s.Cap(), 16);
  probe one;
  one += u'x';
  EXPECT_EQ(one.Cap(), 2);
  probe first;
  first.Append(u"hello", 5);
  EXPECT_EQ(first.Cap(), 6);

  probe longer(letters(20).c_str());
  longer.Append(u"0123456789", 10);  // 31 elements, half again
  EXPECT_EQ(longer.Cap(), 46);
  longer.Append(u"0123456789", 10);  // 41 still fit
  EXPECT_EQ(longer.Cap(), 46);

  // Overwriting keeps a block unless it is more than half again too big.
  probe over(letters(20).c_str());
  over = letters(13).c_str();  // 14 elements: 21 <= 21
  EXPECT_EQ(over.Cap(), 21);
  over = letters(12).c_str();  // 13 elements: 21 > 19, exact block
  EXPECT_EQ(over.Cap(), 13);
  over = letters(30).c_str();
  EXPECT_EQ(over.Cap(), 31);
  s = u"x";  // 16 is never too big
  EXPECT_EQ(s.Cap(), 16);

  probe replaced(u"aaa");
  replaced.Replace(u"a", u"aa");  // grows once: 7 elements, at least 16
  EXPECT_EQ(replaced.Cap(), 16);
}

TEST(Wstring, SearchAndExtraction) {
  wstring s(u"abcabc");
  EXPECT_EQ(s.Find(u'b', 2), 4);
  for (int from : {-1, 6}) EXPECT_EQ(s.Find(u'a', from), -1);
  EXPECT_EQ(s.Find(u'\0'), -1);
  int pos = -7;
  EXPECT_TRUE(s.Find(u'c', pos, 3));
  EXPECT_EQ(pos, 5);
  EXPECT_FALSE(s.Find(u'a', pos, 4));
  EXPECT_FALSE(s.Find(u'a', pos, 7));
  EXPECT_FALSE(wstring().Find(u'a', pos, 0));
  EXPECT_EQ(pos, 5);

  EXPECT_EQ(s.Find(u"ca"), 2);
  EXPECT_EQ(s.Find(u"abcabcx"), -1);
  EXPECT_EQ(s.Find(u""), -1);
  EXPECT_EQ(s.Find(static_cast<const char16_t*>(nullptr)), -1);
  EXPECT_EQ(wstring().Find(u"a"), -1);
  EXPECT_EQ(s.FindAny(u"cb", 3), 4);
  EXPECT_EQ(s.FindAny(u""), -1);
  EXPECT_EQ(s.FindAny(u"a", -1), -1);
  EXPECT_EQ(s.FindAny(u"c", 6), -1);

  EXPECT_EQ(s.Left(2), u"ab");
  EXPECT_EQ(s.Left(100), u"abcabc");
  EXPECT_EQ(s.Right(2), u"bc");
  EXPECT_EQ(s.Right(100), u"abcabc");
  EXPECT_EQ(s.Mid(2, 3), u"cab");
  EXPECT_EQ(s.Mid(4, 2147483647), u"bc");
  for (const wstring& empty : {s.Left(0), s.Right(-1), s.Mid(6, 1), s.Mid(-1, 3), s.Mid(1, 0)})
    EXPECT_EQ(empty.Count(), 0);
}

TEST(Wstring, Comparison) {
  wstring empty, a(u"a");
  for (const char16_t* right : {static_cast<const char16_t*>(nullptr), u""}) {
    EXPECT_TRUE(empty == right && !(empty != right) && !(empty > right) && !(empty < right));
    EXPECT_TRUE(!(a == right) && a != right && a > right && !(a < right));
  }
  EXPECT_TRUE(!(empty == u"a") && empty != u"a" && !(empty > u"a") && empty < u"a");
  EXPECT_TRUE(a == u"a" && a < u"b" && a < u"aa" && !(a > u"a") && !(a == u"A"));
  EXPECT_TRUE(wstring(u"Z") < u"a" && wstring(u"я") > u"Я");
  EXPECT_TRUE(wstring(u"\uFFFF") > u"a");  // units are unsigned
  EXPECT_TRUE(wstring() == wstring(u"") && wstring(u"ab") != wstring(u"a"));
  EXPECT_FALSE(wstring(u"ab") == wstring(u"ac"));
  EXPECT_TRUE(wstring() < wstring(u"a") && !(wstring(u"a") < wstring()));
}

TEST(Wstring, Trim) {
  wstring s(u"  inner\ttext \r\n");
  s.Trim();
  EXPECT_EQ(s, u"inner\ttext");
  wstring blank(u" \r\n\t ");
  blank.Trim();
  EXPECT_EQ(blank.Count(), 0);

  wstring twenty(letters(20).c_str());
  twenty.Trim(10);
  EXPECT_EQ(twenty, u"ABCDEFG...");
  std::u16string hundred = letters(100);
  wstring cut(hundred.c_str());
  cut.Trim(55);
  EXPECT_EQ(cut, (hundred.substr(0, 25) + u"\n...\n" + hundred.substr(75)).c_str());
  wstring at49((u"  " + letters(60) + u" ").c_str());  // abbreviates the trimmed text
  at49.Trim(49);
  EXPECT_EQ(at49, (letters(46) + u"...").c_str());
  wstring at50(letters(60).c_str());
  at50.Trim(50);
  EXPECT_EQ(at50, (letters(22) + u"\n...\n" + letters(60).substr(37)).c_str());

  // Nothing to trim leaves the block alone; trimming makes an exact one.
  probe grown(u"abc");
  grown += u'd';
  grown.Trim(4);
  EXPECT_EQ(grown.Cap(), 16);
  grown += u"  ";
  grown.Trim();
  EXPECT_EQ(grown, u"abcd");
  EXPECT_EQ(grown.Cap(), 5);
}

TEST(Wstring, Replace) {
  wstring a3(u"aaa");
  EXPECT_EQ(a3.Replace(u"a", u"aa"), 3);
  EXPECT_EQ(a3, u"aaaaaa");
  wstring limited(u"aaa");
  EXPECT_EQ(limited.Replace(u'a', u"bb", 2), 2);
  EXPECT_EQ(limited, u"bbbba");
  wstring removed(u"a-b--c-");
  EXPECT_EQ(removed.Replace(u'-', nullptr), 4);
  EXPECT_EQ(removed, u"abc");
  wstring inside(u"ab");
  EXPECT_EQ(inside.Replace(u"a", u"ba"), 1);  // never matches inside its own replacement
  EXPECT_EQ(inside, u"bab");
  wstring overlap(u"aaaaa");
  EXPECT_EQ(overlap.Replace(u"aa", u"b"), 2);
  EXPECT_EQ(overlap, u"bba");
  wstring gone(u"xx");
  EXPECT_EQ(gone.Replace(u"x", u""), 2);
  EXPECT_EQ(gone.Length(), 0);

  wstring same(u"abc");
  EXPECT_EQ(same.Replace(u"z", u"y") + same.Replace(u"", u"y") + same.Replace(u'\0', u"y") +
                same.Replace(u"a", u"y", 0) + wstring().Replace(u"a", u"b"),
            0);
  EXPECT_EQ(same, u"abc");
  wstring own(u"xyx");  // a replacement taken from the text itself
  EXPECT_EQ(own.Replace(u"x", own.Text()), 2);
  EXPECT_EQ(own, u"xyxyxyx");

  // Growth beyond an int32 count is refused before anything changes.
  wstring text(std::u16string(100000, u'a').c_str());
  std::u16string huge(30000, u'b');
  EXPECT_EQ(wide_message([&] { text.Replace(u"a", huge.c_str()); }), "wstring: text too long!");
  EXPECT_EQ(text.Find(u'b'), -1);
}

TEST(Wstring, CaseCommentsAndEscapes) {
  wstring s(u"abc Привет ѐџ Q");
  s.ToUpper();
  EXPECT_EQ(s, u"ABC ПРИВЕТ ЀЏ Q");
  s.ToLower();
  EXPECT_EQ(s, u"abc привет ѐџ q");
  wstring first(u"мир мир");
  first.ToUpper(true);
  EXPECT_EQ(first, u"Мир мир");

  // ё becomes е, back-quotes go, then pairs of spaces become one.
  const std::pair<const char16_t*, const char16_t*> normalised[] = {
      {u"Ёлка` и  ёж", u"елка и еж"}, {u"    ", u"  "}, {u"a   b", u"a  b"}, {u"a ` b", u"a b"}};
  for (auto [text, expected] : normalised) {
    wstring n(text);
    n.ToLower(true);
    EXPECT_EQ(n, expected);
  }
  wstring plain(u"Ё`  ");
  plain.ToLower(false);
  EXPECT_EQ(plain, u"ё`  ");

  wstring code(u"a = 1; // set\r\nb//x\nc http://host");
  code.StripComments();
  EXPECT_EQ(code, u"a = 1; \r\nb\nc http:");
  const char16_t with_zero[] = {u'a', u'b', 0, u'c', u'/', u'/', u'z'};
  wstring zero;
  zero.Assign(with_zero, 7);
  zero.StripComments();  // the count follows the first zero unit
  EXPECT_EQ(zero.Count(), 3);

  wstring escaped(u"a\\\\b\\nc\\");
  escaped.Unescape();
  EXPECT_EQ(escaped, u"a\\bnc");
}

// What AddDateTime appends to "x" at the time t.
std::u16string stamp(const std::tm& t, bool date, bool time, bool seconds) {
  auto number = [](int n, bool two) {
    std::u16string out = two && n < 10 ? u"0" : u"";
    out += wstring(double(n)).Text();
    return out;
  };
  std::u16string out = u"x";
  if (date) {
    out += number(t.tm_mday, true);
    out += u'.';
    out += number(t.tm_mon + 1, true);
    out += u'.';
    out += number(t.tm_year + 1900, false);
  }
  if (date && time) out += u' ';
  if (time) {
    out += number(t.tm_hour, false);
    out += u':';
    out += number(t.tm_min, true);
    if (seconds) {
      out += u':';
      out += number(t.tm_sec, true);
    }
  }
  return out;
}

TEST(Wstring, AddDateTime) {
  auto now = [] {
    std::time_t clock = std::time(nullptr);
    std::tm local{};
    localtime_r(&clock, &local);
    return local;
  };
  const std::tuple<bool, bool, bool> requests[] = {{true, false, false}, {true, true, true}, {false, true, false}};
  for (auto [date, time, seconds] : requests) {
    std::tm before = now();
    wstring s(u"x");
    s.AddDateTime(date, time, seconds);
    std::tm after = now();
    std::u16string got = s.Text();
    EXPECT_TRUE(got == stamp(before, date, time, seconds) || got == stamp(after, date, time, seconds)) << utf8(got);
  }
  std::tm morning{};
  morning.tm_mday = 7;
  morning.tm_mon = 11;
  morning.tm_year = 124;
  morning.tm_hour = 9;
  morning.tm_min = 5;
  morning.tm_sec = 3;
  EXPECT_EQ(utf8(stamp(morning, true, true, true)), "x07.12.2024 9:05:03");  // the expectation itself
  wstring nothing(u"x");
  nothing.AddDateTime(false, false, true);
  EXPECT_EQ(nothing, u"x");
}

TEST(Wstring, ToInt) {
  const char* overflow = "wstring::ToInt() слишком большое число!";
  const char* range = "wstring::ToInt() Start out of range!";
  EXPECT_EQ(wstring(u"2000000009").ToInt(0, wstring::text_end), 2000000009);
  EXPECT_EQ(wide_message([] { wstring(u"2000000010").ToInt(0, 100000000); }), overflow);
  EXPECT_EQ(wide_message([] { wstring(u"300000000 ").ToInt(0, 100000000); }), overflow);
  EXPECT_EQ(wide_message([] { wstring(u"2000000009x").ToInt(); }), overflow);
  EXPECT_EQ(wstring(u"300000000").ToInt(0, 100000000), 300000000);
  EXPECT_EQ(wstring(u"300000000 ").ToInt(0, 8), 300000000);  // the space is not examined
  EXPECT_EQ(wstring(u"200000000 ").ToInt(), 200000000);

  EXPECT_EQ(wstring(u"x12").ToInt(), 0);
  EXPECT_EQ(wstring(u"-5").ToInt(), 0);
  EXPECT_EQ(wstring(u"x42y").ToInt(1), 42);
  EXPECT_EQ(wstring(u"12345").ToInt(0, 2), 123);
  EXPECT_EQ(wstring(u"12345").ToInt(1, 0), 2);  // end before start: the start alone
  EXPECT_EQ(wide_message([] { wstring(u"123").ToInt(3); }), range);
  EXPECT_EQ(wide_message([] { wstring(u"123").ToInt(-1); }), range);
  EXPECT_EQ(wide_message([] { wstring().ToInt(0); }), range);
}

TEST(Wstring, UrlDecode) {
  auto decode = [](const char16_t* text) {
    wstring s(text);
    std::u16string out = s.UrlDecode();
    EXPECT_EQ(s, text);  // the string itself stays
    return out;
  };
  EXPECT_EQ(decode(u"%D0%B0+"), u"а+");
  EXPECT_EQ(decode(u"%d0%b1 %2525"), u"б %25");
  EXPECT_EQ(decode(u"a%00b"), u"ab");  // a zero escape writes nothing
  EXPECT_EQ(decode(u"%FFz"), u"\uFFFDz");
  EXPECT_EQ(decode(u"\u0441"), u"A");  // units narrow to their low byte
  for (const char16_t* bad : {u"%G0", u"%0x", u"ab%4", u"%"}) EXPECT_EQ(decode(bad), u"Invalid URL!");
}

TEST(Wstring, AddRandom) {
  wstring none;
  for (int count : {0, -1, 1001}) EXPECT_FALSE(none.AddRandom(count));
  EXPECT_EQ(none.Count(), 0);
  wstring key(u"k");
  EXPECT_TRUE(key.AddRandom(1000));
  ASSERT_EQ(key.Length(), 1001);
  std::u16string seen;
  for (int i = 1; i <= 1000; ++i) {
    char16_t c = key[i];
    EXPECT_TRUE((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')) << int(c);
    if (seen.find(c) == seen.npos) seen += c;
  }
  EXPECT_GT(seen.size(), 50u);  // 1000 draws cover nearly all 62

  ASSERT_EQ(setenv("KIV_SEED", "12345", 1), 0);  // a fixed seed repeats the sequence
  wstring runs[2];
  for (wstring& run : runs) {
    random_source::Reseed();
    run.AddRandom(20);
  }
  unsetenv("KIV_SEED");
  random_source::Reseed();
  EXPECT_EQ(runs[0], runs[1]);
}

class WstringFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kiv-wstring-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::u16string Write(const std::string& name, const std::string& bytes) {
    fs::create_directories((dir_ / name).parent_path());
    std::ofstream(dir_ / name, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return Name(name);
  }
  std::u16string Name(const std::string& name) {
    std::string full = (dir_ / name).string();
    return decode_utf8_replacing(full.data(), full.size());
  }
  // "+" when loaded, else the error text.
  std::string Load(const std::u16string& name, wstring& text, int max_bytes = 0) {
    wstring error;
    return text.LoadFromFile(name.c_str(), nullptr, error, max_bytes) ? "+" : utf8(error.Text());
  }

  fs::path dir_;
};

TEST_F(WstringFile, ByteOrderMarks) {
  const std::pair<std::string, const char*> refusals[] = {
      {"\xFE\xFF\x00\x41", "UTF-16 (BE)"}, {std::string("\x00\x00\xFE\xFF", 4), "UTF-32 (BE)"},
      {std::string("\xFF\xFE\x00\x00", 4), "UTF-32 (LE)"}, {"+/v8", "UTF-7"}, {"+/v9", "UTF-7"},
      {"+/v+", "UTF-7"}, {"+/v/", "UTF-7"}, {"\xF7\x64\x4C\x99", "UTF-1"},
      {"\xDD\x73\x66\x73", "UTF-EBCDIC"}, {"\x0E\xFE\xFF\x20", "SCSU"}, {"\xFB\xEE\x28\x01", "BOCU-1"},
      {"\x84\x31\x95\x33", "GB-18030"}, {"\xFF\xFE", "UTF-32 (LE)"}};  // bytes past the end read as zero
  int i = 0;
  for (const auto& [start, encoding] : refusals) {
    wstring text(u"keep");
    std::string bytes = start == "\xFF\xFE" ? start : start + "text";
    EXPECT_EQ(Load(Write("refused" + std::to_string(i++), bytes), text),
              std::string("Формат ") + encoding + " не поддерживается!");
    EXPECT_EQ(text, u"keep");
  }

  const std::pair<std::string, const char16_t*> loaded[] = {
      {"\xEF\xBB\xBF\xD0\xBF\xD1\x80\xD0\xB8\r\nx", u"при\r\nx"},
      {std::string("\xEF\xBB\xBF" "ab\0cd", 8), u"ab"},
      {"\xEF\xBB\xBF" "a\xFF" "b", u"a\uFFFDb"},
      {"\xEF\xBB\xBF", u""},  // the wildcard meets the zero past the end
      {std::string("\xFF\xFE\x3F\x04\x40\x04\x41\x00", 8), u"прA"},
      {std::string("\xFF\xFE\x41\x00\x00\x00\x42\x00", 8), u"A"},
      {std::string("\xFF\xFE\x41\x00\x42", 5), u"AB"},  // an odd byte pairs with the padding
      {std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), u"\U0001F600"},
      {"\xCF\xF0\xE8\xE2\xE5\xF2", u"Привет"},  // no mark and not UTF-8: Windows-1251
      {"\xD0\xBF\xD1\x80\xD0\xB8", is_1251() ? u"РїСЂРё" : u"при"},
      {std::string("abc\0def", 7), u"abc"},
      {std::string("\0abc", 4), u""},
      {"+/", u"+/"}};  // too short for a UTF-7 mark
  for (const auto& [bytes, expected] : loaded) {
    wstring text(u"old");
    EXPECT_EQ(Load(Write("loaded" + std::to_string(i++), bytes), text), "+") << i;
    EXPECT_EQ(text, expected) << i;
  }
}

TEST_F(WstringFile, SizeLimitAndMaxBytes) {
  const char* size_message = "не удалось определить размер файла!";
  wstring text(u"keep");
  EXPECT_EQ(Load(Write("exact", std::string(1000000, 'a')), text), "+");
  EXPECT_EQ(text.Length(), 1000000);
  text = u"keep";
  EXPECT_EQ(Load(Write("over", std::string(1000001, 'a')), text), size_message);
  EXPECT_EQ(Load(Name("over"), text, 10), size_message);  // whatever max_bytes says
  EXPECT_EQ(text, u"keep");
  fs::create_directories(dir_ / "folder");
  EXPECT_EQ(Load(Name("folder"), text), size_message);

  EXPECT_EQ(Load(Write("ten", "0123456789"), text, 4), "+");
  EXPECT_EQ(text, u"0123");
  EXPECT_EQ(Load(Name("ten"), text, 100), "+");
  EXPECT_EQ(text, u"0123456789");
  EXPECT_EQ(Load(Write("u8cut", "\xEF\xBB\xBF" "abcdef"), text, 5), "+");
  EXPECT_EQ(text, u"ab");
}

TEST_F(WstringFile, NamesAndOpenErrors) {
  const char* not_found = "маршрут или имя файла не найдены.";
  std::u16string real = Write("sub/real.txt", "real");
  std::u16string missing = Name("missing.txt");
  wstring text(u"keep"), error;
  EXPECT_TRUE(text.LoadFromFile(missing.c_str(), real.c_str(), error));
  EXPECT_EQ(text, u"real");
  text = u"keep";
  EXPECT_FALSE(text.LoadFromFile(missing.c_str(), Name("also-missing").c_str(), error));
  EXPECT_EQ(utf8(error.Text()), not_found);
  EXPECT_EQ(text, u"keep");
  EXPECT_EQ(Load(Name("sub/real.txt/inside"), text), not_found);

  EXPECT_EQ(Load(Name("sub") + u"\\real.txt", text), "+");  // "\" separates folders too
  EXPECT_EQ(text, u"real");
  EXPECT_EQ(Load(Write("игра.kiv", "game"), text), "+");
  EXPECT_EQ(text, u"game");

  text.LoadFromFileOrThrow(real.c_str());
  EXPECT_EQ(text, u"real");
  std::string thrown;
  try {
    text.LoadFromFileOrThrow(missing.c_str());
  } catch (const wstring& message) {
    thrown = utf8(message.Text());
  }
  EXPECT_EQ(thrown, not_found);
}

TEST_F(WstringFile, TooManyOpenFiles) {
#ifdef __SANITIZE_ADDRESS__
  // The sanitizers open a pipe to check memory; with no descriptor left
  // they report every virtual call as invalid.
  GTEST_SKIP() << "needs free descriptors under the sanitizers";
#endif
  std::u16string name = Write("fine", "fine");
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit low = saved;
  low.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  std::vector<int> held;
  for (int fd; (fd = ::open("/dev/null", O_RDONLY)) >= 0;) held.push_back(fd);
  wstring text(u"keep");
  std::string result = Load(name, text);
  for (int fd : held) close(fd);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
  EXPECT_EQ(result, "слишком много открытых файлов.");
  EXPECT_EQ(text, u"keep");
}

}  // namespace
