// Code lines (block) and expression lexemes (lxms).

#include <gtest/gtest.h>

#include "test_support.h"

#include <random>
#include <set>
#include <string>
#include <vector>

#include "block.h"
#include "keyword_table.h"
#include "lxms.h"

namespace {

using lines = std::vector<std::string>;

std::string str(const wstring& text) { return encode_utf8(text.Text(), size_t(text.Length())); }

lines lines_of(block& b) {
  lines out;
  for (const wstring& line : b.Lines()) out.push_back(str(line));
  return out;
}

lines lines_of(const char16_t* text) {
  block b{wstring(text)};
  return lines_of(b);
}

// Elements as "class:text", alternatives separated by " | ".
std::string show(lxms& l) {
  std::string out;
  for (int i = 0; i < l.Count(); ++i) {
    if (i > 0) out += " |";
    for (const lxms_data& e : l.Alternative(i)) {
      out += ' ';
      out += utf8(std::u16string(1, e.cls));
      out += ':';
      out += str(e.text);
    }
  }
  return out.empty() ? out : out.substr(1);
}

// The elements, or "!" and the message of a failed parse.
std::string lexemes(const char16_t* text) {
  lxms l;
  try {
    l.Parse(text);
  } catch (const char16_t* message) {
    return std::string("!") + utf8(message);
  }
  return show(l);
}

lxms_data first_element(const char16_t* text) {
  lxms l;
  l.Parse(text);
  return l.Alternative(0)[0];
}

std::u16string range(char16_t first, char16_t last) {
  std::u16string out;
  for (char32_t c = first; c <= last; ++c) out += char16_t(c);
  return out;
}

// The table against the characters listed for each class, each once.
void expect_table(const wchar_set& set, const std::vector<std::pair<char16_t, std::u16string>>& rows) {
  std::u16string listed(wchar_set::table_size, u'\0');
  for (const auto& [cls, chars] : rows)
    for (char16_t c : chars) {
      EXPECT_EQ(listed[size_t(wchar_set::TableIndex(c))], u'\0') << "twice: " << int(c);
      listed[size_t(wchar_set::TableIndex(c))] = cls;
    }
  EXPECT_EQ(std::u16string(set.Classes()), listed);
  EXPECT_EQ(str(set.BracketPairs()), "(){}[]");
}

TEST(lexeme_lines, Tables) {
  const std::u16string russian = std::u16string(u"Ё") + range(u'А', u'я') + u"ё";
  const std::u16string invalid = std::u16string(u"\u007F\u0400") + range(0x0402, 0x040F) + u"\u0450";
  std::u16string line_letters;
  for (char16_t c : range(0x20, 0x7E))
    if (std::u16string(u";\"(){}").find(c) == std::u16string::npos) line_letters += c;
  expect_table(block::LineTable(), {{u'_', range(0, 0x1F) + u";"},
                                    {u'`', u"\""},
                                    {u'{', u"({"},
                                    {u'}', u")}"},
                                    {u'L', line_letters + russian},
                                    {u'?', invalid}});
  expect_table(lxms::ExpressionTable(), {{u'_', range(0, 0x20)},
                                         {u'+', u"!%&'*+,-./<=>\\^|~"},
                                         {u'\'', u"\""},
                                         {u'@', u"#$:@_`"},
                                         {u'(', u"([{"},
                                         {u')', u")]}"},
                                         {u'N', range(u'0', u'9')},
                                         {u',', u";?"},
                                         {u'L', range(u'A', u'Z') + range(u'a', u'z')},
                                         {u'R', russian},
                                         {u'?', invalid}});
}

// ---------------------------------------------------------------- block

TEST(block, CutsLines) {
  // Brackets and quotes keep their semicolons; a comment ends the line.
  EXPECT_EQ(lines_of(u"a = 1; b = 2\nf(a; b); s = \"x;y\" // c; d\n  z  "),
            (lines{"a = 1", "b = 2", "f(a; b)", "s = \"x;y\"", "z"}));
  // After "=" or "*" lines a semicolon joins, after "-" lines it ends.
  EXPECT_EQ(lines_of(u"==\nПривет; как дела;мир\nещё;\nи\n--\nc;d\n**\ne;f"),
            (lines{"==", "Привет; как дела; мир", "ещё", "и", "--", "c", "d", "**", "e; f"}));
  // In code "{", "|" and "&" continue the line; in text they do not.
  EXPECT_EQ(lines_of(u"if (x)\n{\n  y = 1; z = 2\n}\nw = 3\n| v\n  & u\n==\nтекст\n{ x }"),
            (lines{"if (x){\n  y = 1; z = 2\n}", "w = 3| v& u", "==", "текст", "{ x }"}));
  // Nothing to continue on the first line; blanks are no line; a stray
  // closing bracket is a piece of its own.
  EXPECT_EQ(lines_of(u"// c\n{ a }\n \t \nb;  ;c) d"), (lines{"{ a }", "b", "c", ")", "d"}));
  EXPECT_TRUE(lines_of(u" \n ; \r\n").empty());
}

TEST(block, StripsOnePairOfBracketsAndKeepsNoHalfCut) {
  EXPECT_EQ(str(block(u"{a; b}").Source()), "a; b");
  EXPECT_EQ(str(block(u"\"{a}\"").Source()), "{a}");
  EXPECT_EQ(str(block(u"(a)").Source()), "a");
  // Square brackets do not group lines.
  EXPECT_EQ(str(block(u"[a]").Source()), "[a]");
  EXPECT_EQ(narrow_message([] { block(u"{a"); }), "скобки или кавычки не закрыты!");
  EXPECT_EQ(block().Kind(), 0);

  block broken(u"a\n{ b");
  EXPECT_EQ(narrow_message([&] { broken.Lines(); }), "В коде есть незакрытые скобки {}");
  // The lines before the failure must not pass for the whole block.
  EXPECT_EQ(narrow_message([&] { broken.Lines(); }), "В коде есть незакрытые скобки {}");
  EXPECT_EQ(wide_message([] { lines_of(u"a\u0400"); }), "недопустимый символ в строке!");
}

TEST(block, Sections) {
  for (const char16_t* line : {u"--", u"====", u"**x"}) EXPECT_TRUE(block::IsSectionLine(line));
  for (const char16_t* line : {u"-", u"-=", u"a--"}) EXPECT_FALSE(block::IsSectionLine(line));
  EXPECT_FALSE(block::IsLabelledSection(u"-----"));
  EXPECT_TRUE(block::IsLabelledSection(u"==-"));

  // The first labelled header splits the text; the lines keep it all.
  block b(u"x = 1\n==\nа;б\n== описание\nтекст; ещё\n--- осмотр\ny = 2; z = 3");
  EXPECT_EQ(lines_of(b),
            (lines{"x = 1", "==", "а; б", "== описание", "текст; ещё", "--- осмотр", "y = 2", "z = 3"}));
  EXPECT_EQ(str(b.Source()), "x = 1\n==\nа;б\n");
  EXPECT_EQ(str(b.SectionText()), "== описание\nтекст; ещё\n--- осмотр\ny = 2; z = 3");
  block unlabelled(u"x\n==\ny");
  EXPECT_EQ(lines_of(unlabelled), (lines{"x", "==", "y"}));
  EXPECT_TRUE(unlabelled.SectionText().IsEmpty());

  // Appended code goes before the sections; each cut starts as code.
  block text_last(u"a;b\n== t\nx;y");
  EXPECT_EQ(lines_of(text_last), (lines{"a", "b", "== t", "x; y"}));
  text_last.Append(u"{c;d}");
  EXPECT_EQ(str(text_last.Source()), "a;b\n\nc;d");
  EXPECT_EQ(lines_of(text_last), (lines{"a", "b", "c", "d", "== t", "x; y"}));
  EXPECT_EQ(str(text_last.SectionText()), "== t\nx;y");
}

// ---------------------------------------------------------------- lxms

TEST(lxms, Operators) {
  EXPECT_EQ(lexemes(u"a == b <= c >= d != e <> f && g || h < i"),
            "L:a +:CMP L:b +:>! L:c +:<! L:d +:C! L:e +:C! L:f +:&& L:g +:|| L:h +:< L:i");
  EXPECT_EQ(lexemes(u"x += 1; x -= 2 x *= 3 x /= 4 x++ y--"),
            "L:x +:=+ N:1 ,:; L:x +:=- N:2 L:x +:=* N:3 L:x +:=/ N:4 L:x +:=p L:y +:=m");
  // At the start or after an operator a sign is a prefix operator.
  EXPECT_EQ(lexemes(u"-a - b"), "-:m L:a +:- L:b");
  EXPECT_EQ(lexemes(u"a = -1 * -b"), "L:a +:= -:m N:1 +:* -:m L:b");
  EXPECT_EQ(lexemes(u"!a $ b $ (c)"), "-:! L:a +:$ L:b +:$ (:(c)");
  EXPECT_EQ(lexemes(u"$ a"), "-:$ L:a");
  // Signs apart are two operators, not one spelling.
  EXPECT_EQ(lexemes(u"x - -1 a = = b"), "L:x +:- -:m N:1 L:a +:= -:= L:b");
  // "." is not counted as an operator.
  EXPECT_EQ(lexemes(u"x.var .- y"), "L:x +:. k:var +:. +:- L:y");
}

TEST(lxms, Classes) {
  EXPECT_EQ(
      lexemes(u"#мн $слово @класс \"a b\" (c) [1] {d} 2d6 12 ; ? x-y _x :y (a"),
      "#:#мн $:$слово @:@класс \":\"a b\" (:(c) [:[1] {:{d} D:2d6 N:12 ,:; ,:? L:x-y L:_x L::y ,:( L:a");
  EXPECT_EQ(lexemes(u"a is @ b"), "!После @ ожидалось имя класса!");
  lxms_data word = first_element(u"дверь");
  EXPECT_TRUE(word.cyrillic);
  EXPECT_EQ(word.keyword, kw::type_null);
  EXPECT_FALSE(first_element(u"word").cyrillic);

  lxms l;
  l.Parse(u"  если (x > 1)  y = 2 \n");
  EXPECT_EQ(str(l.Alternative(0)[0].Rest()), "(x > 1)  y = 2");
  EXPECT_EQ(str(l.Alternative(0)[1].Rest()), "y = 2");
  EXPECT_EQ(str(l.Alternative(0)[4].Rest()), "");
  l.Parse(u"a == b");
  EXPECT_EQ(str(l.Alternative(0)[1].Rest()), "b");
}

TEST(lxms, Keywords) {
  // Three spellings, first letter in either case; all upper case is a word.
  EXPECT_EQ(lexemes(u"если If Num Локация cnt ЕСЛИ IF"), "k:if k:if k:number k:location k:count L:ЕСЛИ L:IF");
  EXPECT_EQ(first_element(u"Локация").keyword, kw::type_location);
  EXPECT_TRUE(first_element(u"если").cyrillic);
  EXPECT_EQ(lexemes(u"да нет ok север юго-запад this"), "b:yes b:no b:ok b:north b:southwest k:this");
  EXPECT_EQ(lexemes(u"preposition this"), "k:preposition L:this");

  // Prefix keywords at the start or after an operator, "not" anywhere;
  // check only as the first element.
  EXPECT_EQ(lexemes(u"переменная x = удалить y"), "-:var L:x +:= -:delete L:y");
  EXPECT_EQ(lexemes(u"check x = check y"), "-:check L:x +:= L:check L:y");
  EXPECT_EQ(lexemes(u"план x plane ret"), "-:PLANE L:x k:plane k:return");
  EXPECT_EQ(lexemes(u"x не y = not z"), "L:x -:! L:y +:= -:! L:z");

  // Relations after an operand are binary operators; "not" negates them.
  EXPECT_EQ(lexemes(u"x это y like z выше a below b севернее c south_of d east_of e западнее f"),
            "L:x +:is L:y +:like L:z +:above L:a +:below L:b +:north_of L:c +:south_of L:d "
            "+:east_of L:e +:west_of L:f");
  EXPECT_EQ(lexemes(u"a или b и c in d out e часть f"),
            "L:a +:or L:b +:AND L:c +:INSIDE L:d +:OUTSIDE L:e +:PART L:f");
  EXPECT_EQ(lexemes(u"это x = is y"), "k:is L:x +:= k:is L:y");
  EXPECT_EQ(lexemes(u"x не это y"), "L:x +:i! L:y");
  EXPECT_EQ(lexemes(u"x not и y not inside z"), "L:x +:A!D L:y +:I!SIDE L:z");
  EXPECT_EQ(lexemes(u"не это y = не это z"), "-:! k:is L:y +:= -:! k:is L:z");
  lxms merged;
  merged.Parse(u"x не это y");
  EXPECT_EQ(merged.Alternative(0)[1].keyword, kw::rel_is);
  EXPECT_EQ(str(merged.Alternative(0)[1].Rest()), "y");

  lxms_data part = first_element(u"часть");
  part.MakeBinaryOperator();
  EXPECT_EQ(part.cls, u'+');
  EXPECT_EQ(str(part.text), "PART");
}

TEST(lxms, AlternativesInOrder) {
  EXPECT_EQ(lexemes(u"a + 1 & b"), "L:a +:+ N:1 | L:b");
  EXPECT_EQ(lexemes(u"a |"), "L:a |");
  EXPECT_EQ(lexemes(u"a | b & c"), "!В выражении нельзя смешивать знаки | и &!");
  EXPECT_EQ(lexemes(u"a & b | c"), "!В выражении нельзя смешивать знаки | и &!");
  for (const char16_t* text : {u"| a", u"a | | b", u"a & & b"})
    EXPECT_EQ(lexemes(text), "!Между знаками | или & должно быть выражение!");

  lxms l;
  EXPECT_EQ(wide_message([&] { l.Line(); }), "lxms::Line() не итерировано!");
  l.Parse(u"a | b | c");
  EXPECT_EQ(l.ListSign(), u'|');
  EXPECT_EQ(wide_message([&] { l.Line(); }), "lxms::Line() не итерировано!");
  std::string seen;
  while (l.Next()) seen += str(l.Line()[0].text);
  EXPECT_EQ(seen, "abc");
  EXPECT_FALSE(l.Next());

  // A failed parse keeps nothing of the last one, nor of itself.
  EXPECT_EQ(wide_message([&] { l.Parse(u"x | y & z"); }), "В выражении нельзя смешивать знаки | и &!");
  EXPECT_EQ(show(l), "");
  EXPECT_EQ(l.Count(), 1);
  EXPECT_EQ(l.ListSign(), 0);
  EXPECT_EQ(wide_message([&] { l.Line(); }), "lxms::Line() не итерировано!");
}

TEST(lxms, AmpersandStartsAtRandom) {
  std::set<std::string> firsts;
  for (int trial = 0; trial < 200; ++trial) {
    lxms l;
    l.Parse(u"a & b & c & d");
    EXPECT_EQ(l.ListSign(), u'&');
    ASSERT_TRUE(l.Next());
    std::string first = str(l.Line()[0].text);
    std::string others;
    while (l.Next()) others += str(l.Line()[0].text);
    // The others follow in order, each once.
    std::string expected = "abcd";
    expected.erase(expected.find(first), 1);
    ASSERT_EQ(others, expected) << first;
    firsts.insert(first);
  }
  EXPECT_GT(firsts.size(), 1u);
}

// ---------------------------------------------------------------- hostile text

// Whatever f raises, marked by its type; empty when nothing.
template <class F>
std::string any_message(F&& f) {
  try {
    f();
  } catch (const char16_t* message) {
    return std::string("w:") + utf8(message);
  } catch (const char* message) {
    return std::string("n:") + message;
  } catch (const wstring& message) {
    return std::string("s:") + str(message);
  }
  return "";
}

bool known_message(const std::string& m) {
  static const std::set<std::string> fixed = {"",
                                              "w:После @ ожидалось имя класса!",
                                              "w:Между знаками | или & должно быть выражение!",
                                              "w:В выражении нельзя смешивать знаки | и &!",
                                              "w:недопустимый символ в строке!",
                                              "n:В коде есть незакрытые скобки {}",
                                              "n:скобки или кавычки не закрыты!"};
  return fixed.count(m) ||
         (m.rfind("s:", 0) == 0 && m.find(" \n- неверно закрыта скобка ") != std::string::npos) ||
         (m.rfind("s:лексема '", 0) == 0 &&
          m.find("' содержит и русские и латинские буквы!") != std::string::npos);
}

TEST(lexeme_lines, RandomTextRaisesOnlyKnownMessages) {
  const std::u16string alphabet =
      u"(){}[]\"'\\;|&@#$-=*<>!+/ \n\t.,:?_`%^~ abxyz 0123 абвгдеёжя Ё если не это и";
  std::mt19937 random(20240605);
  for (int trial = 0; trial < 4000; ++trial) {
    std::u16string text;
    for (int i = int(random() % 48); i > 0; --i) {
      unsigned pick = random() % 200;
      text += pick == 0 ? u'\u0400' : pick == 1 ? u'\u2014' : alphabet[random() % alphabet.size()];
    }
    std::string m = any_message([&] {
      block b{wstring(text.c_str())};
      for (const wstring& line : b.Lines()) {
        ASSERT_FALSE(line.IsEmpty());
        EXPECT_TRUE(line[0] > u' ' && line[line.Length() - 1] > u' ');
      }
    });
    EXPECT_TRUE(known_message(m)) << m << " from block " << utf8(text);
    m = any_message([&] {
      lxms l;
      l.Parse(text.c_str());
      // Only the last alternative may be empty (a trailing sign).
      for (int i = 0; i + 1 < l.Count(); ++i) EXPECT_GT(l.Alternative(i).Count(), 0);
      int visited = 0;
      while (l.Next()) {
        l.Line();
        ++visited;
      }
      EXPECT_EQ(visited, l.Count());
    });
    EXPECT_TRUE(known_message(m)) << m << " from lxms " << utf8(text);
  }
}

TEST(lexeme_lines, DeepAndLongText) {
  const int n = 100000;
  std::u16string nested = std::u16string(n, u'(') + u"x" + std::u16string(n, u')');
  block deep{wstring((u"a = " + nested + u";b").c_str())};
  ASSERT_EQ(deep.Lines().Count(), 2);
  EXPECT_EQ(deep.Lines()[0].Length(), 2 * n + 5);
  lxms l;
  l.Parse(nested.c_str());
  EXPECT_EQ(show(l).size(), nested.size() + 2);

  std::u16string braces(n, u'{'), rounds(n, u'(');
  EXPECT_EQ(narrow_message([&] { block(wstring(u"a") + braces.c_str()).Lines(); }),
            "В коде есть незакрытые скобки {}");
  EXPECT_EQ(narrow_message([&] { l.Parse(braces.c_str()); }), "В коде есть незакрытые скобки {}");
  EXPECT_EQ(block(wstring(u"a") + rounds.c_str()).Lines().Count(), n + 1);
  l.Parse(rounds.c_str());
  EXPECT_EQ(l.Alternative(0).Count(), n);

  // Many lexemes and alternatives; each element's rest is the text after it.
  std::u16string sum, choice;
  for (int i = 0; i < n / 2; ++i) {
    sum += u"a+";
    choice += u"a|";
  }
  l.Parse((sum + u"a").c_str());
  ASSERT_EQ(l.Alternative(0).Count(), n + 1);
  EXPECT_EQ(l.Alternative(0)[0].Rest().Length(), n);
  EXPECT_EQ(str(l.Alternative(0)[n - 1].Rest()), "a");
  l.Parse((choice + u"a").c_str());
  EXPECT_EQ(l.Count(), n / 2 + 1);
}

}  // namespace
