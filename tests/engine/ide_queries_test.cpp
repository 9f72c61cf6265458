// The development environment's queries: the members each adds to the IDE
// reply, their messages, and the object tree every turn sends, driven
// through a session as the worker drives it.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "code_world.h"
#include "ide_map.h"
#include "ide_syntax.h"
#include "keyword_table.h"
#include "kiv_engine.h"
#include "location.h"
#include "method_source.h"
#include "parsed_string.h"
#include "system_factory.h"
#include "test_support.h"
#include "world.h"

namespace fs = std::filesystem;

namespace {

struct host_call {
  int32_t session;
  std::u16string channel;
  std::u16string text;
};

std::vector<host_call> calls;

const char16_t* record_call(int32_t session, const char16_t* channel, const char16_t* text) {
  calls.push_back({session, channel ? channel : u"", text ? text : u""});
  return nullptr;
}

bool says(const std::string& text, const std::string& fragment) { return text.find(fragment) != std::string::npos; }

class ide_queries : public ::testing::Test {
 protected:
  static constexpr int32_t session_id = 7;

  void SetUp() override {
    calls.clear();
    char pattern[] = "/tmp/kiv-ide-XXXXXX";
    folder_ = mkdtemp(pattern);
    fs::create_directory(folder_ / "logs");
    ASSERT_EQ(engine_.RegisterWide(u"print", &record_call, 2, 1), 0);
    ASSERT_TRUE(engine_.Init(nullptr));
  }
  void TearDown() override {
    engine_.Exit();
    fs::remove_all(folder_);
  }

  void Start(const std::u16string& game) {
    std::ofstream(folder_ / "игра.kiv", std::ios::binary) << utf8(game);
    wstring path((folder_ / "игра.kiv").string().c_str());
    player_.ReplaceGame(wstring(u"автор"), path);
    Turn(u"run");
  }

  void Turn(const std::u16string& command) {
    calls.clear();
    player_.current_command = command.c_str();
    player_.SessionProcess();
  }

  // What the turn printed, without the line breaks around it.
  static std::string Printed() {
    std::string all = Sent(u"print");
    size_t first = all.find_first_not_of('\n');
    return first == std::string::npos ? std::string() : all.substr(first);
  }

  // What the turn sent on a channel, as UTF-8.
  static std::string Sent(const char16_t* channel) {
    std::u16string all;
    for (const host_call& call : calls)
      if (call.channel == channel) all += call.text;
    return utf8(all);
  }

  // The IDE reply to one query.
  std::string Ask(const std::u16string& query) {
    Turn(u"ide=" + query);
    return Sent(u"ide");
  }

  kiv_engine& engine_ = kiv_engine::Instance();
  session player_{engine_, session_id};
  fs::path folder_;
};

const char16_t* const kitchen = uR"(
@предмет {
  вес = 3
}
@светильник {
  @предмет
}
location кухня {
  описание = "Тёплая кухня."
-- осмотр --
  % Здесь пахнет хлебом.
  % И "печью".
-- _scene --
  % Вы на кухне.
}
location сад {
-- _scene --
  % Вы в саду.
}
location погреб {}
сад north_of кухня
погреб below кухня
лампа {
  @светильник
  inside кухня
== зажечь ==
  % Лампа горит.
}
$лампа {
  #ИпЕч = "лампа"
  #ВпЕч = "лампу"
}
$осмотреть {
  #Нф = "осмотреть"
}
action (осмотреть, предмет п #Вп) {
-- execute --
  % Лампа как лампа.
}
герой { inside кухня }
pers = герой
var приветствие = "Добро пожаловать!"
var путь = north
var вещь = лампа
)";

TEST_F(ide_queries, EveryTurnSendsTheObjectTreeOfThePlayersLocation) {
  Start(kitchen);
  std::string tree = Sent(u"ide");
  EXPECT_EQ(tree.rfind("\"objtree\":[[0,\"context\",\"global\",\"\"],[1,\"location\",\"кухня\",\"\"],", 0), 0u)
      << tree;
  EXPECT_TRUE(says(tree, "[2,\"object\",\"лампа\",\"внутр.\"]")) << tree;
  EXPECT_TRUE(says(tree, "[2,\"object\",\"герой\",\"внутр.\"]")) << tree;
  EXPECT_FALSE(says(tree, "cmdtree")) << tree;
  // The player's command is no code: no command tree.
  Turn(u"осмотреть лампу");
  EXPECT_EQ(Printed(), "Лампа как лампа.\nВы на кухне.");
  EXPECT_FALSE(says(Sent(u"ide"), "cmdtree"));
  // Code gets the tree of the words it used, once.
  Turn(u"/лампа.вес");
  std::string code_turn = Sent(u"ide");
  EXPECT_TRUE(says(code_turn, ",\"cmdtree\":[[1,\"word\",\"$лампа\",\"\"],[1,\"object\",\"лампа\",\"\"],")) << code_turn;
  Turn(u"/1");
  EXPECT_FALSE(says(Sent(u"ide"), "cmdtree"));
  // A query answers with its own member only.
  std::string asked = Ask(u"objtree=сад");
  EXPECT_EQ(asked, "\"objtree\":[[0,\"context\",\"global\",\"\"],[1,\"location\",\"сад\",\"\"]]");
  EXPECT_EQ(Sent(u"print"), "");
  EXPECT_EQ(Ask(u"objtree=global"), "\"objtree\":[[0,\"context\",\"global\",\"\"]]");
}

