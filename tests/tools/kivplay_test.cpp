// The console player as a user runs it: commands piped in, replies out.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct run_result {
  int status;
  std::string output;
};

// A build may or may not put a dictionary beside the player; a missing one
// is noted first on standard error, and the player runs on without it.
void drop_missing_dictionary_notice(std::string& output) {
  const std::string notice = "Ошибка загрузки словаря: файл словаря kiv.dic не найден!\n";
  if (output.starts_with(notice)) output.erase(0, notice.size());
}

// Runs a shell command line and collects its standard output.
run_result run(const std::string& command_line) {
  run_result result{-1, {}};
  FILE* pipe = popen(command_line.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) result.output.append(buffer, n);
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  drop_missing_dictionary_notice(result.output);
  return result;
}

class kivplay : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kivplay-XXXXXX";
    folder_ = mkdtemp(pattern);
    std::ofstream(folder_ / "игра.kiv") << "// a game\n";
  }
  void TearDown() override { fs::remove_all(folder_); }

  // The game is named relative to the folder the player starts in.
  run_result Play(const std::string& script, const std::string& options = "") {
    return run("cd '" + folder_.string() + "' && printf '" + script + "' | " KIVPLAY " " + options +
               " игра.kiv 2>&1");
  }

  // Runs the script's lines as game code in a fresh world.
  run_result Eval(const std::string& script) {
    fs::path file = folder_ / "script.txt";
    std::ofstream(file, std::ios::binary) << script;
    return run(KIVPLAY " --eval --plain < '" + file.string() + "' 2>&1");
  }

  fs::path folder_;
};

TEST_F(kivplay, ScriptedCommandsGetTheirReplies) {
  run_result played = Play("1 + 1\\n\\n\"взять лампу\"\\n");
  EXPECT_EQ(played.status, 0);
  EXPECT_EQ(played.output,
            "<location>КИВ: движок русских текстовых игр.</location>\n"
            "2\n"
            "Взять лампу\n");
}

TEST_F(kivplay, RepliesAreFinishedText) {
  run_result played = Play("\"открыть дверь . потом ,ключ\"\\n");
  EXPECT_EQ(played.status, 0);
  EXPECT_EQ(played.output,
            "<location>КИВ: движок русских текстовых игр.</location>\n"
            "Открыть дверь. Потом, ключ\n");
}

TEST_F(kivplay, PlainTextAndSpeech) {
  run_result played = Play("\"ст`ой\"\\n", "--plain --speech");
  EXPECT_EQ(played.status, 0);
  EXPECT_EQ(played.output,
            "speech: КИВ: движок русских текстовых игр.\n"
            "КИВ: движок русских текстовых игр.\n"
            "speech: ст<ой\n"
            "Стой\n");
}

TEST_F(kivplay, MissingGameIsReportedAndPlayGoesOn) {
  run_result played = run("printf 'дальше\\n' | " KIVPLAY " --plain /nonexistent.kiv 2>&1");
  EXPECT_EQ(played.status, 0);
  EXPECT_NE(played.output.find("Ошибка платформы!\nФайл: nonexistent.kiv"), std::string::npos) << played.output;
  EXPECT_NE(played.output.find("маршрут или имя файла не найдены."), std::string::npos);
}

TEST_F(kivplay, EvalRunsEachLineAsCodeInAFreshWorld) {
  run_result played = Eval("1 + 2 * 3\nvar x = 5\nx * 2\n\"а\" + 1\nx = \n3 - 1\n");
  EXPECT_EQ(played.status, 0);
  // Each reply starts a sentence, so its first Russian letter is a capital.
  EXPECT_NE(played.output.find("\n7\n5\n10\nА1\n"), std::string::npos) << played.output;
  // A line that cannot be computed is reported; the session goes on.
  EXPECT_NE(played.output.find("Ошибка платформы!"), std::string::npos) << played.output;
  EXPECT_EQ(played.output.substr(played.output.size() - 2), "2\n");
}

TEST_F(kivplay, RunawayCodeFailsAndTheNextCommandWorks) {
  run_result played = Eval(std::string(100000, '(') + "1" + std::string(100000, ')') + "\n1 + 1\n");
  EXPECT_EQ(played.status, 0);
  // Cutting the brackets level by level may use up the command's time
  // before the depth limit is reached (a slow build); either stops it.
  bool stopped = played.output.find("слишком глубокая вложенность кода!") != std::string::npos ||
                 played.output.find("команда выполнялась слишком долго и была прервана!") != std::string::npos;
  EXPECT_TRUE(stopped) << played.output;
  EXPECT_EQ(played.output.substr(played.output.size() - 2), "2\n");
}

