// The whole file, read back the way the engine reads it.

#include "dictionary_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "excerpt.h"
#include "kiv_dic_reader.h"
#include "temporary_folder.h"

namespace {

lexeme make_lexeme(std::string lemma, std::vector<std::string> classes, std::string own_key,
                   std::vector<word_form> forms, double rank, std::string partner = "") {
  lexeme word;
  word.lemma = std::move(lemma);
  word.classes = std::move(classes);
  word.own_key = std::move(own_key);
  word.forms = std::move(forms);
  word.rank = rank;
  word.aspect_partner = std::move(partner);
  return word;
}

lexeme lamp() {
  return make_lexeme("лампа", {"@существительное"}, "ЖрНд",
                     {{"лампа", "ИпЕч"}, {"лампы", "РпЕч"}, {"лампе", "ДпЕч"}, {"лампу", "ВпЕч"},
                      {"лампой", "ТпЕч"}, {"лампою", "ТпЕчУс"}, {"лампе", "ПпЕч"}, {"лампы", "ИпМч"},
                      {"ламп", "РпМч"}, {"лампам", "ДпМч"}, {"лампы", "ВпМч"}, {"лампами", "ТпМч"},
                      {"лампах", "ПпМч"}},
                     10);
}

const char* const lamp_declaration =
    "$лампа {\n@существительное\nkey=#ЖрНд\n#ИпЕч = \"лампа\"\n#РпЕч = \"лампы\"\n#ДпЕч = \"лампе\"\n"
    "#ВпЕч = \"лампу\"\n#ТпЕч = \"лампой\"\n#ТпЕчУс = \"лампою\"\n#ПпЕч = \"лампе\"\n#ИпМч = \"лампы\"\n"
    "#РпМч = \"ламп\"\n#ДпМч = \"лампам\"\n#ВпМч = \"лампы\"\n#ТпМч = \"лампами\"\n#ПпМч = \"лампах\"\n}";

std::vector<lexeme> sample_words() {
  return {
      lamp(),
      make_lexeme("стол", {"@существительное"}, "МрНд",
                  {{"стол", "ИпЕч"}, {"стола", "РпЕч"}, {"столу", "ДпЕч"}, {"стол", "ВпЕч"}, {"столом", "ТпЕч"},
                   {"столе", "ПпЕч"}, {"столы", "ИпМч"}, {"столов", "РпМч"}, {"столам", "ДпМч"},
                   {"столами", "ТпМч"}, {"столах", "ПпМч"}},
                  9),
      make_lexeme("красный", {"@прилагательное"}, "",
                  {{"красный", "ИпЕчМрЛф"}, {"красного", "РпЕчМрЛф"}, {"красному", "ДпЕчМрЛф"},
                   {"красным", "ТпЕчМрЛф"}, {"красном", "ПпЕчМрЛф"}, {"красная", "ИпЕчЖрЛф"},
                   {"красной", "РпЕчЖрЛф"}, {"красную", "ВпЕчЖрЛф"}, {"красное", "ИпЕчСрЛф"},
                   {"красные", "ИпМчЛф"}, {"красных", "РпМчЛф"}, {"красными", "ТпМчЛф"}, {"красен", "ЕчМрКф"},
                   {"красна", "ЕчЖрКф"}, {"красно", "ЕчСрКф"}, {"красны", "МчКф"}, {"краснее", "Сф"}},
                  8),
      make_lexeme("взять", {"@совершенный_глагол"}, "Сш",
                  {{"взять", "ИвПф"}, {"взял", "ЕчМрНвПтПф"}, {"взяла", "ЕчЖрНвПтПф"}, {"взяли", "МчНвПтПф"},
                   {"возьму", "Еч1лНвБтПф"}, {"возьмёшь", "Еч2лНвБтПф"}, {"возьмут", "Мч3лНвБтПф"},
                   {"возьми", "ЕчПвПф"}, {"взявший", "ИпЕчМрЧвПтЛф"}, {"взятый", "ИпЕчМрЧвПтЛф"}, {"взяв", "Дв"}},
                  7, "брать"),
      make_lexeme("брать", {"@несовершенный_глагол"}, "Нш",
                  {{"брать", "ИвПф"}, {"брал", "ЕчМрНвПтПф"}, {"брала", "ЕчЖрНвПтПф"}, {"беру", "Еч1лНвНтПф"},
                   {"берёшь", "Еч2лНвНтПф"}, {"берут", "Мч3лНвНтПф"}, {"бери", "ЕчПвПф"}, {"беря", "Дв"}},
                  6, "взять"),
      make_lexeme("сталь", {"@существительное"}, "ЖрНд",
                  {{"сталь", "ИпЕч"}, {"стали", "РпЕч"}, {"сталью", "ТпЕч"}, {"стали", "ИпМч"}, {"сталей", "РпМч"},
                   {"сталям", "ДпМч"}, {"сталями", "ТпМч"}, {"сталях", "ПпМч"}},
                  2),
      // More useful than сталь, so the shared «стали» finds стать first.
      make_lexeme("стать", {"@совершенный_глагол"}, "Сш",
                  {{"стать", "ИвПф"}, {"стал", "ЕчМрНвПтПф"}, {"стала", "ЕчЖрНвПтПф"}, {"стало", "ЕчСрНвПтПф"},
                   {"стали", "МчНвПтПф"}, {"стану", "Еч1лНвБтПф"}, {"станет", "Еч3лНвБтПф"}, {"стань", "ЕчПвПф"}},
                  5),
      make_lexeme("конструктор", {"@существительное"}, "МрНд",
                  {{"конструктор", "ИпЕч"}, {"конструктора", "РпЕч"}, {"конструкторы", "ИпМч"}}, 1),
  };
}

class written_dictionary : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    temporary_folder folder;
    folder.Write("constructor.kvs", "\xEF\xBB\xBFpreposition в {\r\n  в ВпКк\r\n}\r\n");
    folder.Write("library.kvs", "var библиотека_готова = 1");
    words_ = new std::vector<lexeme>(sample_words());
    std::vector<special_text> specials = ReadSpecialTexts(folder.Path());
    build_ = new dictionary_build(BuildDictionary(*words_, specials, ending_tables::Standard()));
    reader_ = new kiv_dic_reader(build_->image);
  }
  static void TearDownTestSuite() {
    delete reader_;
    delete build_;
    delete words_;
  }

  static uint16_t Number(const std::string& lemma) {
    std::optional<uint16_t> found = reader_->Find(lemma);
    if (!found) throw std::runtime_error("no article for " + lemma);
    return *found;
  }

  static std::vector<lexeme>* words_;
  static dictionary_build* build_;
  static kiv_dic_reader* reader_;
};

