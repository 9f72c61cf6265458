// Including source files: extensions, the library folder, the list of
// source files, the current-file label and the folder confinement.

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "keyword_table.h"
#include "scripted_runner.h"
#include "test_support.h"
#include "world.h"

namespace {

namespace fs = std::filesystem;
using names = std::vector<std::string>;

// An interpreter stand-in that answers a source with its text, or with what
// the test makes of it.
class source_runner : public scripted_runner {
 public:
  value RunSource(const wstring& source, context& ctx) override {
    scripted_runner::RunSource(source, ctx);
    return run ? run(source, ctx) : value::String(source);
  }
  std::function<value(const wstring&, context&)> run;
};

// A game folder and the library folder "lib" in the current folder, which
// the test makes the folder above the game's.
class includes : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kiv_include_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    char previous[PATH_MAX];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    previous_folder_ = previous;
    const std::pair<const char*, const char*> files[] = {
        {"game/start.kiv", "начало"},    {"game/sub/part.kiv", "часть"},  {"game/both.kvl", "из игры"},
        {"game/notes.kvs", "заметки"},   {"game/a.b", "коротко"},         {"game/loop.kiv", "петля"},
        {"lib/shared.kvl", "библиотека"}, {"lib/both.kvl", "из lib"},     {"secret.kiv", "секрет"}};
    for (auto [file, text] : files) {
      fs::path path = fs::path(root_) / file;
      fs::create_directories(path.parent_path());
      std::ofstream(path, std::ios::binary) << text;
    }
    ASSERT_EQ(chdir(root_.c_str()), 0);
    home.SetDirectory(wstring((root_ + "/game/").c_str()));
    home.SetRunner(&runner);
  }

  void TearDown() override {
    EXPECT_EQ(chdir(previous_folder_.c_str()), 0);
    fs::remove_all(root_);
  }

  std::string Included(const char16_t* name) {
    value result = home.Include(name);
    return result.Type() == kw::type_string ? utf8(result.Text().Text()) : "<not a text>";
  }

  names Listed() {
    names listed;
    for (const wstring& name : home.SourceFiles()) listed.push_back(utf8(name.Text()));
    return listed;
  }

  world home{u"игра"};
  source_runner runner;

 private:
  std::string root_;
  std::string previous_folder_;
};

TEST_F(includes, ExtensionsDecideWhereFilesComeFromAndWhetherTheyAreListed) {
  EXPECT_EQ(Included(u"start"), "начало");
  EXPECT_EQ(Included(u"sub\\part"), "часть");
  EXPECT_EQ(Included(u"sub/../start.kiv"), "начало");
  EXPECT_EQ(Included(u"shared.kvl"), "библиотека");
  EXPECT_EQ(Included(u"both.kvl"), "из игры");
  EXPECT_EQ(Included(u"notes.kvs"), "заметки");
  // Four characters or fewer: the name stands as it is, as a game file.
  EXPECT_EQ(Included(u"a.b"), "коротко");
  EXPECT_EQ(Included(u"start"), "начало");
  EXPECT_EQ(Listed(), (names{"start.kiv", "sub\\part.kiv", "sub/../start.kiv", "shared.kvl", "both.kvl", "a.b"}));
  EXPECT_EQ(runner.source_contexts.back(), &home);
  // Only libraries have the second place to look.
  EXPECT_EQ(built_message([&] { home.Include(u"shared.kiv"); }), "маршрут или имя файла не найдены.");

  home.SetRunner(nullptr);
  value result = home.Include(u"notes.kvs");
  EXPECT_EQ(result.Type(), kw::type_bool);
  EXPECT_EQ(result.Code(), kw::result_ok);
}

TEST_F(includes, NamesReachingOutsideTheFoldersAreRefused) {
  for (const char16_t* name : {u"/etc/passwd", u"\\\\server\\share\\x.kiv", u"c:\\x.kiv", u"..\\secret",
                               u"sub/../../secret", u"./../lib/shared.kvl"}) {
    std::string expected = "файл " + utf8(name) +
                           " недоступен: подключать можно только файлы из папки игры и папки библиотеки!";
    EXPECT_EQ(built_message([&] { home.Include(name); }), expected);
  }
  EXPECT_TRUE(Listed().empty());
  EXPECT_TRUE(runner.sources.empty());
}

TEST_F(includes, LabelNamesTheFileBeingReadAndIncludesNestBoundedly) {
  wstring label(u"игра.kiv");
  home.file_label = &label;
  names seen;
  runner.run = [&](const wstring& source, context& ctx) {
    seen.push_back(utf8(label.Text()));
    if (source == u"начало") {
      ctx.Include(u"sub/part");
      seen.push_back(utf8(label.Text()));
    }
    if (source == u"петля") ctx.Include(u"loop");
    return value::Keyword(kw::result_ok);
  };
  home.Include(u"start");
  EXPECT_EQ(seen, (names{"start.kiv", "sub/part.kiv", "start.kiv"}));
  EXPECT_EQ(utf8(label.Text()), "игра.kiv");

  // A failure leaves the label naming the failing file for the crash report.
  EXPECT_EQ(wide_message([&] { home.Include(u"loop"); }), "слишком глубокая вложенность подключаемых файлов!");
  EXPECT_EQ(seen.size(), 3u + 32u);
  EXPECT_EQ(home.include_depth, 0);
  EXPECT_EQ(utf8(label.Text()), "loop.kiv");
  EXPECT_EQ(built_message([&] { home.Include(u"пропал.kvl"); }), "маршрут или имя файла не найдены.");
  EXPECT_EQ(utf8(label.Text()), "пропал.kvl");
}

}  // namespace
