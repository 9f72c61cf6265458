#include "special_articles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "dictionary_text.h"
#include "temporary_folder.h"

namespace {

class special_folder : public ::testing::Test {
 protected:
  void Write(const std::string& name, const std::string& bytes) { folder_.Write(name, bytes); }
  temporary_folder folder_;
  const std::filesystem::path& path_ = folder_.Path();
};

TEST_F(special_folder, SourcesAreReadAsCodePage1251WithLineFeeds) {
  Write("constructor.kvs", "\xEF\xBB\xBF// предлоги\r\npreposition в {\r\n}");
  Write("library.kvs", "var x = 1\n");
  std::vector<special_text> texts = ReadSpecialTexts(path_);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].word, "конструктор");
  EXPECT_EQ(texts[0].source, ToCp1251("// предлоги\npreposition в {\n}\n"));
  EXPECT_EQ(texts[1].word, "библиотека");
  EXPECT_EQ(texts[1].source, "var x = 1\n");
}

TEST_F(special_folder, MissingOrUnusableSourceIsAnError) {
  Write("constructor.kvs", "x\n");
  try {
    ReadSpecialTexts(path_);
    FAIL() << "no error for the missing library.kvs";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("library.kvs"), std::string::npos) << error.what();
  }
  Write("library.kvs", "bell \x07\n");
  EXPECT_THROW(ReadSpecialTexts(path_), std::runtime_error);
  Write("library.kvs", "草\n");
  EXPECT_THROW(ReadSpecialTexts(path_), std::runtime_error);
}

TEST(special_articles, SourceGoesBeforeTheDeclaration) {
  special_text special{"библиотека", "var word = 1\n"};
  text_compressor compressor;
  article entry;
  entry.main_text = "$x";
  PrefixMainText(special, compressor, entry);
  EXPECT_EQ(entry.main_text, "\x07\x01= 1\n$x");
  article alone = SpecialOnlyArticle(special, compressor);
  EXPECT_EQ(alone.forms, std::vector<std::string>{ToCp1251("библиотека")});
  EXPECT_EQ(alone.main_text, "\x07\x01= 1\n");
}

TEST(special_articles, ProjectSourcesCanBeCarried) {
  const std::filesystem::path folder = KIVDIC_SPECIAL_DIR;
  if (!std::filesystem::exists(folder / "constructor.kvs") || !std::filesystem::exists(folder / "library.kvs"))
    GTEST_SKIP() << "the special article sources are not written yet";
  EXPECT_NO_THROW(ReadSpecialTexts(folder));
}

}  // namespace