std::vector<lexeme>* written_dictionary::words_ = nullptr;
dictionary_build* written_dictionary::build_ = nullptr;
kiv_dic_reader* written_dictionary::reader_ = nullptr;

TEST_F(written_dictionary, EveryFormFindsItsOwnArticle) {
  for (const lexeme& word : *words_) {
    uint16_t own = Number(word.lemma);
    EXPECT_EQ(reader_->Forms(own).front(), word.lemma);
    for (const word_form& form : word.forms) {
      if (form.text == "стали") continue;  // shared, below
      EXPECT_EQ(reader_->Find(form.text), own) << form.text;
    }
  }
  EXPECT_EQ(build_->report.coverage.resolved, build_->report.coverage.lookups);
  EXPECT_EQ(build_->report.lost_pairs, 0u);
}

TEST_F(written_dictionary, TypedWordsAreNormalisedBeforeTheKeys) {
  EXPECT_EQ(reader_->Find("возьмешь"), Number("взять"));
  EXPECT_EQ(reader_->Find("Возьмёшь"), Number("взять"));
}

TEST_F(written_dictionary, SharedFormFindsTheMoreUsefulLexemeFirstThenTheOther) {
  std::set<uint16_t> taken;
  EXPECT_EQ(reader_->Find("стали", taken), Number("стать"));
  EXPECT_EQ(reader_->Find("стали", taken), Number("сталь"));
  EXPECT_EQ(build_->report.coverage.shared_lookups, 2u);
  EXPECT_EQ(build_->report.coverage.shared_resolved, 2u);
}

