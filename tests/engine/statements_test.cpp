#include <gtest/gtest.h>

#include "block.h"
#include "code_world.h"
#include "test_support.h"

namespace {

std::string variable_text(code_world& w, const char16_t* name) {
  variable* found = w.home.FindVariable(name);
  return found ? w.Text(found->content) : "<missing>";
}

}  // namespace

TEST(Statements, LoopLimitBreakAndContinue) {
  code_world w;
  EXPECT_EQ(wide_message([&] { w.Run(u"var n = 0\nfor (var i = 0; yes; i++) n++"); }), "превышен лимит в 1000 повторов!");
  EXPECT_EQ(variable_text(w, u"n"), "1001");
  w.Run(u"var m = 0\nfor (var j = 0; j < 10; j++) {if (j == 3) break; m = m + j}\nm = m * 100");
  EXPECT_EQ(variable_text(w, u"m"), "300");
  w.Run(u"var k = 0\nfor (var q = 0; q < 5; q++) {if (q == 1) continue; k++}");
  EXPECT_EQ(variable_text(w, u"k"), "4");
  EXPECT_EQ(wide_message([&] { w.Run(u"for (var z = 0; z < 5; z++) break now"); }), "Break - неожиданное продолжение!");
  EXPECT_EQ(wide_message([&] { w.Run(u"continue 1"); }), "Continue - неожиданное продолжение!");
  EXPECT_EQ(wide_message([&] { w.Run(u"for (var z = 0; z < 5) z"); }), "ошибка в аргументах цикла");
  EXPECT_EQ(wide_message([&] { w.Run(u"for (var z = 0; z <; z++) z"); }), "синтаксическая ошибка в условии цикла");
  EXPECT_EQ(wide_message([&] { w.Run(u"for x"); }), "ожидались скобки ()!");
  EXPECT_EQ(wide_message([&] { w.Run(u"for (var z = 0; z < 5; z++)"); }), "ожидалось продолжение конструкции!");
  // Loops inside loops share one budget of steps for the command (given
  // all the time it needs on a loaded machine).
  w.in.Budget() = command_budget(600000, 256);
  EXPECT_EQ(wide_message([&] {
              w.Run(u"for (var a = 0; a < 1000; a++) for (var b = 0; b < 1000; b++) for (var c = 0; c < 1000; c++) c");
            }),
            "превышен лимит шагов вычисления для одной команды!");
  w.Run(u"var after = 1");
  EXPECT_EQ(variable_text(w, u"after"), "1");
  // A loop that never runs passes its body over, also a body on the next line.
  w.Run(u"var s = 1\nfor (var z = 0; no; z++)\ns = 2\ns = s + 10");
  EXPECT_EQ(variable_text(w, u"s"), "11");
}

TEST(Statements, IfAndElse) {
  code_world w;
  EXPECT_EQ(w.Text(w.Run(u"var r = 0\nif (no) r = 1\nelse r = 2\nr")), "2");
  EXPECT_EQ(w.Text(w.Run(u"var t = 0\nif (yes)\nt = 1\nиначе t = 2\nt")), "1");
  EXPECT_EQ(wide_message([&] { w.Run(u"else r = 1"); }), "else без if()!");
  EXPECT_EQ(w.Text(w.Run(u"if (unknown) r = 5\nelse r = 6")), "конструкция if-else не выполнена");
  EXPECT_EQ(variable_text(w, u"r"), "2");
  // An uncomputable condition is neither true nor false, unless errors are strict.
  EXPECT_EQ(w.Text(w.Run(u"if (1 +) r = 5")), "конструкция if-else не выполнена");
  w.host.strict = true;
  EXPECT_EQ(wide_message([&] { w.Run(u"if (1 +) r = 5"); }), "синтаксическая ошибка в условии");
}

TEST(Statements, SwitchAndCase) {
  code_world w;
  EXPECT_EQ(w.Text(w.Run(u"switch (1; 2)")), "ок");
  EXPECT_EQ(w.home.switch_values.Count(), 2);
  w.Run(u"var r = 0\nswitch (1; 2)\ncase (1; 3) r = 1\ncase (any; 2) r = r + 5\ncase (1; 2) r = r + 7");
  EXPECT_EQ(variable_text(w, u"r"), "5");
  EXPECT_EQ(w.home.switch_values.Count(), 0);
  EXPECT_EQ(wide_message([&] { w.Run(u"switch (1)\ncase (1; 2) r = 9"); }), "аргументов в case() больше чем в switch()!");
  EXPECT_EQ(wide_message([&] { w.Run(u"switch ()"); }), "не указаны аргументы switch()!");
  // Without a switch the case body is passed over.
  w.home.switch_values.Clear();
  w.Run(u"r = 0\ncase (1)\nr = 3\nr = r + 1");
  EXPECT_EQ(variable_text(w, u"r"), "1");
}

