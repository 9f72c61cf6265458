// Game code cannot hurt the process: references to deleted entities,
// deleting code that runs, the command's time and memory, deep nesting.

#include <gtest/gtest.h>
#include <pthread.h>
#include <stdlib.h>

#include <functional>
#include <string>

#include "code_world.h"
#include "test_support.h"

namespace {

// The message f fails with, fixed or built.
std::string message_of(const std::function<void()>& f) {
  try {
    f();
  } catch (const char16_t* message) {
    return utf8(message);
  } catch (const wstring& message) {
    return encode_utf8(message.Text(), size_t(message.Length()));
  } catch (const char* message) {
    return message;
  }
  return "<nothing thrown>";
}

constexpr size_t worker_stack_bytes = 64u << 20;
constexpr size_t small_stack_bytes = 1u << 20;

// Runs the work on a thread with a stack of that size, as the worker runs
// game code on its own explicit stack.
void on_stack(size_t bytes, const std::function<void()>& work) {
  pthread_attr_t attributes;
  ASSERT_EQ(pthread_attr_init(&attributes), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attributes, bytes), 0);
  auto run = [](void* argument) -> void* {
    std::string message = message_of(*static_cast<const std::function<void()>*>(argument));
    if (message != "<nothing thrown>") ADD_FAILURE() << message;
    return nullptr;
  };
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attributes, run, const_cast<std::function<void()>*>(&work)), 0);
  pthread_attr_destroy(&attributes);
  pthread_join(thread, nullptr);
}

// Objects звено1 .. звеноN whose method "дальше" answers the next one's,
// the last one N.
std::u16string method_chain(int length) {
  std::u16string code;
  for (int i = 1; i <= length; ++i) {
    std::u16string n = wstring(double(i)).Text();
    std::u16string next = wstring(double(i + 1)).Text();
    code += u"звено" + n + u" {\n-- дальше --\nreturn " + (i < length ? u"звено" + next + u".дальше" : n) + u"\n}\n";
  }
  return code;
}

// Objects предмет1 .. предметN titled by words whose "_get_form" answers
// the text of the next object; the last word answers "конец".
std::u16string form_chain(int length) {
  std::u16string code;
  for (int i = 1; i <= length; ++i) {
    std::u16string n = wstring(double(i)).Text();
    std::u16string next = wstring(double(i + 1)).Text();
    code += u"$слово" + n + u" {\n-- _get_form --\nreturn " + (i < length ? u"\"\" + предмет" + next : u"\"конец\"") +
            u"\n}\nпредмет" + n + u" { title = $слово" + n + u" }\n";
  }
  return code;
}

class game_code_limits : public ::testing::Test {
 protected:
  // The time a slow (sanitizer, loaded) build needs: no case here is about
  // time but the one that sets its own budget.
  game_code_limits() { w.in.Budget() = command_budget(600000, command_budget::default_memory_mb); }

  // The short text of the value the code gives as one command, or the
  // message it fails with.
  std::string Result(const std::u16string& code) {
    std::string text;
    std::string message = message_of([&] { text = w.Text(w.Run(code.c_str())); });
    return message == "<nothing thrown>" ? text : message;
  }
  std::string Failure(const std::u16string& code) {
    return message_of([&] { w.Run(code.c_str()); });
  }
  std::string Text(const char16_t* expression) {
    value v = w.Run(expression);
    bool missing;
    wstring text = v.ToString(&w.home, &w.home, nullptr, text_all, missing);
    return encode_utf8(text.Text(), size_t(text.Length()));
  }

  code_world w;
};

TEST_F(game_code_limits, AReferenceToADeletedEntityFindsItGone) {
  w.Run(u"кот {}\nvar k = кот\ndelete кот");
  EXPECT_EQ(Failure(u"k.key = \"#мр\""), "спецсвойство должно принадлежать объекту!");
  EXPECT_EQ(Failure(u"k.defkey = \"#мр\""), "спецсвойство должно принадлежать объекту!");
  EXPECT_EQ(Failure(u"k.opened = yes"), "спецсвойство должно принадлежать объекту!");
  EXPECT_EQ(Failure(u"k.synonym = \"кошак\""), "спецсвойство должно принадлежать объекту!");
  EXPECT_EQ(Failure(u"k.#рд = \"кота\""), "Calc(): invalid VarCtx!");
  EXPECT_EQ(Failure(u"k.x = 5"), "не указан контекст переменной для присвоения!");
  EXPECT_EQ(Result(u"k"), "ЗАБЫТО");
  EXPECT_EQ(Text(u"k"), "нечто забытое");
  EXPECT_EQ(Result(u"k.inside"), "строка не распознана как код, а команды игрока здесь не разбираются: k.inside");
  EXPECT_EQ(Result(u"delete k"), "нет");
  // An entity made afterwards is another one, wherever it is kept.
  w.Run(u"пёс {}");
  EXPECT_EQ(Result(u"k == пёс"), "нет");
  EXPECT_EQ(Result(u"пёс.name"), "пёс");
  EXPECT_EQ(Result(u"1 + 1"), "2");
}

