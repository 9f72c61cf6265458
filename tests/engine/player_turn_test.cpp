// The player turn of a session: service commands, the command as the
// player's or as game code, the location events and the logs, driven
// turn by turn as the worker drives them.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kiv_engine.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::u16string> printed;

const char16_t* record_print(int32_t, const char16_t* channel, const char16_t* text) {
  if (channel && std::u16string(channel) == u"print") printed.push_back(text ? text : u"");
  return nullptr;
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Lines of a log in the 8-bit code page, as UTF-8.
std::string log_text(const fs::path& path) {
  std::string bytes = read_file(path);
  wstring text(bytes.c_str());
  return utf8(std::u16string(text.Text(), size_t(text.Length())));
}

class player_turn : public ::testing::Test {
 protected:
  void SetUp() override {
    printed.clear();
    char pattern[] = "/tmp/kiv-turn-XXXXXX";
    folder_ = mkdtemp(pattern);
    fs::create_directory(folder_ / "logs");
    ASSERT_EQ(engine_.RegisterWide(u"print", &record_print, 2, 1), 0);
    ASSERT_TRUE(engine_.Init(nullptr));
  }
  void TearDown() override {
    engine_.Exit();
    fs::remove_all(folder_);
  }

  // Writes the game and plays its first turn; what that turn printed.
  std::string Start(const std::u16string& game, const char* file = "игра.kiv") {
    std::ofstream(folder_ / file, std::ios::binary) << utf8(game);
    wstring path((folder_ / file).string().c_str());
    player_.ReplaceGame(wstring(u"тестер"), path);
    return Turn(u"run");
  }

  // Plays one command; everything the turn printed, mark-up included,
  // without the line breaks around it.
  std::string Turn(const std::u16string& command) {
    printed.clear();
    player_.current_command = command.c_str();
    player_.SessionProcess();
    std::u16string all;
    for (const std::u16string& text : printed) all += text;
    size_t first = all.find_first_not_of(u'\n');
    size_t last = all.find_last_not_of(u'\n');
    return first == std::u16string::npos ? std::string() : utf8(all.substr(first, last - first + 1));
  }

  std::string SessionLog() { return log_text(folder_ / "logs" / "тестер.log"); }
  std::string FullLog() { return log_text(folder_ / "logs" / "full_log.csv"); }

  kiv_engine& engine_ = kiv_engine::Instance();
  session player_{engine_, 7};
  fs::path folder_;
};

bool says(const std::string& reply, const std::string& fragment) { return reply.find(fragment) != std::string::npos; }

std::string first_line(const std::string& text) { return text.substr(0, text.find('\n')); }

size_t count_of(const std::string& text, const std::string& fragment) {
  size_t count = 0;
  for (size_t at = text.find(fragment); at != std::string::npos; at = text.find(fragment, at + 1)) ++count;
  return count;
}

// A hall with a scene, a yard whose entering names where one came from, a
// cellar that cannot be entered, a tower that cannot be left, and a chain
// of rooms each sending the player on to the next.
const char16_t* const places = uR"(
location зал {
-- _scene --
  % Вы в зале.
}
location двор {
-- _enter --
  % Вы вышли во двор.
}
location подвал {
-- _enter --
  return fail, "В подвал не спуститься."
}
location башня {
-- _exit --
  return fail, "Дверь башни заперта."
}
location обрыв {
-- _enter --
  % Земля уходит из-под ног.
  1 + @нетакого
}
location старт {
-- _exit --
  % Уходим.
}
location к1 {
-- _enter --
  % Вход в к1.
  goto к2
}
location к2 {
-- _enter --
  % Вход в к2.
  goto к3
}
location к3 {
-- _enter --
  % Вход в к3.
  goto к4
}
location к4 {
-- _enter --
  % Вход в к4.
}
$инвентарь {
  #ИпЕч = "инвентарь"
}
action (инвентарь) {
-- execute --
  % В руках пусто.
}
$прыгнуть {
  #Нф = "прыгнуть"
}
action (прыгнуть) {
-- execute --
  return fail, "Здесь не прыгают."
}
герой { inside зал }
pers = герой
)";