// Undo and restore rebuild the game by replaying its commands: the author
// gets one tree of where the game now stands, not one per replayed turn.
TEST_F(ide_queries, ARebuiltGameSendsOneTree) {
  Start(kitchen);
  Turn(u"/лампа.вес = 4");
  for (int i = 0; i < 3; ++i) Turn(u"/лампа.вес = лампа.вес + 1");
  Turn(u"отмена");
  std::string tree = Sent(u"ide");
  EXPECT_EQ(tree.rfind("\"objtree\":[[0,\"context\",\"global\",\"\"],[1,\"location\",\"кухня\",\"\"],", 0), 0u)
      << tree;
  EXPECT_EQ(tree.find("\"objtree\"", 1), std::string::npos) << tree;
  EXPECT_FALSE(says(tree, "cmdtree")) << tree;
  Turn(u"сохранить");
  Turn(u"загрузить");
  tree = Sent(u"ide");
  EXPECT_EQ(tree.rfind("\"objtree\":", 0), 0u) << tree;
  EXPECT_EQ(tree.find("\"objtree\"", 1), std::string::npos) << tree;
}

TEST_F(ide_queries, AMissingObjectIsToldToTheAskingSessionOnly) {
  Start(kitchen);
  EXPECT_EQ(Ask(u"objtree=нигде"), "\"objtree\":[[0,\"context\",\"global\",\"\"]]");
  const char* messages[] = {"session::PutObjTree() объект не найден!", "session::GetClsTree() объект не найден!",
                            "session::GetPrpList() объект не найден!"};
  std::u16string queries[] = {u"objtree=нигде", u"clstree=нигде", u"prplist=нигде"};
  for (int n = 0; n < 3; ++n) {
    Turn(u"ide=" + queries[n]);
    EXPECT_EQ(Sent(u"print"), messages[n]);
    for (const host_call& call : calls) EXPECT_EQ(call.session, session_id) << utf8(call.text);
  }
  EXPECT_EQ(Ask(u"clstree=нигде"), "\"clstree\":[]");
  EXPECT_EQ(Ask(u"prplist=нигде"), "\"prplist\":[]");
  EXPECT_EQ(Ask(u"clstree=global"), "\"clstree\":[]");
  // Unknown queries add nothing; the game goes on.
  EXPECT_EQ(Ask(u"нечто"), "");
  EXPECT_EQ(Ask(u"syntaxes"), "");
  Turn(u"осмотреть лампу");
  EXPECT_EQ(Printed(), "Лампа как лампа.\nВы на кухне.");
}

TEST_F(ide_queries, ClassTreesAndPropertyLists) {
  Start(kitchen);
  EXPECT_EQ(Ask(u"clstree=лампа"),
            "\"clstree\":[{\"Deep\":0,\"Type\":\"object\",\"Name\":\"лампа\"},"
            "{\"Deep\":1,\"Type\":\"class\",\"Name\":\"@светильник\"},"
            "{\"Deep\":2,\"Type\":\"class\",\"Name\":\"@предмет\"}]");
  // Names as the trees show them find their entities again.
  EXPECT_TRUE(says(Ask(u"clstree=@светильник"), "{\"Deep\":0,\"Type\":\"class\",\"Name\":\"@светильник\"}"));
  std::string lamp = Ask(u"prplist=Лампа");
  EXPECT_EQ(lamp.rfind("\"prplist\":[[\"sys\",\"type\",\"string\",\"\",\"\",\"object\"],"
                       "[\"sys\",\"name\",\"string\",\"\",\"\",\"лампа\"]",
                       0),
            0u)
      << lamp;
  EXPECT_TRUE(says(lamp, "[\"prp\",\"зажечь\",\"calc\",\"лампа\",\"\"]")) << lamp;
  EXPECT_TRUE(says(lamp, "[\"prp\",\"вес\",\"number\",\"@предмет\",")) << lamp;
}