TEST_F(game_code_limits, ClassesMayBeDeletedWhileTheirCodeRuns) {
  w.Run(
      u"@зверь {\n-- звук --\ndelete @зверь\nreturn \"мяу\"\n}\n"
      u"кот { @зверь }");
  EXPECT_EQ(Result(u"кот.звук"), "мяу");
  EXPECT_EQ(Failure(u"@зверь"), "Класс @зверь не найден!");
  EXPECT_EQ(Result(u"кот.class"), "null");

  // The class that answers first deletes the other one while it runs.
  w.Run(
      u"@первый {\n-- голос --\nreturn \"гав\"\n}\n"
      u"@второй {\n-- голос --\ndelete @первый\nreturn \"мяу\"\n}\n"
      u"пёс { @первый; @второй }");
  EXPECT_EQ(Result(u"пёс.голос"), "мяу");
  EXPECT_EQ(Result(u"пёс.голос"), "Класс @первый не найден!");
  EXPECT_EQ(Result(u"2 + 2"), "4");
}

TEST_F(game_code_limits, ListsAreSharedUntilChanged) {
  EXPECT_EQ(Result(u"var a = 1 or 2\nvar b = a\nb = b or 3\nvar c = a\nc = c or 4\n"
                   u"\"\" + a.count + b.count + c.count"),
            "233");
  EXPECT_EQ(Text(u"a"), "1 или 2");
  EXPECT_EQ(Text(u"b"), "1, 2 или 3");
  EXPECT_EQ(Text(u"c"), "1, 2 или 4");
  // A list grown from itself sees its own elements once.
  EXPECT_EQ(Result(u"var d = a\nd = d or 5\nd = d or a\nd.count"), "3");
  // Appending in loops, and lists nested forty deep.
  w.Run(u"var x = 0");
  w.Run(u"{for (var i = 0; i < 200; i++) for (var j = 0; j < 100; j++) x = x or (i*100+j)}");
  EXPECT_EQ(Result(u"x.count"), "20000");
  w.Run(u"var y = 0 or 1");
  w.Run(u"{for (var i = 0; i < 40; i++) y = (y and 5) or 6}");
  EXPECT_EQ(Result(u"y.count"), "2");
  // Deeper nesting is refused, however many commands build it, and the
  // list stays as it was: copies of the world and comparisons walk lists
  // recursively.
  std::string refused;
  for (int command = 0; command < 10 && refused.empty(); ++command)
    refused = Failure(u"{for (var i = 0; i < 100; i++) y = (y and 5) or 6}");
  EXPECT_EQ(refused, "слишком глубокая вложенность списков!");
  EXPECT_EQ(Failure(u"y = (y and 5) or 6"), "слишком глубокая вложенность списков!");
  EXPECT_EQ(Result(u"y.count"), "2");
  std::unique_ptr<world> copy = w.home.Copy();
  EXPECT_EQ(copy->StateDigest(), w.home.StateDigest());
}

TEST_F(game_code_limits, ObjectsDeclaredAgainRunOnlyWhatTheyAdd) {
  w.Run(u"дом {a = 1}");
  w.Run(u"дом.a = 5");
  w.Run(u"дом {b = 2}");
  EXPECT_EQ(Result(u"дом.a + дом.b"), "7");
  // Code added after a labelled section belongs to it and does not run.
  w.Run(u"дом {\n-- звонок --\nreturn \"дзынь\"\n}");
  w.Run(u"дом {b = 3}");
  EXPECT_EQ(Result(u"дом.b"), "2");
  std::u16string letters(3000, u'а');
  w.Run((u"{for (var i = 0; i < 1000; i++) сад {a = \"" + letters + u"\"}}").c_str());
  EXPECT_EQ(Result(u"сад.a.count"), "1");
}