TEST_F(kivplay, RepliesKeepTheirCommandsAndTheLastIsAwaited) {
  // The long command may outlast the wait: its reply still comes before
  // the next command's, and the last reply is awaited at the end.
  fs::path file = folder_ / "script.txt";
  std::ofstream(file, std::ios::binary)
      << "var x = 0\n{for (var i = 0; i < 1000; i++) for (var j = 0; j < 1000; j++) x = x + 1}\n1 + 1\n";
  run_result played = run(KIVPLAY " --eval --plain --wait 0.2 < '" + file.string() + "' 2>/dev/null");
  EXPECT_EQ(played.status, 0);
  ASSERT_NE(played.output.find("Ошибка платформы!"), std::string::npos) << played.output;
  EXPECT_EQ(played.output.rfind("КИВ: движок русских текстовых игр.\n0\n", 0), 0u) << played.output;
  EXPECT_EQ(played.output.substr(played.output.size() - 2), "2\n") << played.output;
}

TEST_F(kivplay, ABusyEngineIsGivenUpAfterTheWait) {
  // The plug-in holds the worker at its start: the game's first turn is
  // late, and the commands find the engine still busy with it.
  run_result played = Play("1 + 1\\n2 + 2\\n", "--plain --wait 0.2 --plugin '" SLOW_START_PLUGIN "'");
  EXPECT_EQ(played.status, 0);
  EXPECT_NE(played.output.find("kivplay: the game has not started yet\n"), std::string::npos) << played.output;
  EXPECT_NE(played.output.find("kivplay: Предыдущая команда не обработана! (not sent: 1 + 1)\n"), std::string::npos)
      << played.output;
  EXPECT_NE(played.output.find("kivplay: Предыдущая команда не обработана! (not sent: 2 + 2)\n"), std::string::npos)
      << played.output;
  // The reply that was due comes before kivplay ends.
  EXPECT_TRUE(played.output.ends_with("\nКИВ: движок русских текстовых игр.\n")) << played.output;
}

TEST_F(kivplay, CodeModeInAGame) {
  run_result played = Play("/2 + 2\\nдва\\n", "--plain");
  EXPECT_EQ(played.status, 0);
  EXPECT_NE(played.output.find("\n4\nПусто\n"), std::string::npos) << played.output;
}

TEST_F(kivplay, MethodCallingItselfFailsAndTheNextCommandWorks) {
  // The word's form method turns its object into text, which asks the
  // method again, without end.
  std::ofstream(folder_ / "игра.kiv", std::ios::binary)
      << "$ящик {\n  x = 1\n--- _get_form ---\n  return \"<\" + _object + \">\"\n}\n"
         "ящик {\n  y = 2\n}\n";
  run_result played = Play("%%%%{ящик}\\n2 * 2\\n", "--plain");
  EXPECT_EQ(played.status, 0);
  EXPECT_NE(played.output.find("слишком глубокая вложенность кода!"), std::string::npos) << played.output;
  EXPECT_EQ(played.output.substr(played.output.size() - 2), "4\n");
}

TEST_F(kivplay, TheWorkersStackDoesNotDependOnTheProcessLimit) {
  // Methods calling each other a thousand deep, under a stack limit of
  // 1 MB, which threads take for their stack unless told otherwise.
  std::ofstream game(folder_ / "игра.kiv", std::ios::binary);
  const int length = 1000;
  for (int i = 1; i <= length; ++i)
    game << "звено" << i << " {\n-- дальше --\nreturn "
         << (i < length ? "звено" + std::to_string(i + 1) + ".дальше" : std::to_string(length)) << "\n}\n";
  game.close();
  run_result played = run("ulimit -s 1024 && cd '" + folder_.string() + "' && printf '/звено1.дальше\\n/2 * 2\\n' | " KIVPLAY
                          " --plain игра.kiv 2>&1");
  EXPECT_EQ(played.status, 0);
  EXPECT_TRUE(played.output.ends_with("\n1000\n4\n")) << played.output;
}

