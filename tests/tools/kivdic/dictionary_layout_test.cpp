#include "dictionary_layout.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "kiv_dic_reader.h"

namespace {

// The start of the last article, in granules, by a plain count.
uint64_t last_number(const std::vector<size_t>& sizes, uint64_t granule) {
  uint64_t number = 0;
  for (size_t i = 0; i + 1 < sizes.size(); ++i) number += (sizes[i] + granule - 1) / granule;
  return number;
}

TEST(dictionary_layout, SmallAreaNeedsNoGranuleAndNoPadding) {
  article_layout layout = LayOutArticles(std::vector<size_t>{10, 3, 7});
  EXPECT_EQ(layout.granule, 1u);
  EXPECT_EQ(layout.numbers, (std::vector<uint16_t>{0, 10, 13}));
  EXPECT_EQ(layout.padding, 0u);
  EXPECT_EQ(layout.area_size, 20u);
}

TEST(dictionary_layout, GranuleIsTheSmallestThatNumbersEveryArticle) {
  std::vector<size_t> sizes;
  for (size_t i = 0; i < 40000; ++i) sizes.push_back(i % 2 ? 5 : 3);
  article_layout layout = LayOutArticles(sizes);
  EXPECT_EQ(layout.granule, 3u);
  EXPECT_LE(last_number(sizes, layout.granule), max_article_number);
  EXPECT_GT(last_number(sizes, layout.granule - 1), max_article_number);
  for (size_t i = 1; i < sizes.size(); ++i) {
    uint64_t start = uint64_t(layout.numbers[i]) * layout.granule;
    ASSERT_GE(start, uint64_t(layout.numbers[i - 1]) * layout.granule + sizes[i - 1]) << i;
    ASSERT_LT(start, uint64_t(layout.numbers[i - 1]) * layout.granule + sizes[i - 1] + layout.granule) << i;
  }
  EXPECT_EQ(layout.padding, 19999u);  // one byte after every 5-byte article but the last
  EXPECT_EQ(layout.area_size, uint64_t(layout.numbers.back()) * 3 + 5);
}

TEST(dictionary_layout, MoreArticlesThanNumbersAreRefused) {
  EXPECT_NO_THROW(LayOutArticles(std::vector<size_t>(65535, 1)));
  EXPECT_THROW(LayOutArticles(std::vector<size_t>(65536, 1)), std::length_error);
}

TEST(dictionary_layout, ImageHasHeaderEntriesTablesAndArticlesInPlace) {
  constexpr std::string_view noun_endings[] = {"ы", "а"};
  const ending_tables::verb_rule_text verb_rules[] = {{"ать", "а"}};
  ending_tables tables(noun_endings, verb_rules);
  std::vector<article> articles(2);
  articles[0].forms = {"\xEA\xEE\xF2"};  // кот
  articles[0].main_text = "one";
  articles[1].forms = {"\xEF\xE5\xF1"};  // пес
  articles[1].main_text = "two";
  articles[1].tagged_texts.push_back({0, "tag"});
  article_layout layout = LayOutArticles(std::vector<size_t>{EncodedSize(articles[0]), EncodedSize(articles[1])});
  std::map<uint16_t, std::vector<size_t>> entries = {{0x0300, {1, 0}}, {0x0100, {0}}};
  std::string image = WriteDictionaryImage(entries, tables, articles, layout);

  EXPECT_EQ(image.substr(0, 12), std::string("2.a.5.3\0\0\0\0\0", 12));
  kiv_dic_reader reader(image);
  ASSERT_EQ(reader.EntryCount(), 2u);
  EXPECT_EQ(reader.EntryKey(0), 0x0100);
  EXPECT_EQ(reader.EntryArticles(0), std::vector<uint16_t>{layout.numbers[0]});
  EXPECT_EQ(reader.EntryArticles(1), (std::vector<uint16_t>{layout.numbers[1], layout.numbers[0]}));
  EXPECT_EQ(image.substr(28 + 2 * 8, tables.VerbTableBytes().size()), tables.VerbTableBytes());
  EXPECT_EQ(reader.NounEndings(), (std::vector<std::string_view>{"\xFB", "\xE0"}));
  EXPECT_EQ(reader.Granule(), layout.granule);
  EXPECT_EQ(reader.Forms(layout.numbers[1]), std::vector<std::string>{"пес"});
  EXPECT_EQ(reader.Texts(layout.numbers[1]).main, "two");
  EXPECT_EQ(reader.Texts(layout.numbers[1]).tagged,
            (std::vector<std::pair<uint16_t, std::string>>{{layout.numbers[0], "tag"}}));
  EXPECT_EQ(image.size(), reader.AreaOffset() + layout.area_size);
}

}  // namespace