TEST_F(player_turn, TheFirstTurnShowsOnlyTheStartAndTheLocation) {
  // No banner and no reply to "run": the scene alone.
  EXPECT_EQ(Start(places), "Вы в зале.");
  // The start waits in the session log for the first command.
  EXPECT_FALSE(fs::exists(folder_ / "logs" / "тестер.log"));
  std::string full_log = FullLog();
  EXPECT_EQ(full_log.rfind("start\tзал\trun\tВы в зале.\t\tтестер\t", 0), 0u) << full_log;
}

TEST_F(player_turn, AbbreviationsAndServiceCommands) {
  Start(places);
  for (const char16_t* inventory : {u"инвентарь", u"и", u"ин", u"ИНВ"})
    EXPECT_TRUE(says(Turn(inventory), "В руках пусто.")) << utf8(inventory);
  // "с" is "на север", which this game has no words for.
  EXPECT_TRUE(says(Turn(u"с"), "Слово «<b><font color='red'>на</font></b>» мне неизвестно.")) << Turn(u"с");
  // Answered by the session: no location events follow.
  EXPECT_EQ(Turn(u"паранойя"), "Включен параноидальный анализ ошибок");
  EXPECT_EQ(Turn(u"Paranoia"), "Отключен параноидальный анализ ошибок");
  EXPECT_FALSE(says(Turn(u"test"), "Вы в зале."));
  // A comment is logged and answered by nothing.
  EXPECT_EQ(Turn(u"*заметка"), "");
  EXPECT_TRUE(says(FullLog(), "*\t\t*заметка\t\t\tтестер\t")) << FullLog();
  EXPECT_TRUE(says(SessionLog(), "\r\n\r\n*заметка\r\n")) << SessionLog();
  // A query of the development environment is no command either.
  EXPECT_EQ(Turn(u"ide=tree"), "");
}

TEST_F(player_turn, SeveralCommandsInALineAreTurnsOfTheirOwn) {
  Start(places);
  // Each command its reply and its location events, in the one output of
  // the line; each its lines in the session log.
  EXPECT_EQ(Turn(u"инвентарь. инвентарь; инвентарь"),
            "В руках пусто.\nВы в зале.\nВ руках пусто.\nВы в зале.\nВ руках пусто.\nВы в зале.");
  EXPECT_EQ(count_of(SessionLog(), "> инвентарь"), 3u) << SessionLog();
  // A command that fails, or is not understood, ends the line.
  EXPECT_EQ(Turn(u"инвентарь, затем прыгнуть, потом инвентарь"),
            "В руках пусто.\nВы в зале.\nЗдесь не прыгают.\nВы в зале.");
  EXPECT_EQ(Turn(u"инвентарь. абырвалг. инвентарь"), "В руках пусто.\nВы в зале.\nСлово «<b><font "
                                                     "color='red'>абырвалг</font></b>» мне неизвестно.\nВы в зале.");
  // Code is never cut: the line is one statement, here a wrong one.
  EXPECT_TRUE(says(Turn(u"/2 + 2; 3"), "2 + 2; 3"));
  EXPECT_EQ(Turn(u"*заметка. с"), "");
  // A closing full stop or mark is no part of the command.
  EXPECT_EQ(Turn(u"инвентарь."), "В руках пусто.\nВы в зале.");
  EXPECT_EQ(Turn(u"инвентарь !"), "В руках пусто.\nВы в зале.");
}

TEST_F(player_turn, ActionsJoinedByAndAreSpacedLikeSeparateCommands) {
  Start(places);
  // One line break between the replies, as between commands of a line,
  // though the game's text begins with a break of its own.
  EXPECT_EQ(Turn(u"инвентарь и инвентарь"), "В руках пусто.\nВ руках пусто.\nВы в зале.");
  EXPECT_EQ(Turn(u"инвентарь и инвентарь. инвентарь"),
            "В руках пусто.\nВ руках пусто.\nВы в зале.\nВ руках пусто.\nВы в зале.");
  // The first that fails stops the rest, and so the rest of the line.
  EXPECT_EQ(Turn(u"прыгнуть и инвентарь. инвентарь"), "Здесь не прыгают.\nВы в зале.");
}

TEST_F(player_turn, InventoryQuestionsAndPronounsThatNameNothing) {
  Start(places);
  for (const char16_t* question : {u"что у меня?", u"что я несу", u"Что в руках ?"})
    EXPECT_EQ(Turn(question), "В руках пусто.\nВы в зале.") << utf8(question);
  // Nothing was named yet: the pronoun is said to stand for nothing, and
  // the session goes on.
  EXPECT_EQ(Turn(u"прыгнуть его"), "Непонятно, кого или что вы имеете в виду.\nВы в зале.");
  EXPECT_EQ(Turn(u"прыгнуть их. инвентарь"), "Непонятно, кого или что вы имеете в виду.\nВы в зале.");
  EXPECT_TRUE(says(Turn(u"инвентарь"), "В руках пусто."));
}

