// Character classes and the tokenizer.

#include <gtest/gtest.h>

#include "test_support.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tokenizer.h"
#include "wchar_set.h"

namespace {

struct lexeme {
  std::u16string text;
  char16_t kind;
  bool pure_russian;
  int start;
};

// Collects every lexeme; answers true (stop) once it holds stop_after.
class recorder : public tokenizer {
 public:
  explicit recorder(const wchar_set& set, int stop_after = -1) : tokenizer(set), stop_after_(stop_after) {}

  std::vector<lexeme> items;
  const char16_t* text = nullptr;

  void Run(const char16_t* scanned) {
    items.clear();
    text = scanned;
    Scan(scanned);
  }

 protected:
  bool OnLexeme(const char16_t* start, int length, bool pure_russian, char16_t kind) override {
    items.push_back(lexeme{std::u16string(start, size_t(length)), kind, pure_russian, int(start - text)});
    return stop_after_ >= 0 && int(items.size()) >= stop_after_;
  }

 private:
  int stop_after_;
};

// The lexemes as "[text]K", with "*" after the kind of a pure-Russian word.
std::string show(const std::vector<lexeme>& items) {
  std::string out;
  for (const lexeme& item : items) {
    if (!out.empty()) out += ' ';
    out += '[' + utf8(item.text) + ']' + utf8(std::u16string(1, item.kind));
    if (item.pure_russian) out += '*';
  }
  return out;
}

// What a scan hands on, or "!" and the message it raised after the lexemes
// handed on before it.
std::string scan(const wchar_set& set, const std::u16string& text, int stop_after = -1) {
  recorder r(set, stop_after);
  std::string error;
  try {
    r.Run(text.c_str());
  } catch (const char16_t* message) {
    error = "!" + utf8(message);
  } catch (const char* message) {
    error = "!" + std::string(message);
  } catch (const wstring& message) {
    error = "!" + utf8(std::u16string(message.Text(), size_t(message.Length())));
  }
  std::string out = show(r.items);
  if (!error.empty()) out += (out.empty() ? "" : " ") + error;
  return out;
}

std::string code(const std::u16string& text, int stop_after = -1) {
  return scan(wchar_set::GameCode(), text, stop_after);
}
std::string output(const std::u16string& text) { return scan(wchar_set::Output(), text); }

// The statement-line table, written with the class_table builder: a table
// whose quote and brackets continue the lexeme.
wchar_set line_table() {
  class_table t(u'L');
  t.Range(u'_', 0x0000, 0x001F)
      .Chars(u'_', u";")
      .Chars(u'`', u"\"")
      .Chars(u'{', u"({")
      .Chars(u'}', u")}")
      .Char(u'?', 0x007F)
      .Char(u'?', 0x0400)
      .Range(u'?', 0x0402, 0x040F)
      .Char(u'?', 0x0450);
  return wchar_set(t.Text(), u"(){}[]");
}
std::string line(const std::u16string& text) { return scan(line_table(), text); }

// The tables row by row, checked entry by entry.
void expect_table(const wchar_set& set, const std::vector<std::pair<char16_t, std::u16string>>& rows) {
  std::u16string seen(wchar_set::table_size, u'\0');
  for (const auto& [cls, chars] : rows)
    for (char16_t c : chars) {
      int index = wchar_set::TableIndex(c);
      ASSERT_GE(index, 0) << int(c);
      EXPECT_EQ(seen[size_t(index)], u'\0') << "listed twice: " << int(c);
      seen[size_t(index)] = cls;
      EXPECT_EQ(set.TableClass(c), cls) << "U+" << std::hex << int(c);
    }
  for (int i = 0; i < wchar_set::table_size; ++i) EXPECT_NE(seen[size_t(i)], u'\0') << "not listed: " << i;
  EXPECT_EQ(std::u16string(set.Classes()), seen);
}

std::u16string range(char16_t first, char16_t last) {
  std::u16string out;
  for (char16_t c = first; c <= last; ++c) out += c;
  return out;
}

const std::u16string controls = range(0x01, 0x1F);
const std::u16string russian = u"Ё" + range(u'А', u'я') + u"ё";
const std::u16string not_russian = u"\u0400" + range(0x0402, 0x040F) + u"\u0450";

// ---------------------------------------------------------------- tables

TEST(wchar_set, GameCodeTable) {
  wchar_set set = wchar_set::GameCode();
  expect_table(set, {{u'_', std::u16string(1, u'\0') + controls + u" "},
                     {u',', u"!,.:;?"},
                     {u'\'', u"\""},
                     {u'+', u"#$%&'*+-/=@\\^|~"},
                     {u'(', u"([{"},
                     {u')', u")]}"},
                     {u'<', u"<"},
                     {u'>', u">"},
                     {u'N', range(u'0', u'9')},
                     {u'L', range(u'A', u'Z') + range(u'a', u'z')},
                     {u'@', u"_`"},
                     {u'R', russian},
                     {u'?', u"\u007F" + not_russian}});
  EXPECT_EQ(set.BracketPairs(), u"(){}[]<>");
}

TEST(wchar_set, OutputTable) {
  wchar_set set = wchar_set::Output();
  expect_table(set, {{u'_', std::u16string(1, u'\0')},
                     {u',', controls + u" !,.:;?_"},
                     {u'+', u"\"#$%&'()*+-/=\\^{|}~\u007F"},
                     {u'(', u"["},
                     {u')', u"]"},
                     {u'<', u"<"},
                     {u'>', u">"},
                     {u'N', range(u'0', u'9')},
                     {u'L', u"@`" + range(u'A', u'Z') + range(u'a', u'z') + russian},
                     {u'?', not_russian}});
  EXPECT_EQ(set.BracketPairs(), u"<>[]");
}

TEST(wchar_set, CharactersOutsideTheTableJoinWords) {
  wchar_set set = wchar_set::GameCode();
  for (char16_t c : {char16_t(0x80), char16_t(0xE9), char16_t(0x3FF), char16_t(0x452), char16_t(0xD800),
                     char16_t(0xDFFF), char16_t(0xFFFF)}) {
    EXPECT_EQ(set.TableClass(c), u'@');
    EXPECT_EQ(set.GetClass(c, 0), u'@');
  }
}

TEST(wchar_set, ComputedClasses) {
  wchar_set set = wchar_set::GameCode();
  set.ResetPrevious();
  EXPECT_EQ(set.GetClass(u'2', u'd'), u'N');
  EXPECT_EQ(set.GetClass(u'd', u'6'), u'D');
  EXPECT_EQ(set.GetClass(u'6', 0), u'N');
  EXPECT_EQ(set.GetClass(u'D', u'1'), u'D');
  EXPECT_EQ(set.GetClass(u'd', u'1'), u'L');  // after a digit only
  set.ResetPrevious();
  EXPECT_EQ(set.GetClass(u'd', u'6'), u'L');
  EXPECT_EQ(set.GetClass(u'1', u'D'), u'N');
  EXPECT_EQ(set.GetClass(u'D', u'x'), u'L');  // a digit must follow
  EXPECT_EQ(set.GetClass(u'/', u'/'), u'/');
  EXPECT_EQ(set.GetClass(u'/', u'x'), u'+');
  EXPECT_EQ(set.Classify(u'd', u'6', u'N'), u'D');
  EXPECT_EQ(set.Classify(u'd', u'6', u'L'), u'L');
}

TEST(wchar_set, CloseBrackets) {
  wchar_set set = wchar_set::GameCode();
  EXPECT_EQ(set.GetCloseBracket(u'"'), u'"');
  EXPECT_EQ(set.GetCloseBracket(u'('), u')');
  EXPECT_EQ(set.GetCloseBracket(u'['), u']');
  EXPECT_EQ(set.GetCloseBracket(u'{'), u'}');
  EXPECT_EQ(set.GetCloseBracket(u'<'), u'>');
  EXPECT_EQ(set.GetCloseBracket(u')'), 0);
  EXPECT_EQ(set.GetCloseBracket(u'a'), 0);
  EXPECT_EQ(set.GetCloseBracket(u'я'), 0);
  wchar_set out = wchar_set::Output();
  EXPECT_EQ(out.GetCloseBracket(u'['), u']');
  EXPECT_EQ(out.GetCloseBracket(u'('), 0);  // a sign there
  EXPECT_EQ(out.GetCloseBracket(u'"'), 0);
  wchar_set lines = line_table();
  EXPECT_EQ(lines.GetCloseBracket(u'"'), u'"');  // class "`"
  EXPECT_EQ(lines.GetCloseBracket(u'('), u')');  // class "{"
  // An opening bracket without a partner in the pairs.
  wchar_set missing(wchar_set::GameCode().Classes(), u"()");
  EXPECT_EQ(wide_message([&] { missing.GetCloseBracket(u'['); }),
            "wchar_set::GetCloseBracket() закрывающая скобка не найдена!");
}

TEST(wchar_set, BuilderRefusesBadTables) {
  EXPECT_FALSE(class_table().Complete());
  EXPECT_TRUE(class_table(u'L').Complete());
  EXPECT_EQ(wide_message([] { class_table().Chars(u'L', u"aé"); }), "class_table::Chars() символ вне таблицы!");
  EXPECT_EQ(wide_message([] { class_table().Range(u'L', 0x440, 0x460); }),
            "class_table::Range() символ вне таблицы!");
  EXPECT_EQ(wide_message([] { wchar_set(class_table().Text(), u"()"); }),
            "wchar_set::wchar_set() таблица классов должна содержать 210 букв!");
  EXPECT_EQ(wide_message([] { wchar_set(u"LL", u"()"); }),
            "wchar_set::wchar_set() таблица классов должна содержать 210 букв!");
}

// ---------------------------------------------------------------- words

TEST(tokenizer, HyphenatedWords) {
  EXPECT_EQ(code(u"кто-то"), "[кто-то]L*");
  EXPECT_EQ(code(u"a-б"), "[a]L [-]+ [б]L*");
  EXPECT_EQ(code(u"well-known"), "[well-known]L");
  EXPECT_EQ(code(u"-то"), "[-]+ [то]L*");
  EXPECT_EQ(code(u"x - y"), "[x]L [-]+ [y]L");
  EXPECT_EQ(code(u"1-2"), "[1]N [-]+ [2]N");
}

TEST(tokenizer, WordsAndNumbers) {
  EXPECT_EQ(code(u"Дом дом2 12 x_1 _a"), "[Дом]L* [дом2]L [12]N [x_1]L [_a]L");
  EXPECT_EQ(code(u"2nd"), "[2nd]L");
  EXPECT_EQ(code(u"дом_"), "[дом_]L");  // "@" other than "-" clears pure-Russian
  EXPECT_EQ(code(u"\u00e9t\u00e9"), "[\u00e9t\u00e9]L");
  EXPECT_EQ(code(u"x+1, y."), "[x]L [+]+ [1]N [,], [y]L [.],");
}

TEST(tokenizer, DiceTerms) {
  EXPECT_EQ(code(u"2d6"), "[2d6]D");
  EXPECT_EQ(code(u"10D20+3"), "[10D20]D [+]+ [3]N");
  EXPECT_EQ(code(u"d6"), "[d6]L");
  EXPECT_EQ(code(u"2d"), "[2d]L");
  EXPECT_EQ(code(u"2dx"), "[2dx]L");
}

TEST(tokenizer, MixedAlphabets) {
  EXPECT_EQ(code(u"да приветhello нет"),
            "[да]L* !лексема 'приветhello' содержит и русские и латинские буквы!");
  EXPECT_EQ(code(u"helloмир"), "!лексема 'helloмир' содержит и русские и латинские буквы!");
  EXPECT_EQ(code(u"a-б-c"), "[a]L [-]+ [б]L* [-]+ [c]L");
}

// ---------------------------------------------------------------- single characters

TEST(tokenizer, SingleCharacters) {
  EXPECT_EQ(code(u")"), "[)])");
  EXPECT_EQ(code(u"a]"), "[a]L []])");
  EXPECT_EQ(code(u">"), "[>],");
  EXPECT_EQ(code(u"a = b"), "[a]L [=]+ [b]L");
  EXPECT_EQ(code(u" \t\r\n "), "");
  EXPECT_EQ(code(u""), "");
  recorder r(wchar_set::GameCode());
  r.Scan(nullptr);
  EXPECT_TRUE(r.items.empty());
}

TEST(tokenizer, ForbiddenCharacters) {
  EXPECT_EQ(code(u"a \u007F b"), "[a]L !недопустимый символ в строке!");
  EXPECT_EQ(code(u"\u0400"), "!недопустимый символ в строке!");
  EXPECT_EQ(code(u"да\u0450"), "[да]L* !недопустимый символ в строке!");
  // Inside a group a forbidden character is only text.
  EXPECT_EQ(code(u"\"\u007F\""), "[\"\u007F\"]\"");
}

TEST(tokenizer, LineComments) {
  EXPECT_EQ(code(u"a // b (\nc"), "[a]L [c]L");
  EXPECT_EQ(code(u"a//b"), "[a]L");
  EXPECT_EQ(code(u"//"), "");
  EXPECT_EQ(code(u"a / b"), "[a]L [/]+ [b]L");
  // The line feed stays: in the output table it is a lexeme of its own.
  EXPECT_EQ(output(u"a//b\nc"), "[a]L [\n], [c]L");
  // Inside a group slashes are text.
  EXPECT_EQ(code(u"\"http://x\""), "[\"http://x\"]\"");
}

// ---------------------------------------------------------------- groups

TEST(tokenizer, BracketGroups) {
  EXPECT_EQ(code(u"f(a, (b))"), "[f]L [(a, (b))](");
  EXPECT_EQ(code(u"[x]{y}"), "[[x]][ [{y}]{");
  EXPECT_EQ(code(u"([<{}>])"), "[([<{}>])](");
  EXPECT_EQ(code(u"(\\))"), "[(\\))](");  // an escaped closer
}

TEST(tokenizer, WrongBracket) {
  EXPECT_EQ(code(u"x (a]"), "[x]L !(a] \n- неверно закрыта скобка (]");
  EXPECT_EQ(code(u"{[}"), "!{[} \n- неверно закрыта скобка [}");
}

TEST(tokenizer, QuotedStrings) {
  EXPECT_EQ(code(u"say \"a, (b\" c"), "[say]L [\"a, (b\"]\" [c]L");
  EXPECT_EQ(code(u"\"a\\\"b\" c"), "[\"a\\\"b\"]\" [c]L");
  EXPECT_EQ(code(u"\"a{b}\" c"), "[\"a{b}\"]\" [c]L");  // an expression inside a string
  EXPECT_EQ(code(u"\"a{\"b\"}\" c"), "[\"a{\"b\"}\"]\" [c]L");
  EXPECT_EQ(code(u"\"a}\""), "[\"a}\"]\"");
  EXPECT_EQ(code(u"\"\""), "[\"\"]\"");
}

TEST(tokenizer, UnclosedGroups) {
  EXPECT_EQ(code(u"x \"abc def"), "[x]L [\"], [abc]L [def]L");
  EXPECT_EQ(code(u"(a (b) c"), "[(], [a]L [(b)]( [c]L");
  EXPECT_EQ(code(u"\"a\\"), "[\"], [a]L [\\]+");
  EXPECT_EQ(code(u"((("), "[(], [(], [(],");
  EXPECT_EQ(code(u"{ a"), "!В коде есть незакрытые скобки {}");
  EXPECT_EQ(code(u"(a {b"), "[(], [a]L !В коде есть незакрытые скобки {}");
  // The first entry of the stack decides: a "{" inside is handed on.
  EXPECT_EQ(code(u"({a"), "[(], !В коде есть незакрытые скобки {}");
  EXPECT_EQ(code(u"\"a{\" b"), "[\"], [a]L !В коде есть незакрытые скобки {}");
}

TEST(tokenizer, MarkUpTags) {
  EXPECT_EQ(code(u"a < b"), "[a]L [<], [b]L");
  EXPECT_EQ(code(u"a<3"), "[a]L [<], [3]N");
  EXPECT_EQ(code(u"<b>x</b>"), "[<b>]< [x]L [</b>]<");
  EXPECT_EQ(code(u"<font color='red'>"), "[<font color='red'>]<");
  // A line break ends an open tag: "<" is handed on alone.
  EXPECT_EQ(code(u"<a\nb>"), "[<], [a]L [b]L [>],");
  // ...but not a group that began with another bracket.
  EXPECT_EQ(code(u"(<a\nb>)"), "[(<a\nb>)](");
  EXPECT_EQ(code(u"<a \"x\ny\">"), "[<], [a]L [\"x\ny\"]\" [>],");
}

TEST(tokenizer, OutputTable) {
  EXPECT_EQ(output(u"<b>Привет</b>, мир!"), "[<b>]< [Привет]L [</b>]< [,], [ ], [мир]L [!],");
  EXPECT_EQ(output(u"a [b c] (d)"), "[a]L [ ], [[b c]][ [ ], [(]+ [d]L [)]+");
  EXPECT_EQ(output(u"\"x\" @ya"), "[\"]+ [x]L [\"]+ [ ], [@ya]L");
  EXPECT_EQ(output(u"a_b"), "[a]L [_], [b]L");
  EXPECT_EQ(output(u"Ура-ура"), "[Ура-ура]L");  // Russian letters are "L" here
  EXPECT_EQ(output(u"well-known"), "[well-known]L");
  EXPECT_EQ(output(u"[a"), "[[], [a]L");
  EXPECT_EQ(output(u"<location>Зал</location>"), "[<location>]< [Зал]L [</location>]<");
}

TEST(tokenizer, WordsCarryingGroups) {
  // The line table: quotes and brackets continue the lexeme, ";" and line
  // breaks separate.
  EXPECT_EQ(line(u"if (x) y = 1; z"), "[if (x) y = 1]L [ z]L");
  EXPECT_EQ(line(u"x = \"a;b\" + y"), "[x = \"a;b\" + y]L");
  EXPECT_EQ(line(u"if (x) {\n a;\n}\nb"), "[if (x) {\n a;\n}]L [b]L");
  EXPECT_EQ(line(u"(a) b"), "[(a) b]L");
  EXPECT_EQ(line(u"a(b}"), "!a(b} \n- неверно закрыта скобка (}");
  // A group that is never closed: the lexeme's first character is handed on
  // alone and the scan starts again after it.
  EXPECT_EQ(line(u"ab(c"), "[a], [b], [(], [c]L");
  EXPECT_EQ(line(u"a{b"), "!В коде есть незакрытые скобки {}");
}

TEST(tokenizer, CallbackStopsTheScan) {
  EXPECT_EQ(code(u"a b c d", 2), "[a]L [b]L");
  EXPECT_EQ(code(u"a (b) c", 2), "[a]L [(b)](");
  // Stopping on the unclosed opener leaves the rest unread.
  EXPECT_EQ(code(u"(a ]", 1), "!(a ] \n- неверно закрыта скобка (]");
  EXPECT_EQ(code(u"(a", 1), "[(],");
}

// ---------------------------------------------------------------- helpers

class plain : public tokenizer {
 public:
  explicit plain(const wchar_set& set) : tokenizer(set) {}