TEST_F(ide_queries, GlobalVariablesShowTheirValues) {
  Start(kitchen);
  std::string globals = Ask(u"prplist=global");
  EXPECT_EQ(globals.rfind("\"prplist\":[[\"var\",", 0), 0u) << globals;
  EXPECT_TRUE(says(globals, "[\"var\",\"приветствие\",\"string\",\"global\",\"\",\"Добро пожаловать!\"]")) << globals;
  EXPECT_TRUE(says(globals, "[\"var\",\"путь\",\"course\",\"global\",\"\",\"север\"]")) << globals;
  EXPECT_TRUE(says(globals, "[\"var\",\"вещь\",\"object\",\"global\",\"\",\"лампа\"]")) << globals;
  // A string with quotes and a line break keeps the reply valid and on one
  // line; an entity that is gone is forgotten.
  Turn(u"/приветствие = \"Скажи \\\"друг\\\"\"");
  Turn(u"/delete лампа");
  globals = Ask(u"prplist=global");
  EXPECT_TRUE(says(globals, "\"ЗАБЫТО\"")) << globals;
  EXPECT_FALSE(says(globals, "\n"));
}

TEST_F(ide_queries, CodeMethodsAndTheirMessages) {
  Start(kitchen);
  std::string code = Ask(u"code=кухня");
  EXPECT_EQ(code.rfind("\"currentcode\":\"", 0), 0u) << code;
  EXPECT_TRUE(says(code, "описание = \\\"Тёплая кухня.\\\"\\r\\n-- осмотр --")) << code;
  EXPECT_FALSE(says(code, "\n")) << code;
  EXPECT_FALSE(says(code, "\r")) << code;
  EXPECT_EQ(Ask(u"code=global"), "\"currentcode\":\"глобальный код после использования не сохраняется!\"");
  EXPECT_EQ(Ask(u"code=нигде"), "\"currentcode\":\"error: объект не найден!\"");

  EXPECT_EQ(Ask(u"method=кухня.осмотр"),
            "\"currentcode\":\"-- осмотр --\\r\\n  % Здесь пахнет хлебом.\\r\\n  % И \\\"печью\\\".\"");
  EXPECT_EQ(Ask(u"method=КУХНЯ._scene"), "\"currentcode\":\"-- _scene --\\r\\n  % Вы на кухне.\"");
  EXPECT_EQ(Ask(u"method=лампа.зажечь"), "\"currentcode\":\"== зажечь ==\\r\\n  % Лампа горит.\"");
  EXPECT_EQ(Ask(u"method=кухня.нет_такого"), "\"currentcode\":\"\"");
  EXPECT_EQ(Ask(u"method=кухня"), "\"currentcode\":\"error: ожидалось имя в формате 'object.method'!\"");
  EXPECT_EQ(Ask(u"method=чердак.осмотр"), "\"currentcode\":\"error: объект 'чердак' не найден!\"");
  // Queries print nothing for the player.
  EXPECT_EQ(Sent(u"print"), "");
}

TEST_F(ide_queries, TheReadingsOfTheLastCommand) {
  Start(kitchen);
  EXPECT_EQ(Ask(u"syntax"), "\"syntax\":[]");
  Turn(u"осмотреть лампу");
  std::string readings = Ask(u"syntax");
  // The words as typed, then the chosen reading: the hero acts and
  // speaks to nobody; both words are joined into the action, which
  // succeeded.
  EXPECT_EQ(readings.rfind("\"syntax\":[[\"герой\",\"-\",\"герой\",false,false,false,[\"осмотреть", 0), 0u)
      << readings;
  EXPECT_TRUE(says(readings, "[\"лампу\",[20,\"word\",\"$лампа\",\"#")) << readings;
  EXPECT_TRUE(says(readings, "[79,\"object\",\"лампа\",\"#")) << readings;
  EXPECT_TRUE(says(readings, "[\"герой\",\"-\",\"герой\",\"выбрано\",2,0,[\"осмотреть лампу\",[100,\"bool\",\"ок\",\"#"))
      << readings;
  EXPECT_FALSE(says(readings, "\n"));
  // A query is no command: the readings stay those of the last one.
  EXPECT_EQ(Ask(u"syntax"), readings);
  // A command not understood shows its errors.
  Turn(u"осмотреть абракадабру");
  std::string failed = Ask(u"syntax");
  EXPECT_TRUE(says(failed, "\"выбрано\"")) << failed;
  EXPECT_TRUE(says(failed, "абракадабру")) << failed;
}

TEST_F(ide_queries, MapOfTheLocations) {
  Start(kitchen);
  // Placed without a plane name, all three share the unnamed plane.
  EXPECT_EQ(Ask(u"map"),
            "\"map\":[[\"\",\"[0,0,0,1,-1,0]\",\"[[\\\"кухня\\\",0,0,0],"
            "[\\\"погреб\\\",0,0,-1],[\\\"сад\\\",0,1,0]]\"]]");
}