TEST_F(game_code_limits, ACommandOverItsBudgetStopsAndTheNextRuns) {
  w.in.Budget() = command_budget(60000, 1);
  w.Run(u"var s = \"ab\"\nvar x = 0\nvar n = 0");
  EXPECT_EQ(Failure(u"{for (var i = 0; i < 40; i++) s = s + s}"), "команда заняла слишком много памяти и была прервана!");
  EXPECT_EQ(Failure(u"{for (var i = 0; i < 1000; i++) for (var j = 0; j < 1000; j++) x = x or (i*1000+j)}"),
            "команда заняла слишком много памяти и была прервана!");
  w.Run(u"s = \"ab\"");
  w.Run(u"{for (var i = 0; i < 10; i++) s = s + s}");
  EXPECT_EQ(Result(u"s.number"), "0");

  w.in.Budget() = command_budget(1, 256);
  EXPECT_EQ(Failure(u"{for (var i = 0; i < 1000; i++) for (var j = 0; j < 1000; j++) n = n + 1}"),
            "команда выполнялась слишком долго и была прервана!");
  w.in.Budget() = command_budget(60000, 256);
  EXPECT_EQ(Result(u"3 + 3"), "6");
}

TEST(command_budget, LimitsComeFromTheEnvironment) {
  unsetenv("KIV_TIME_BUDGET_MS");
  unsetenv("KIV_MEMORY_BUDGET_MB");
  EXPECT_EQ(command_budget().TimeMs(), command_budget::default_time_ms);
  EXPECT_EQ(command_budget().MemoryMb(), command_budget::default_memory_mb);
  setenv("KIV_TIME_BUDGET_MS", "5000", 1);
  setenv("KIV_MEMORY_BUDGET_MB", "64", 1);
  EXPECT_EQ(command_budget().TimeMs(), 5000);
  EXPECT_EQ(command_budget().MemoryMb(), 64);
  for (const char* invalid : {"", "0", "-3", "12x", "99999999999"}) {
    setenv("KIV_TIME_BUDGET_MS", invalid, 1);
    EXPECT_EQ(command_budget().TimeMs(), command_budget::default_time_ms) << invalid;
  }
  unsetenv("KIV_TIME_BUDGET_MS");
  unsetenv("KIV_MEMORY_BUDGET_MB");
}

TEST_F(game_code_limits, MethodCallsNestAThousandDeepOnTheWorkersStack) {
  on_stack(worker_stack_bytes, [&] {
    w.Run(method_chain(1000).c_str());
    EXPECT_EQ(Result(u"звено1.дальше"), "1000");
  });
  on_stack(worker_stack_bytes, [&] {
    code_world deeper;
    deeper.in.Budget() = w.in.Budget();
    deeper.Run(method_chain(3000).c_str());
    EXPECT_EQ(wide_message([&] { deeper.Run(u"звено1.дальше"); }), "слишком глубокая вложенность кода!");
    EXPECT_EQ(deeper.Text(u"1 + 1"), "2");
  });
}

TEST_F(game_code_limits, WordFormsAndTextsCountInTheDepth) {
  on_stack(worker_stack_bytes, [&] {
    w.Run(form_chain(63).c_str());
    EXPECT_EQ(Text(u"предмет1"), "конец");
    // A form method with variables of its own.
    w.Run(u"$слово_с_переменной {\n-- _get_form --\nvar z = \"ок\"\nreturn z\n}\nвещь { title = $слово_с_переменной }");
    EXPECT_EQ(Text(u"вещь"), "ок");
    code_world deeper;
    deeper.in.Budget() = w.in.Budget();
    deeper.Run(form_chain(3000).c_str());
    EXPECT_EQ(wide_message([&] { deeper.Run(u"предмет1 + \"\""); }), "слишком глубокая вложенность кода!");
  });
}

TEST_F(game_code_limits, OrdinaryCodeFitsASmallStackAndDeepCodeIsStoppedThere) {
  on_stack(small_stack_bytes, [&] {
    w.Run(method_chain(20).c_str());
    EXPECT_EQ(Result(u"звено1.дальше"), "20");
    w.Run(form_chain(10).c_str());
    EXPECT_EQ(Text(u"предмет1"), "конец");
    // Far deeper than a small stack holds: the depth message, no overflow.
    code_world deeper;
    deeper.in.Budget() = w.in.Budget();
    deeper.Run(method_chain(1600).c_str());
    EXPECT_EQ(wide_message([&] { deeper.Run(u"звено1.дальше"); }), "слишком глубокая вложенность кода!");
  });
}

}  // namespace