 protected:
  bool OnLexeme(const char16_t*, int, bool, char16_t) override { return false; }
};

TEST(tokenizer, HasNoWordChars) {
  plain t(wchar_set::GameCode());
  EXPECT_TRUE(t.HasNoWordChars(u""));
  EXPECT_TRUE(t.HasNoWordChars(nullptr));
  EXPECT_TRUE(t.HasNoWordChars(u", . ! - () \"\""));
  EXPECT_FALSE(t.HasNoWordChars(u", a"));
  EXPECT_FALSE(t.HasNoWordChars(u"7"));
  EXPECT_FALSE(t.HasNoWordChars(u"я"));
  EXPECT_FALSE(t.HasNoWordChars(u"_"));
  EXPECT_FALSE(t.HasNoWordChars(u"\u00e9"));
  EXPECT_TRUE(t.HasNoWordChars(u"//"));
}

TEST(tokenizer, TrimSeparators) {
  plain t(wchar_set::GameCode());
  wstring text(u" \t a, b \r\n");
  t.TrimSeparators(text);
  EXPECT_EQ(text, u"a, b");
  wstring blank(u"  \n ");
  t.TrimSeparators(blank);
  EXPECT_TRUE(blank.IsEmpty());
  wstring empty;
  t.TrimSeparators(empty);
  EXPECT_TRUE(empty.IsEmpty());
  plain o(wchar_set::Output());  // only U+0000 separates there
  wstring spaced(u" a ");
  o.TrimSeparators(spaced);
  EXPECT_EQ(spaced, u" a ");
}

TEST(tokenizer, StripBrackets) {
  plain t(wchar_set::GameCode());
  EXPECT_EQ(t.StripBrackets(wstring(u"\"abc\"")), u"abc");
  EXPECT_EQ(t.StripBrackets(wstring(u"(a (b))")), u"a (b)");
  EXPECT_EQ(t.StripBrackets(wstring(u"<b>")), u"b");
  EXPECT_EQ(t.StripBrackets(wstring(u"abc")), u"abc");
  EXPECT_EQ(t.StripBrackets(wstring(u"a)")), u"a)");
  EXPECT_TRUE(t.StripBrackets(wstring()).IsEmpty());
  EXPECT_TRUE(t.StripBrackets(wstring(u"()")).IsEmpty());
  EXPECT_TRUE(t.StripBrackets(wstring(u"\"")).IsEmpty());
  EXPECT_EQ(narrow_message([&] { t.StripBrackets(wstring(u"(abc")); }), "скобки или кавычки не закрыты!");
  EXPECT_EQ(narrow_message([&] { t.StripBrackets(wstring(u"(")); }), "скобки или кавычки не закрыты!");
  EXPECT_EQ(narrow_message([&] { t.StripBrackets(wstring(u"\"abc")); }), "скобки или кавычки не закрыты!");
  plain missing(wchar_set(wchar_set::GameCode().Classes(), u"()"));
  EXPECT_EQ(wide_message([&] { missing.StripBrackets(wstring(u"[a]")); }),
            "wchar_set::GetCloseBracket() закрывающая скобка не найдена!");
}

// ---------------------------------------------------------------- the scan read literally

// The scan in its plainest form, restarting after every group that is
// never closed: quadratic, but easy to check by eye.
std::string literal_scan(wchar_set set, const std::u16string& s) {
  const char16_t* text = s.c_str();
  std::vector<lexeme> items;
  std::string error;
  auto opener = [](char16_t cls) {
    return cls == u'(' || cls == u'{' || cls == u'\'' || cls == u'`' || cls == u'<';
  };
  auto closer = [](char16_t cls) { return cls == u')' || cls == u'}' || cls == u'>'; };
  try {
    set.ResetPrevious();
    std::u16string stack;
    int start = 0;
    int length = 0;
    bool building = false;
    bool latin = false, russian = false, pure = false;
    char16_t kind = 0;
    auto hand = [&](int at, int n, bool p, char16_t k) {
      items.push_back(lexeme{std::u16string(text + at, size_t(n)), k, p, at});
      start = at + n;
      length = 0;
      building = latin = russian = pure = false;
    };
    for (;;) {
      int pos = start + length;
      char16_t c = text[pos];
      char16_t next = c ? text[pos + 1] : 0;
      char16_t cls = set.GetClass(c, next);
      if (c == u'-' && cls == u'+' && pos > 0) {
        char16_t before = set.TableClass(text[pos - 1]);
        char16_t after = set.TableClass(next);
        if ((before == u'L' && after == u'L') || (before == u'R' && after == u'R')) cls = u'@';
      }
      if (!stack.empty()) {
        if (c == u'\\' && next != 0) {
          length += 2;
          continue;
        }
        if (c == 0 || (c == u'\n' && stack[0] == u'<')) {
          if (stack[0] == u'{') throw "В коде есть незакрытые скобки {}";
          stack.clear();
          hand(start, 1, false, u',');
          continue;
        }
        ++length;
        char16_t top = stack.back();
        char16_t top_class = set.TableClass(top);
        if (top_class == u'\'' || top_class == u'`') {
          if (c == top)
            stack.pop_back();
          else if (top == u'"' && c == u'{')
            stack += c;
        } else if (opener(cls)) {
          stack += c;
        } else if (closer(cls)) {
          if (set.GetCloseBracket(top) != c) {
            wstring message;
            message.Append(text + start, length);
            message += u" \n- неверно закрыта скобка ";
            message += top;
            message += c;
            throw message;
          }
          stack.pop_back();
        }
        if (stack.empty() && !building) hand(start, length, false, text[start]);
        continue;
      }
      if (building) {
        if (cls == u'L') latin = true;
        if (cls == u'R') russian = true;
        if (cls == u'L' || cls == u'R' || cls == u'@') {
          if (cls == u'@' && c != u'-') pure = false;
          kind = u'L';
          ++length;
        } else if (cls == u'N') {
          pure = false;
          ++length;
        } else if (cls == u'D') {
          kind = u'D';
          ++length;
        } else if (cls == u'`' || cls == u'{') {
          stack += c;
          ++length;
        } else {
          if (latin && russian) {
            wstring message(u"лексема '");
            message.Append(text + start, length);
            message += u"' содержит и русские и латинские буквы!";
            throw message;
          }
          hand(start, length, pure, kind);
        }
        continue;
      }
      if (c == 0) break;
      switch (cls) {
        case u'L':
        case u'@':
        case u'R':
        case u'N':
          building = true;
          latin = cls == u'L';
          russian = pure = cls == u'R';
          kind = cls == u'N' ? u'N' : u'L';
          length = 1;
          break;
        case u'`':
        case u'{':
          building = true;
          kind = u'L';
          stack += c;
          length = 1;
          break;
        case u'\'':
        case u'(':
          stack += c;
          length = 1;
          break;
        case u'<':
          if (set.TableClass(next) == u'L' || next == u'/') {
            stack += c;
            length = 1;
          } else {
            hand(start, 1, false, u',');
          }
          break;
        case u'>':
          hand(start, 1, false, u',');
          break;
        case u'/':
          while (text[start] && text[start] != u'\n') ++start;
          break;
        case u'_':
          ++start;
          break;
        case u'?':
          throw u"недопустимый символ в строке!";
        default:
          hand(start, 1, false, cls);
          break;
      }
    }
  } catch (const char16_t* message) {
    error = "!" + utf8(message);
  } catch (const char* message) {
    error = "!" + std::string(message);
  } catch (const wstring& message) {
    error = "!" + utf8(std::u16string(message.Text(), size_t(message.Length())));
  }
  std::string out = show(items);
  if (!error.empty()) out += (out.empty() ? "" : " ") + error;
  return out;
}

TEST(tokenizer, AgreesWithTheLiteralScan) {
  std::mt19937 random(2024);
  const std::u16string alphabet = u"()[]{}<>\"\\ \n/-abбжd2,;`'\u007F";
  struct named {
    const char* name;
    wchar_set set;
  };
  for (const named& table : {named{"game code", wchar_set::GameCode()}, named{"output", wchar_set::Output()},
                             named{"line", line_table()}}) {
    for (int round = 0; round < 2000; ++round) {
      std::u16string text;
      int length = int(random() % 16);
      for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
      ASSERT_EQ(scan(table.set, text), literal_scan(table.set, text)) << table.name << ": " << utf8(text);
    }
  }
}

// ---------------------------------------------------------------- hostile input

// Whether a message the scan raised is one the scan may raise.
bool allowed(const std::u16string& message) {
  static const std::u16string mixed_head = u"лексема '";
  static const std::u16string mixed_tail = u"' содержит и русские и латинские буквы!";
  static const std::u16string wrong = u" \n- неверно закрыта скобка ";
  if (message.size() >= mixed_head.size() + mixed_tail.size() && message.starts_with(mixed_head) &&
      message.ends_with(mixed_tail))
    return true;
  return message.size() >= wrong.size() + 3 &&
         message.compare(message.size() - 2 - wrong.size(), wrong.size(), wrong) == 0;
}

// Checks each lexeme as it comes, without keeping it: it lies in the text,
// is not empty and starts after the one before.
class checker : public tokenizer {
 public:
  explicit checker(const wchar_set& set) : tokenizer(set) {}