TEST_F(kivplay, ExampleGameLoadsWithItsLibrary) {
  fs::path file = folder_ / "inspect.txt";
  std::ofstream(file, std::ios::binary) << "(лампа is @предмет)\n(сундук is @персонаж)\nсундук.тяжёлый\n"
                                           "кухня.north\nкухня.up\nгерой.location\nгерой.вес\n";
  run_result played = run(KIVPLAY " --eval --plain '" EXAMPLE_GAME "' < '" + file.string() + "' 2>&1");
  EXPECT_EQ(played.status, 0);
  // The hero's place is described first, under its name; classes and
  // attributes come from the library in lib/ beside the player.
  EXPECT_TRUE(played.output.starts_with("\nКухня\nТесная кухня, пахнет свежим хлебом.")) << played.output;
  EXPECT_TRUE(played.output.ends_with("\nДа\nНет\nДа\n"
                                      "Коридор\nОшибка, Лестницы наверх здесь нет.\n"
                                      "Кухня\n70\n"))
      << played.output;
}

TEST_F(kivplay, BadArgumentsExplainUsage) {
  run_result played = run(KIVPLAY " 2>&1");
  EXPECT_EQ(played.status, 2);
  EXPECT_NE(played.output.find("Usage: kivplay"), std::string::npos);
  EXPECT_EQ(run(KIVPLAY " --help").status, 0);
  EXPECT_EQ(run(KIVPLAY " --wait 0 game.kiv 2>&1").status, 2);
  EXPECT_EQ(run(KIVPLAY " --wait soon game.kiv 2>&1").status, 2);
  played = run(KIVPLAY " --engine /nonexistent/libkiv.so game.kiv 2>&1");
  EXPECT_EQ(played.status, 1);
  EXPECT_NE(played.output.find("/nonexistent/libkiv.so"), std::string::npos);
}

}  // namespace

TEST_F(kivplay, SavesRestoreTheGameAndRefuseOtherGamesVersionsAndDamage) {
  // Out of the game (this one has no player) there is nothing to undo.
  run_result played = Play("отмена\\nvar x = 5\\nсохранить Первое\\nx = 7\\nзагрузить первое\\nx\\nсохранения\\n");
  EXPECT_EQ(played.status, 0);
  EXPECT_NE(played.output.find("Отменять нечего."), std::string::npos) << played.output;
  EXPECT_NE(played.output.find("Игра сохранена под именем «первое»."), std::string::npos) << played.output;
  EXPECT_NE(played.output.find("Сохранение «первое» загружено.\n5\n"), std::string::npos) << played.output;
  EXPECT_NE(played.output.find("Сохранения: «первое»."), std::string::npos) << played.output;
  fs::path saves = folder_ / "saves" / "player";
  ASSERT_TRUE(fs::exists(saves / "первое.sav"));

  // Another game in the same folder saves under the same player.
  std::ofstream(folder_ / "другая.kiv") << "// another game\n";
  run("cd '" + folder_.string() + "' && printf 'сохранить чужое\\n' | " KIVPLAY " другая.kiv 2>&1");
  ASSERT_TRUE(fs::exists(saves / "чужое.sav"));
  std::ofstream(saves / "битое.sav") << "КИВ: сохранённая игра\nигра: игра.kiv\nверсия: 12\n";
  played = Play("var x = 3\\nзагрузить чужое\\nзагрузить битое\\nзагрузить ../../игра\\nx\\n");
  EXPECT_NE(played.output.find("Сохранение «чужое» сделано в другой игре («другая.kiv»), и загрузить его в эту "
                               "нельзя."),
            std::string::npos)
      << played.output;
  EXPECT_NE(played.output.find("Сохранение «битое» повреждено, и загрузить его нельзя."), std::string::npos)
      << played.output;
  EXPECT_NE(played.output.find("Сохранения «игра» нет."), std::string::npos) << played.output;
  EXPECT_TRUE(played.output.ends_with("\n3\n")) << played.output;  // the game went on as it was

  // The game changed since: its old saves no longer fit.
  std::ofstream(folder_ / "игра.kiv") << "// a game, changed\n";
  played = Play("загрузить первое\\n");
  EXPECT_NE(played.output.find("Сохранение «первое» сделано в другой версии этой игры, и загрузить его нельзя."),
            std::string::npos)
      << played.output;
}