TEST_F(player_turn, CodeModeOutOfTheGameAndRestart) {
  Start(places);
  // A slash makes one command game code; the log shows it without the
  // slash.
  EXPECT_EQ(Turn(u"/2 + 2"), "4\nВы в зале.");
  EXPECT_TRUE(says(SessionLog(), "> 2 + 2\r\n")) << SessionLog();
  EXPECT_TRUE(says(Turn(u"/пусто_и_нет"), "Пусто"));
  // Out of the game every command is code until the game is restarted.
  EXPECT_EQ(Turn(u"вне игры"), "Вы вне игры.");
  EXPECT_TRUE(says(Turn(u"3 * 3"), "9"));
  EXPECT_TRUE(says(Turn(u"герой.location = двор"), "Вы в зале.") == false);
  EXPECT_EQ(Turn(u"Заново"), "Вы в зале.");  // a fresh world: the hero in the hall
  EXPECT_EQ(Turn(u"3 * 3"), "Непонятно…\nВы в зале.");
}

TEST_F(player_turn, RepliesAndFullLogOutcomes) {
  Start(places);
  Turn(u"инвентарь");
  Turn(u"прыгнуть");
  Turn(u"абракадабра");
  std::string full_log = FullLog();
  EXPECT_TRUE(says(full_log, "Ok\tзал\tинвентарь\tВ руках пусто. Вы в зале.\t\tтестер\t")) << full_log;
  EXPECT_TRUE(says(full_log, "error\tзал\tпрыгнуть\tЗдесь не прыгают. Вы в зале.\t")) << full_log;
  EXPECT_TRUE(says(full_log, "value\tзал\tабракадабра\t")) << full_log;
  // The start, held back, comes with the first command.
  std::string session_log = SessionLog();
  EXPECT_EQ(session_log.rfind("\r\n\r\n== ", 0), 0u) << session_log;
  EXPECT_TRUE(says(session_log, "====\r\nВы в зале.\r\n------------------\r\n> инвентарь\r\nВ руках пусто.\nВы в зале.\r\n"))
      << session_log;
  EXPECT_EQ(count_of(session_log, "\r\n\r\n== "), 1u);
}

TEST_F(player_turn, LeavingAndEnteringLocations) {
  Start(places);
  std::string moved = Turn(u"/goto двор");
  EXPECT_TRUE(says(moved, "Вы вышли во двор.")) << moved;
  EXPECT_FALSE(says(moved, "Вы в зале."));
  EXPECT_EQ(Turn(u"/герой.location"), "Двор");
  EXPECT_EQ(Turn(u"/герой.last_loc"), "Зал");
  EXPECT_EQ(Turn(u"/герой.место_последнее"), "Зал");
  // Where one came from is the entering event's alone.
  EXPECT_TRUE(says(Turn(u"/двор._откуда"), "Пусто")) << Turn(u"/двор._откуда");

  // An entering that fails sends the player back, with its message.
  Turn(u"/goto зал");
  std::string refused = Turn(u"/goto подвал");
  EXPECT_TRUE(says(refused, "В подвал не спуститься.")) << refused;
  EXPECT_EQ(Turn(u"/герой.location"), "Зал\nВы в зале.");

  // A leaving that fails keeps the player where it is.
  Turn(u"/goto башня");
  EXPECT_TRUE(says(Turn(u"/goto двор"), "Дверь башни заперта."));
  EXPECT_EQ(Turn(u"/герой.location"), "Башня");
}

TEST_F(player_turn, EnteringEventsSendThePlayerOnThreeTimesAtMost) {
  Start(places);
  Turn(u"/goto старт");
  std::string chain = Turn(u"/goto к1");
  EXPECT_EQ(count_of(chain, "Уходим."), 1u) << chain;
  EXPECT_TRUE(says(chain, "Вход в к1.")) << chain;
  EXPECT_TRUE(says(chain, "Вход в к3.")) << chain;
  EXPECT_FALSE(says(chain, "Вход в к4.")) << chain;
  EXPECT_EQ(Turn(u"/герой.location"), "К3");
}