TEST_F(written_dictionary, MainTextExpandsToTheDeclaration) {
  kiv_dic_reader::article_texts texts = reader_->Texts(Number("лампа"));
  EXPECT_EQ(texts.main, lamp_declaration);
  EXPECT_TRUE(texts.tagged.empty());
  EXPECT_TRUE(texts.cross_references.empty());
  EXPECT_EQ(reader_->Forms(Number("лампа")),
            (std::vector<std::string>{"лампа", "лампы", "лампе", "лампу", "лампой", "лампою", "ламп", "лампам",
                                      "лампами", "лампах"}));
}

TEST_F(written_dictionary, AdjectiveWithoutOwnKeysHasNoKeyLine) {
  std::string main = reader_->Texts(Number("красный")).main;
  EXPECT_TRUE(main.starts_with("$красный {\n@прилагательное\n#ИпЕчМрЛф = \"красный\"\n")) << main;
  EXPECT_TRUE(main.ends_with("\n#Сф = \"краснее\"\n}")) << main;
}

TEST_F(written_dictionary, AspectPartnersCarryEachOthersTaggedText) {
  uint16_t take = Number("взять");
  uint16_t carry = Number("брать");
  using tagged = std::vector<std::pair<uint16_t, std::string>>;
  EXPECT_EQ(reader_->Texts(take).tagged,
            (tagged{{carry, "$взять {\n#ИвПфНш = \"брать\"\n}\n$брать {\n#ИвПфСш = \"взять\"\n}"}}));
  EXPECT_EQ(reader_->Texts(carry).tagged,
            (tagged{{take, "$брать {\n#ИвПфСш = \"взять\"\n}\n$взять {\n#ИвПфНш = \"брать\"\n}"}}));
  EXPECT_EQ(build_->report.aspect_pairs, 1u);

  // Declared second, взять brings the infinitive of the other aspect along.
  std::set<uint16_t> taken;
  ASSERT_EQ(reader_->Find("брать", taken), carry);
  EXPECT_EQ(reader_->Declaration(carry, taken), reader_->Texts(carry).main);
  ASSERT_EQ(reader_->Find("взять", taken), take);
  EXPECT_EQ(reader_->Declaration(take, taken), reader_->Texts(take).main +
                                                   "\n$взять {\n#ИвПфНш = \"брать\"\n}\n$брать {\n#ИвПфСш = \"взять\"\n}");
}

TEST_F(written_dictionary, SpecialArticlesCarryTheirSourceFirst) {
  std::string constructor = reader_->Texts(Number("конструктор")).main;
  EXPECT_TRUE(constructor.starts_with("preposition в {\n  в ВпКк\n}\n$конструктор {\n@существительное\n")) << constructor;
  EXPECT_EQ(reader_->Find("конструкторы"), Number("конструктор"));

  uint16_t library = Number("библиотека");
  EXPECT_EQ(reader_->Forms(library), std::vector<std::string>{"библиотека"});
  EXPECT_EQ(reader_->Texts(library).main, "var библиотека_готова = 1\n");
  EXPECT_EQ(build_->report.articles, words_->size() + 1);
}

TEST_F(written_dictionary, EveryListedNumberStartsAnArticle) {
  std::set<uint16_t> listed;
  for (size_t i = 0; i < reader_->EntryCount(); ++i) {
    if (i > 0) {
      EXPECT_LT(reader_->EntryKey(i - 1), reader_->EntryKey(i));
    }
    for (uint16_t number : reader_->EntryArticles(i)) listed.insert(number);
  }
  std::set<std::string> lemmas{"библиотека"};
  for (const lexeme& word : *words_) lemmas.insert(word.lemma);
  std::set<std::string> reached;
  for (uint16_t number : listed) {
    std::string first = reader_->Forms(number).front();
    EXPECT_TRUE(lemmas.count(first)) << first;
    reached.insert(first);
    EXPECT_NO_THROW(reader_->Texts(number));
  }
  EXPECT_EQ(reached, lemmas);
  EXPECT_EQ(build_->report.file_bytes, build_->image.size());
  EXPECT_EQ(build_->report.hash_entries, reader_->EntryCount());
}