  size_t count = 0;
  bool ordered = true;

  void Run(const std::u16string& scanned) {
    text_ = scanned.c_str();
    size_ = scanned.size();
    last_ = -1;
    count = 0;
    ordered = true;
    Scan(text_);
  }

 protected:
  bool OnLexeme(const char16_t* start, int length, bool, char16_t) override {
    long at = long(start - text_);
    if (at <= last_ || length < 1 || size_t(at) + size_t(length) > size_) ordered = false;
    last_ = at;
    ++count;
    return false;
  }

 private:
  const char16_t* text_ = nullptr;
  size_t size_ = 0;
  long last_ = -1;
};

// Scans text and checks that the lexemes lie in the text in order and that
// only the listed messages are raised. Returns the lexeme count.
size_t hostile_scan(const wchar_set& set, const std::u16string& text, const char* what) {
  checker r(set);
  try {
    r.Run(text);
  } catch (const char16_t* message) {
    std::u16string m(message);
    EXPECT_TRUE(m == u"недопустимый символ в строке!" ||
                m == u"wchar_set::GetCloseBracket() закрывающая скобка не найдена!")
        << what << ": " << utf8(m);
  } catch (const char* message) {
    EXPECT_STREQ(message, "В коде есть незакрытые скобки {}") << what;
  } catch (const wstring& message) {
    EXPECT_TRUE(allowed(std::u16string(message.Text(), size_t(message.Length())))) << what;
  } catch (...) {
    ADD_FAILURE() << what << ": unexpected exception";
  }
  EXPECT_TRUE(r.ordered) << what;
  return r.count;
}

std::u16string repeat(const std::u16string& piece, size_t total) {
  std::u16string out;
  out.reserve(total + piece.size());
  while (out.size() < total) out += piece;
  return out;
}

TEST(tokenizer, HostileInput) {
  // A scan that never ends is reported instead of holding up the suite.
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::thread watchdog([&] {
    std::unique_lock<std::mutex> lock(mutex);
    if (!done.wait_for(lock, std::chrono::seconds(60), [&] { return finished; })) {
      std::fprintf(stderr, "tokenizer.HostileInput: the scan hangs\n");
      std::_Exit(1);
    }
  });

  std::mt19937 random(7);
  const std::u16string nasty = u"()[]{}<>\"`\\ \n/-aZбЯd29,;_'\u007F\u0400\u0450\u00e9";
  // Deep nesting and long texts: each would take hours if groups that are
  // never closed were walked again and again.
  std::vector<std::u16string> long_texts = {
      std::u16string(100000, u'('),
      std::u16string(100000, u'{'),
      std::u16string(100001, u'"'),
      repeat(u"(\\[\\", 100000),
      repeat(u"\"{", 100000),
      repeat(u"<a(", 100000) + u"\n",
      repeat(u"a(", 100000),
  };
  // About a megabyte: text with mark-up, and noise of unclosed openers.
  const std::u16string prose = repeat(u"кто-то 2d6, <b>x</b> [y] ", 1000000);
  std::u16string noise;
  for (int i = 0; i < 1000000; ++i) noise += u"(([<\"\\a\n{`"[random() % 10];

  struct named {
    const char* name;
    wchar_set set;
    size_t long_length;  // how much of the long texts to scan
  };
  for (const named& table : {named{"game code", wchar_set::GameCode(), noise.size()},
                             named{"output", wchar_set::Output(), 300000},
                             named{"line", line_table(), 50000}}) {
    for (int round = 0; round < 300; ++round) {
      // Any 16-bit units but zero, surrogates included.
      std::u16string text;
      int length = int(random() % 64);
      for (int i = 0; i < length; ++i) text += char16_t(1 + random() % 0xFFFF);
      hostile_scan(table.set, text, table.name);
      // Units that matter to the scan.
      text.clear();
      length = int(random() % 300);
      for (int i = 0; i < length; ++i) text += nasty[random() % nasty.size()];
      hostile_scan(table.set, text, table.name);
    }
    for (const std::u16string& text : long_texts)
      hostile_scan(table.set, text.substr(0, table.long_length), table.name);
    hostile_scan(table.set, prose.substr(0, table.long_length), table.name);
    hostile_scan(table.set, noise.substr(0, table.long_length), table.name);
  }
  // 100000 unclosed openers come back one by one, each alone.
  EXPECT_EQ(hostile_scan(wchar_set::GameCode(), long_texts[0], "nesting"), 100000u);
  {
    std::lock_guard<std::mutex> lock(mutex);
    finished = true;
  }
  done.notify_one();
  watchdog.join();
}

}  // namespace