TEST_F(ide_queries, DictionaryArticles) {
  Start(kitchen);
  EXPECT_EQ(Ask(u"entry=абвгдейка"), "\"currentcode\":\"Статья не найдена.\"");
  // The engine reads the dictionary of the current folder.
  if (!fs::exists("kiv.dic")) GTEST_SKIP() << "no kiv.dic in the current folder";
  std::string article = Ask(u"entry=столы");
  EXPECT_EQ(article.rfind("\"currentcode\":\"$стол", 0), 0u) << article;
  EXPECT_FALSE(says(article, "\n")) << article;
  // Looking up declares nothing: the world still has no word "стол".
  EXPECT_EQ(Ask(u"prplist=$стол"), "\"prplist\":[]");
}

// Map of a world built by hand: planes the game's code cannot name.
TEST(ide_map, LocationsGroupedByPlaneWithTheirBounds) {
  world home{u"игра"};
  auto place = [&](const char16_t* name, const char16_t* plane, int32_t x, int32_t y, int32_t z) {
    auto* made = static_cast<location*>(home.Create(&home, kw::type_location, true, name));
    made->plane = plane;
    made->position[0] = x;
    made->position[1] = y;
    made->position[2] = z;
  };
  EXPECT_EQ(map_json(home), wstring(u"[]"));
  place(u"Сад", u"дом", 2, 1, 0);
  place(u"Кухня", u"дом", -3, 0, 5);
  place(u"Погреб", u"подвал", 0, 0, -1);
  home.Create(&home, kw::type_object, true, u"стол");
  EXPECT_EQ(utf8(std::u16string(map_json(home).Text())),
            "[[\"дом\",\"[-3,2,0,1,0,5]\",\"[[\\\"Кухня\\\",-3,0,5],[\\\"Сад\\\",2,1,0]]\"],"
            "[\"подвал\",\"[0,0,0,0,-1,-1]\",\"[[\\\"Погреб\\\",0,0,-1]]\"]]");
}

// Readings built by hand: the errors of a reading and of the lines it was
// made from, the heaviest marked; a token left open; absent characters.
TEST(ide_syntax, ReadingsWithTheirErrors) {
  auto meaning = [](const value& v, int32_t weight, const char16_t* keys) {
    op_value made;
    made.v = v;
    made.weight = weight;
    made.keys = keys;
    return made;
  };
  code_world w;
  system_factory no_rules;
  parsed_string parsed(w.home, w.in, no_rules);
  EXPECT_EQ(syntax_json(parsed), wstring(u"[]"));
  object* hero = w.home.Create(&w.home, kw::type_object, true, u"Герой");
  token& typed = parsed.Tokens().Insert(0, token());
  typed.text = u"ключ";
  typed.AddMeaning(meaning(value::String(u"ключ"), 10, u""));
  typed.AddMeaning(meaning(value::String(u"ключ"), 20, u"Дм"));
  typed.AddMeaning(meaning(value::Number(7), 20, u""));
  parsed.Tokens().AddError(u"слово \"ключ\" двусмысленно", 30);
  token_line& reading = parsed.AddReading(parsed.Tokens());
  token& joined = reading.Insert(0, token());
  joined.text = u"ключ";
  joined.weight = 1;
  joined.AddMeaning(meaning(value::Number(7), 100, u""));
  reading.AddError(u"мелочь", 5);
  reading.characters[0] = hero->Id();
  parsed.ChooseReading(reading);
  EXPECT_EQ(utf8(std::u16string(syntax_json(parsed).Text())),
            "[[\"-\",\"-\",\"-\",false,false,false,[\"ключ?\",[10,\"string\",\"ключ\",\"#\"],"
            "[20,\"string\",\"ключ\",\"#Дм\"],[20,\"number\",\"7\",\"#\"]],"
            "[\"ошибки:\",[30,\"слово \\\"ключ\\\" двусмысленно\",\"видна\"]]],"
            "[\"Герой\",\"-\",\"-\",\"выбрано\",1,30,[\"ключ\",[100,\"number\",\"7\",\"#\"]],"
            "[\"ошибки:\",[5,\"мелочь\",\"\"],[30,\"слово \\\"ключ\\\" двусмысленно\",\"видна\"]]]]");
}

TEST(method_source, FromItsHeaderToTheNext) {
  const wstring source(u"x = 1\r\n  == Осмотр  двери ==\r\n  % Дверь.\r\n\r\n**другое\r\n% Другое.\n--\n");
  EXPECT_EQ(method_source(source, wstring(u"осмотр__двери")), wstring(u"  == Осмотр  двери ==\r\n  % Дверь.\r\n"));
  EXPECT_EQ(method_source(source, wstring(u"другое")), wstring(u"**другое\r\n% Другое.\r\n--"));
  EXPECT_EQ(method_source(source, wstring(u"x")), wstring());
}

}  // namespace