TEST_F(written_dictionary, FileCarriesTheStandardEndingTables) {
  const ending_tables& standard = ending_tables::Standard();
  std::string noun_table;
  for (std::string_view ending : reader_->NounEndings()) noun_table += std::string(ending) + '\0' + '\0';
  EXPECT_EQ(noun_table + '\0', standard.NounTableBytes());
  std::string verb_table;
  for (const verb_ending_rule& rule : reader_->VerbRules())
    verb_table += std::string(rule.ending) + '\0' + std::string(rule.replacement) + '\0';
  EXPECT_EQ(verb_table + '\0', standard.VerbTableBytes());
}

// Seven one-form words whose forms all share one noun key and one verb key:
// the two keys hold six articles, and the least useful word is left out.
TEST(dictionary_overflow, KeepsTheMoreUsefulLexemesAndReportsTheLoss) {
  constexpr std::string_view noun_endings[] = {"а", "б", "в", "г", "д", "е", "ж"};
  const ending_tables::verb_rule_text verb_rules[] = {{"а", ""}, {"б", ""}, {"в", ""}, {"г", ""},
                                                      {"д", ""}, {"е", ""}, {"ж", ""}};
  ending_tables tables(noun_endings, verb_rules);
  const double ranks[] = {5, 7, 1, 6, 3, 4, 2};  // котв is the least useful
  std::vector<lexeme> words;
  for (size_t i = 0; i < 7; ++i) {
    std::string text = "кот" + std::string(noun_endings[i]);
    words.push_back(make_lexeme(text, {"@существительное"}, "", {{text, "ИпЕч"}}, ranks[i]));
  }
  dictionary_build build = BuildDictionary(words, {}, tables);
  kiv_dic_reader reader(build.image);

  for (const lexeme& word : words) EXPECT_EQ(reader.Find(word.lemma).has_value(), word.lemma != "котв") << word.lemma;
  EXPECT_EQ(build.report.lost_pairs, 1u);
  EXPECT_EQ(build.report.lost_forms, 1u);
  EXPECT_EQ(build.report.lost_lemmas, std::vector<std::string>{"котв"});
  EXPECT_EQ(build.report.full_keys, 2u);
  EXPECT_EQ(build.report.coverage.resolved, 6u);
  EXPECT_EQ(build.report.coverage.lookups, 7u);

  // An entry lists its articles most useful first.
  std::vector<uint16_t> listed = reader.ArticlesOfKey(tables.NounKey(kiv_dic_reader::ToCp1251("кота")));
  std::vector<double> listed_ranks;
  for (uint16_t number : listed)
    for (const lexeme& word : words)
      if (reader.Forms(number).front() == word.lemma) listed_ranks.push_back(word.rank);
  EXPECT_EQ(listed_ranks.size(), 3u);
  EXPECT_TRUE(std::is_sorted(listed_ranks.rbegin(), listed_ranks.rend()));
}

// The committed excerpt of the real data, with the project's special sources.
TEST(dictionary_excerpt, EveryFormOfTheExcerptFindsItsArticle) {
  std::vector<lexeme> words = ReadExcerpt(std::string(KIVDIC_TEST_DATA) + "/excerpt.txt");
  std::vector<special_text> specials = ReadSpecialTexts(KIVDIC_SPECIAL_DIR);
  dictionary_build build = BuildDictionary(words, specials, ending_tables::Standard());
  kiv_dic_reader reader(build.image);

  EXPECT_EQ(build.report.coverage.resolved, build.report.coverage.lookups);
  EXPECT_GT(build.report.coverage.lookups, 1000u);
  size_t checked = 0;
  for (const lexeme& word : words) {
    std::optional<uint16_t> own = reader.Find(word.lemma);
    ASSERT_TRUE(own) << word.lemma;
    for (const word_form& form : word.forms) {
      std::optional<uint16_t> found = reader.Find(form.text);
      ASSERT_TRUE(found) << form.text;
      checked += found == own;
    }
  }
  // Forms found in another article are the texts that homonyms share.
  EXPECT_GT(checked, build.report.coverage.lookups - build.report.coverage.shared_lookups);
  for (const special_text& special : specials) {
    std::string main = reader.Texts(*reader.Find(special.word)).main;
    EXPECT_TRUE(main.starts_with(kiv_dic_reader::ToUtf8(special.source))) << main.substr(0, 200);
  }
}

}  // namespace