TEST(Statements, SectionsAndTextMode) {
  code_world w;
  block sections(u"%%начало\n--- осмотр ---\n%%осмотрено\n--- взять ---\n%%взято");
  EXPECT_EQ(w.Text(sections.Execute(w.in, w.home, value::Keyword(kw::result_no), u"бросить")), "нет");
  EXPECT_EQ(w.host.printed, u"");
  sections.Execute(w.in, w.home, value(), u"взять");
  EXPECT_EQ(w.host.printed, u"взято");
  w.host.printed.clear();
  sections.Execute(w.in, w.home, value());
  EXPECT_EQ(w.host.printed, u"начало");

  // In text, ";" ends no line, and a brace block is code.
  w.host.printed.clear();
  EXPECT_EQ(w.Text(w.Run(u"=== \nраз; два {1 + 1}\n{\nvar x = 5\n}\n*** \nпропущено\n--- \nx + 1")), "6");
  EXPECT_EQ(w.host.printed, u"\nраз; два 2");
  // A text block starts in text mode.
  w.host.printed.clear();
  block text(u"строка\n--- \nx");
  text.SetKind(block::text_kind);
  EXPECT_EQ(w.Text(text.Execute(w.in, w.home, value())), "5");
  EXPECT_EQ(w.host.printed, u"\nстрока");
}

TEST(Statements, OutputLinesAndBlocks) {
  code_world w;
  object* hero = w.Create(kw::type_object, u"Петя");
  w.Run(u"%%раз {2 * 2}\n%два");
  EXPECT_EQ(w.host.printed, u"раз 4\nдва");
  w.host.printed.clear();
  w.home.characters[1] = hero->Id();
  w.Run(u"%привет");
  EXPECT_EQ(w.host.printed, u"\nПетя: привет");
  // return stops the block, also from inside a nested one.
  w.Run(u"var v = 1");
  EXPECT_EQ(w.Text(w.Run(u"if (yes)\n{v = 2; return v; v = 3}\nv = 4")), "2");
  EXPECT_EQ(variable_text(w, u"v"), "2");
  w.host.block_calls = 10001;
  EXPECT_EQ(wide_message([&] { w.Run(u"v = 5"); }), "block::Execute() превышен лимит вызванных функций!");
}

TEST(Statements, ServiceStatementsAndPlayerCommands) {
  code_world w;
  w.home.SetDirectory(u"games/demo/");
  EXPECT_EQ(w.Text(w.Run(u"в игре")), "вы в игре.");
  EXPECT_TRUE(w.host.in_game);
  EXPECT_EQ(w.Text(w.Run(u"outside game")), "вы вне игры.");
  EXPECT_FALSE(w.host.in_game);
  w.host.functions[u"play sound now"] = u"сыграно";
  EXPECT_EQ(w.Text(w.Run(u"Play sound now \"гром\" тихо")), "сыграно");
  ASSERT_EQ(w.host.calls.size(), 1u);
  EXPECT_EQ(w.host.calls[0].first, u"гром");
  EXPECT_EQ(w.host.calls[0].second, u"тихо");
  w.Run(u"run other.kiv\n%%не выполнено");
  EXPECT_EQ(w.host.pending_run, u"games/demo/other.kiv");
  EXPECT_EQ(w.home.state, 5);
  EXPECT_EQ(w.host.printed, u"");
  EXPECT_NE(built_message([&] { w.Run(u"run ../../secret.kiv"); }).find("недоступен"), std::string::npos);
  // A line that is no code goes to the parser, when there is one.
  EXPECT_NE(built_message([&] { w.Run(u"открой дверь"); }).find("открой дверь"), std::string::npos);
  w.host.has_parser = true;
  EXPECT_EQ(w.Text(w.Run(u"открой дверь")), "ок");
  ASSERT_EQ(w.host.commands.size(), 1u);
  EXPECT_EQ(w.host.commands[0], u"открой дверь");
  w.host.command_answer = value::Result(kw::result_fail, u"заперто");
  EXPECT_EQ(w.Text(w.Run(u"открой дверь")), "ошибка");
  w.host.command_answer = value::Result(kw::result_unclear, u"что открыть?");
  EXPECT_EQ(built_message([&] { w.Run(u"открой дверь"); }), "непонятно, что открыть?");
}

TEST(Statements, EntityCodeLeavesOutTheEntity) {
  code_world w;
  object* room = w.Create(kw::type_location, u"комната");
  object* box = w.Create(kw::type_object, u"ящик");
  w.Create(kw::type_attribute, u"тяжёлый");
  box->SetCode(u"inside комната\nтяжёлый\n--- осмотр ---\n%%обычный ящик");
  EXPECT_EQ(box->Parent(), room);
  EXPECT_EQ(w.Text(box->FindVariable(u"тяжелый")->content), "да");
  EXPECT_EQ(w.Text(w.in.RunMethod(*box, u"осмотр", w.home)), "ок");
  EXPECT_EQ(w.host.printed, u"обычный ящик");
}

TEST(Statements, MethodCallingItselfFailsWithAMessage) {
  code_world w;
  object* word = w.Create(kw::type_word, u"ящик");
  w.Create(kw::type_object, u"ящик");
  // The word's form method turns its object into text, which asks the
  // method again.
  word->SetCode(u"x = 1\n--- _get_form ---\nreturn \"<\" + _object + \">\"");
  EXPECT_EQ(wide_message([&] { w.Run(u"%%{ящик}"); }), "слишком глубокая вложенность кода!");
  EXPECT_EQ(w.Text(w.Run(u"2 * 2")), "4");
}
