// Naming and loading a game into a world, name resolution, the logs and
// the registry of worlds.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "code_places.h"
#include "code_world.h"
#include "test_support.h"
#include "world_log.h"
#include "world_registry.h"

namespace fs = std::filesystem;

namespace {

// Knows the two words a load asks for, and declares each as a class.
class recording_dictionary : public dictionary_lookup {
 public:
  bool DeclareFromDictionary(world& home, const wstring& word) override {
    words.push_back(word.Text());
    bool known = word == u"конструктор" || word == u"библиотека";
    if (!known || home.FindClass(word)) return false;
    home.Create(&home, kw::type_class, true, word);
    return true;
  }
  std::vector<std::u16string> words;
};

// A fresh folder under the system's temporary one, removed afterwards.
struct temp_folder {
  temp_folder() {
    path = fs::temp_directory_path() / ("kiv_load_" + std::to_string(getpid()) + "_" + std::to_string(++made));
    fs::create_directories(path);
  }
  ~temp_folder() { fs::remove_all(path); }
  void Write(const std::string& relative, const std::string& text) const {
    fs::create_directories((path / relative).parent_path());
    std::ofstream(path / relative, std::ios::binary) << text;
  }
  std::string Read(const std::string& relative) const {
    std::ifstream in(path / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static inline int made = 0;
  fs::path path;
};

wstring wide(const std::string& text) { return wstring(decode_utf8_replacing(text.data(), text.size()).c_str()); }

std::string text_of(const wstring& text) { return encode_utf8(text.Text(), size_t(text.Length())); }

// Makes the folder current while it lives, where "lib/" is looked for.
struct current_folder {
  explicit current_folder(const fs::path& to) : before(fs::current_path()) { fs::current_path(to); }
  ~current_folder() { fs::current_path(before); }
  fs::path before;
};

struct world_loading : ::testing::Test {
  void SetUp() override { w.home.dictionary = &dictionary; }

  template <class F>
  std::string Failure(F&& f) {
    try {
      f();
    } catch (const char16_t* message) {
      return utf8(message);
    } catch (const wstring& message) {
      return text_of(message);
    }
    return "<nothing thrown>";
  }
  // An object with word forms.
  object* Thing(const char16_t* name, std::initializer_list<const char16_t*> forms) {
    object* made = w.Create(kw::type_object, name);
    int key = 0;
    for (const char16_t* form : forms) made->AddForm(wstring(u"#") + std::u16string(1, u'а' + key++).c_str(), form);
    return made;
  }

  recording_dictionary dictionary;
  temp_folder folder;
  code_world w;
};

TEST_F(world_loading, AFileNameGivesTheFullFolderAndTheFilePart) {
  folder.Write("игра/game.kiv", "");
  current_folder here(folder.path);
  w.home.SetFileName(u"игра\\game.kiv");
  EXPECT_EQ(text_of(w.home.FileName()), "игра\\game.kiv");
  EXPECT_EQ(text_of(w.home.FilePart()), "game.kiv");
  EXPECT_EQ(text_of(w.home.Directory()), fs::canonical(folder.path).string() + "/игра/");
  w.home.SetFileName(u"./игра/../игра/game.kiv");
  EXPECT_EQ(text_of(w.home.Directory()), fs::canonical(folder.path).string() + "/игра/");
  EXPECT_EQ(Failure([&] { w.home.SetFileName(u"нет_такой/game.kiv"); }), "error:GetFullPathName(FileName)");
  std::string long_name = "игра/" + std::string(1100, 'x') + ".kiv";
  EXPECT_EQ(Failure([&] { w.home.SetFileName(wide(long_name)); }), "error:GetFullPathName(FileName)");
  w.home.SetFileName(wstring());
  EXPECT_TRUE(w.home.FilePart().IsEmpty());
}

TEST_F(world_loading, WithNoFileANewWorldHoldsWhatTheDictionaryDeclares) {
  w.Run(u"ящик {}\nvar x = 1");
  w.home.player = 7;
  w.home.current_plane = u"план";
  dictionary.words.clear();
  value result = w.home.Load();
  EXPECT_EQ(result.Code(), kw::result_ok);
  EXPECT_EQ(text_of(result.Text()), "создан новый мир");
  EXPECT_EQ(w.home.FindObject(u"ящик"), nullptr);
  EXPECT_EQ(w.home.Variables().Count(), 0);
  EXPECT_EQ(w.home.player, 0);
  EXPECT_TRUE(w.home.current_plane.IsEmpty());
  ASSERT_EQ(dictionary.words.size(), 2u);
  EXPECT_EQ(utf8(dictionary.words[0]), "конструктор");
  EXPECT_EQ(utf8(dictionary.words[1]), "библиотека");
  EXPECT_EQ(w.home.ids.Count(), 2);
  EXPECT_FALSE(w.home.loading);
}

TEST_F(world_loading, AGameWithALibraryLoadsFromItsFolders) {
  folder.Write("lib/base.kvl", "@вещь {\n a = 1\n b = 2\n}\nдействие(взять вещь) {1}\n");
  folder.Write("игры/замок/замок.kiv",
               "include base.kvl\nlocation зал {\n c = 1\n d = 2\n}\nключ {\n @вещь\n e = 3\n}\n"
               "действие(взять вещь) {2}\n");
  current_folder here(folder.path);
  w.home.SetFileName(u"игры/замок/замок.kiv");
  value result = w.home.Load();
  // The library's function came first, so the game's declaration is refused.
  EXPECT_EQ(result.Code(), kw::result_no);
  EXPECT_EQ(text_of(result.Text()), "такая функция уже есть!");
  ASSERT_NE(w.home.FindObject(u"ключ"), nullptr);
  EXPECT_TRUE(w.home.FindObject(u"ключ")->IsOfClass(w.home.FindClass(u"вещь")->Id()));
  EXPECT_EQ(w.home.FindObject(u"зал")->Type(), kw::type_location);
  EXPECT_EQ(w.home.SourceFiles().Count(), 2);
  ASSERT_EQ(w.home.functions.Functions().Count(), 1);
  EXPECT_TRUE(w.home.functions.Functions()[0].library);
  // Loading again starts from nothing and gives the same world.
  EXPECT_EQ(w.home.Load().Code(), kw::result_no);
  EXPECT_EQ(w.home.functions.Functions().Count(), 1);
  EXPECT_NE(w.home.FindObject(u"ключ"), nullptr);
}

TEST_F(world_loading, LoadErrorsReachTheCaller) {
  folder.Write("игра/плохая.kiv", "include ../../секрет.kvl\n");
  folder.Write("игра/пустая.kiv", "include нет_файла.kvl\n");
  current_folder here(folder.path);
  w.home.SetFileName(u"игра/плохая.kiv");
  EXPECT_NE(Failure([&] { w.home.Load(); }).find("недоступен"), std::string::npos);
  EXPECT_FALSE(w.home.loading);
  w.home.SetFileName(u"игра/пустая.kiv");
  EXPECT_NE(Failure([&] { w.home.Load(); }), "<nothing thrown>");
  w.home.SetFileName(u"игра/нет.kiv");
  EXPECT_NE(Failure([&] { w.home.Load(); }), "<nothing thrown>");
}

TEST_F(world_loading, NamesResolveByTheirMarks) {
  object* box = w.Create(kw::type_object, u"Ящик");
  object* cls = w.Create(kw::type_class, u"мебель");
  object* word = w.Create(kw::type_word, u"дверь");
  EXPECT_EQ(w.home.GetObjectByName(u"ящик", true), box);
  EXPECT_EQ(w.home.GetObjectByName(u"@Мебель", true), cls);
  EXPECT_EQ(w.home.GetObjectByName(u"мебель", true), cls);
  EXPECT_EQ(w.home.GetObjectByName(u"$дверь", true), word);
  EXPECT_EQ(w.home.GetObjectByName(u"", false), nullptr);
  EXPECT_EQ(w.home.GetObjectByName(u"окно", false), nullptr);
  EXPECT_EQ(Failure([&] { w.home.GetObjectByName(u"$окно", true); }), "Слово $окно не найдено!");
  EXPECT_EQ(Failure([&] { w.home.GetObjectByName(u"@окно", true); }), "Класс @окно не найден!");
  // Game code resolves names the same way.
  EXPECT_EQ(Failure([&] { w.Run(u"$окно"); }), "Слово $окно не найдено!");
  EXPECT_EQ(Failure([&] { w.Run(u"var x = окно"); }), "<nothing thrown>");
  // The dictionary is asked first, without the mark.
  EXPECT_EQ(utf8(dictionary.words.back()), "окно");
  EXPECT_EQ(w.Text(u"$дверь"), "$дверь");
}

TEST_F(world_loading, WordFormsLeadToTheirOneOwner) {
  object* table = Thing(u"стол_1", {u"стол", u"стола", u"столу", u"стола"});
  Thing(u"шкаф_1", {u"шкаф", u"дерево"});
  Thing(u"дуб_1", {u"дуб", u"дерево"});
  EXPECT_EQ(w.home.GetObjectByName(u"стола", false), table);
  EXPECT_EQ(w.home.GetObjectByName(u"стола", true), nullptr);
  EXPECT_EQ(Failure([&] { w.home.GetObjectByName(u"дерево", false); }),
            "дерево - слово неоднозначно! используете точное имя объекта.");
  EXPECT_EQ(Failure([&] { w.home.GetObjectByName(u"$стола", false); }), "Слово $стола не найдено!");
}

TEST_F(world_loading, UnknownNounsAreLoggedOnceAcrossLoads) {
  folder.Write("logs/out_nouns.log", "");
  w.home.SetDirectory(wide(folder.path.string()));
  object* noun = w.Create(kw::type_class, u"существительное");
  object* table = Thing(u"стол", {u"стола"});
  table->SetClass(entity_value(noun));
  w.home.LogUnknownNoun(u"Стола");
  w.home.LogUnknownNoun(u"стола");
  w.home.LogUnknownNoun(u"хрюкало");
  w.home.LogUnknownNoun(u"хрюкало");
  EXPECT_EQ(folder.Read("logs/out_nouns.log"), "стол\r\nхрюкало - не найдено в словаре\r\n");

  // Read back at load: nothing is logged twice.
  w.home.Load();
  w.home.LogUnknownNoun(u"хрюкало");
  w.home.LogUnknownNoun(u"бормотун");
  EXPECT_EQ(folder.Read("logs/out_nouns.log"),
            "стол\r\nхрюкало - не найдено в словаре\r\nбормотун - не найдено в словаре\r\n");
}

TEST_F(world_loading, OnlySmallCyrillicWordsAreLogged) {
  folder.Write("logs/out_nouns.log", "");
  w.home.SetDirectory(wide(folder.path.string()));
  Thing(u"лампа", {u"лампу"});  // no noun class
  int pos;
  w.home.word_list.Add(u"словарное", pos);
  for (const char16_t* word : {u"lamp", u"лампаdark", u"лаМпа", u"ёлка", u"лампа-2", u"", u"лампу", u"словарное"})
    w.home.LogUnknownNoun(word);
  EXPECT_EQ(folder.Read("logs/out_nouns.log"), "");
}

TEST_F(world_loading, LogsAppendUnderTheGameFolder) {
  w.home.SetDirectory(wide(folder.path.string()));
  fs::create_directories(folder.path / "logs");
  w.home.AppendLog(u"logs\\игра.log", u"строка");
  wstring fields[log_record_fields] = {u"a\tb", u"c\r\nd", u"", u"", u"", u"", u"e"};
  fields[3] = wide(std::string(300, 'x'));
  w.home.AppendLogRecord(u"logs/игра.log", fields);
  wstring abbreviated(fields[3]);
  abbreviated.Trim(256);
  EXPECT_EQ(abbreviated.Length(), 256);
  abbreviated.Replace(u'\n', u" ");
  EXPECT_EQ(folder.Read("logs/игра.log"), "строка\r\na b\tc d\t\t" + text_of(abbreviated) + "\t\t\te\r\n");
  EXPECT_EQ(fs::status(folder.path / "logs/игра.log").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  // A log past the limit stops growing; a missing folder is no error.
  folder.Write("logs/big.log", std::string(1000001, 'x'));
  w.home.AppendLog(u"logs/big.log", u"ещё");
  EXPECT_EQ(fs::file_size(folder.path / "logs/big.log"), 1000001u);
  w.home.AppendLog(u"нет/файл.log", u"ещё");
  EXPECT_FALSE(fs::exists(folder.path / "нет"));
  EXPECT_NE(Failure([&] { w.home.AppendLog(u"../вне.log", u"x"); }), "<nothing thrown>");
}

TEST_F(world_loading, ACollectingSessionTakesTheLines) {
  struct collector : log_collector {
    bool Collect(const wstring& file_name, const wstring& text) override {
      if (file_name != u"logs/held.log") return false;
      held += text.Text();
      return true;
    }
    std::u16string held;
  } session;
  w.home.SetDirectory(wide(folder.path.string()));
  fs::create_directories(folder.path / "logs");
  w.home.collector = &session;
  w.home.AppendLog(u"logs/held.log", u"раз");
  w.home.AppendLog(u"logs/other.log", u"два");
  EXPECT_EQ(utf8(session.held), "раз\r\n");
  EXPECT_FALSE(fs::exists(folder.path / "logs/held.log"));
  EXPECT_EQ(folder.Read("logs/other.log"), "два\r\n");
}

TEST(world_registry, WorldsEnterWhileTheyLive) {
  const world* gone;
  {
    world first(u"Мир");
    world second(u"Мир");
    EXPECT_TRUE(is_registered_world(first, u"мир"));
    EXPECT_TRUE(is_registered_world(second, u"Мир"));
    gone = &first;
  }
  world later(u"другой");
  EXPECT_TRUE(is_registered_world(later, u"другой"));
  // The key holds the name too, so a later world at the same address is
  // another entry.
  EXPECT_FALSE(is_registered_world(*gone, u"мир"));
}

}  // namespace