TEST_F(player_turn, APlayerWithoutAPlaceIsPutInOneWithoutEvents) {
  std::string opening = Start(uR"(
location двор {
-- _enter --
  % Вы вышли во двор.
}
герой {}
pers = герой
)");
  // Without a location the player is out of the game: the banner shows.
  EXPECT_TRUE(says(opening, "КИВ: движок русских текстовых игр.")) << opening;
  std::string moved = Turn(u"goto двор");
  EXPECT_FALSE(says(moved, "Вы вышли во двор.")) << moved;
  EXPECT_EQ(Turn(u"/герой.location"), "Двор");
}

TEST_F(player_turn, FailuresInGameCodeAreReportedAndPlayGoesOn) {
  Start(places);
  std::string broken = Turn(u"/goto обрыв");
  EXPECT_TRUE(says(broken, "<location>Ошибка платформы!</location>")) << broken;
  EXPECT_TRUE(says(broken, "<font color=red>Класс @нетакого не найден!</font>")) << broken;
  // What the event printed before it failed is still shown.
  EXPECT_TRUE(says(broken, "Земля уходит из-под ног.")) << broken;
  EXPECT_TRUE(says(FullLog(), "crash\tзал\t/goto обрыв\t")) << FullLog();
  EXPECT_EQ(Turn(u"инвентарь"), "В руках пусто.");
  EXPECT_EQ(Turn(u"/герой.location"), "Обрыв");
}

TEST_F(player_turn, GameCodeStartsANewGame) {
  std::ofstream(folder_ / "второй.kiv", std::ios::binary) << "location поле {\n-- _scene --\n  % Поле.\n}\n"
                                                               "путник { inside поле }\npers = путник\n";
  Start(places);
  EXPECT_EQ(Turn(u"/run \"второй.kiv\""), "Поле.");
  EXPECT_EQ(Turn(u"/путник.location"), "Поле\nПоле.");
  EXPECT_EQ(count_of(SessionLog(), "\r\n\r\n== "), 2u) << SessionLog();
  // Restarting goes back to the game the host started.
  EXPECT_EQ(Turn(u"заново"), "Вы в зале.");

  // A game that asks for itself again at every start is stopped.
  Start(uR"(
location зал {
-- _scene --
  run "петля.kiv"
}
герой { inside зал }
pers = герой
)", "петля.kiv");
  std::string looping = Turn(u"/1");
  EXPECT_TRUE(says(looping, "игра перезапускается снова и снова: перезапуск остановлен!")) << looping;
}

}  // namespace

TEST_F(player_turn, APlaceOfAClassThatRefusesCommandsStopsTheTurn) {
  std::string start = Start(uR"(
@трюм {
-- _check_npc --
  return fail, "Вы не можете пошевелиться."
}
location каюта {
  @трюм
-- _scene --
  % Вы в каюте.
}
$инвентарь {
  #ИпЕч = "инвентарь"
}
action (инвентарь) {
-- execute --
  % В руках пусто.
}
герой { inside каюта }
pers = герой
)");
  EXPECT_EQ(start, "Вы в каюте.");
  // The class's check answers for the place, and no event follows.
  EXPECT_EQ(Turn(u"инвентарь"), "Вы не можете пошевелиться.");
  // Code typed by the player is not a character's command.
  EXPECT_EQ(Turn(u"/2 + 2"), "4\nВы в каюте.");
}

// Undo rebuilds the game by replaying commands: a host function the game
// code calls reaches the host only when the command is first played, yet
// the replayed code goes on past it as it did then.
TEST_F(player_turn, ReplayedHostCallsGoOnAsTheyDidWhenPlayed) {
  Start(uR"(
var счёт = 0
location зал {
-- _scene --
  % Вы в зале.
}
$считать {
  #Нф = "считать"
}
action (считать) {
-- execute --
  print "раз"
  счёт = счёт + 1
  % Посчитано.
}
герой { inside зал }
pers = герой
)");
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(says(Turn(u"считать"), "Раз"));
  EXPECT_EQ(first_line(Turn(u"/счёт")), "3");
  std::string undone = Turn(u"отмена");
  EXPECT_TRUE(says(undone, "Отменена команда «считать».")) << undone;
  EXPECT_FALSE(says(undone, "Раз")) << undone;
  EXPECT_EQ(first_line(Turn(u"/счёт")), "2");
}
