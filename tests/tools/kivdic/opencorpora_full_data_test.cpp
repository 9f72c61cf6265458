// The reader on the full morphology data, whose dicts folder the variable
// KIV_DICTIONARY_DATA names; skipped without it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "excerpt.h"
#include "opencorpora_reader.h"

namespace {

std::string Fixture(const char* name) { return std::string(KIVDIC_TEST_DATA) + "/" + name; }

std::string Folded(std::string lemma) {
  for (size_t at; (at = lemma.find("ё")) != std::string::npos;) lemma.replace(at, 2, "е");
  return lemma;
}

const char* DataDir() {
  const char* dir = std::getenv("KIV_DICTIONARY_DATA");
  return dir != nullptr && *dir != '\0' ? dir : nullptr;
}

constexpr const char* no_data = "KIV_DICTIONARY_DATA does not name the data's dicts folder";

lexeme_choice BuilderChoice() {
  lexeme_choice choice;
  choice.aspect_pairs_path = KIVDIC_SPECIAL_DIR "/../aspect_pairs.txt";
  return choice;
}

const lexeme* Find(const std::vector<lexeme>& lexemes, const std::string& lemma, const std::string& first_class) {
  for (const lexeme& word : lexemes)
    if (word.lemma == lemma && word.classes[0] == first_class) return &word;
  return nullptr;
}

// One full read at the default limit, shared by the tests of the suite.
class OpenCorporaFullData : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (DataDir() == nullptr) return;
    summary_ = new choice_summary;
    lexemes_ = new std::vector<lexeme>(ReadOpenCorporaLexemes(DataDir(), BuilderChoice(), *summary_));
  }
  static void TearDownTestSuite() {
    delete summary_;
    delete lexemes_;
    lexemes_ = nullptr;
  }
  void SetUp() override {
    if (lexemes_ == nullptr) GTEST_SKIP() << no_data;
  }

  std::string PartnerOf(const std::string& lemma, const std::string& first_class) const {
    const lexeme* verb = Find(*lexemes_, lemma, first_class);
    return verb == nullptr ? "(not chosen)" : verb->aspect_partner;
  }

  static choice_summary* summary_;
  static std::vector<lexeme>* lexemes_;
};

choice_summary* OpenCorporaFullData::summary_ = nullptr;
std::vector<lexeme>* OpenCorporaFullData::lexemes_ = nullptr;

}  // namespace

TEST_F(OpenCorporaFullData, EveryLexemeIsRead) {
  // The data's 174,756 lexemes, the ordinals cut from their cardinals and
  // the patronymics cut from their first names.
  EXPECT_EQ(summary_->lexemes_read, 190058u);
  EXPECT_EQ(summary_->forms_read, 5094147u);
  // The common words up to the limit, and the names that rank as high.
  const size_t names = summary_->first_names + summary_->patronymics + summary_->places;
  EXPECT_EQ(summary_->chosen, lexeme_choice{}.limit + names);
  EXPECT_EQ(lexemes_->size(), summary_->chosen);
  EXPECT_GT(summary_->first_names, 1000u);
  EXPECT_GT(summary_->patronymics, 100u);
  EXPECT_GT(summary_->places, 1000u);
  EXPECT_LT(names, 5000u);
  EXPECT_GT(summary_->forms.unwanted_kind, 1000u);
  EXPECT_GT(summary_->forms.superlative, 10000u);
  EXPECT_GT(summary_->aspect_pairs, 1000u);
}

TEST_F(OpenCorporaFullData, ArticlesAreWellFormed) {
  std::set<std::pair<std::string, std::vector<std::string>>> seen;
  for (const lexeme& word : *lexemes_) {
    ASSERT_FALSE(word.forms.empty()) << word.lemma;
    EXPECT_EQ(word.forms[0].text, word.lemma);
    EXPECT_FALSE(word.classes.empty()) << word.lemma;
    EXPECT_TRUE(seen.insert({word.lemma, word.classes}).second) << word.lemma;
    std::set<std::string> texts;
    std::set<std::pair<std::string, std::string>> forms;
    for (const word_form& form : word.forms) {
      texts.insert(form.text);
      EXPECT_TRUE(forms.insert({form.text, form.key}).second) << word.lemma << " " << form.text;
    }
    EXPECT_LE(texts.size(), 127u) << word.lemma;
  }
  for (size_t i = 1; i < lexemes_->size(); ++i) ASSERT_GE((*lexemes_)[i - 1].rank, (*lexemes_)[i].rank);
}

TEST_F(OpenCorporaFullData, AdventureAndClosedClassWordsAreChosen) {
  std::set<std::string> chosen;
  for (const lexeme& word : *lexemes_) chosen.insert(Folded(word.lemma));
  std::vector<std::string> words = ReadWordList(Fixture("words.txt"));
  EXPECT_GT(words.size(), 500u);
  for (const std::string& word : words) EXPECT_EQ(chosen.count(Folded(word)), 1u) << word;
  // Every closed-class word is in.
  EXPECT_EQ(summary_->per_class["@местоимение"], 41u);
  EXPECT_EQ(summary_->per_class["@союз"], 185u);
}

TEST_F(OpenCorporaFullData, LampTakeAndTheirPartners) {
  const lexeme* lamp = Find(*lexemes_, "лампа", "@существительное");
  ASSERT_NE(lamp, nullptr);
  EXPECT_EQ(lamp->forms.size(), 13u);
  const std::string perfective = "@совершенный_глагол";
  EXPECT_EQ(PartnerOf("взять", perfective), "брать");
  EXPECT_EQ(PartnerOf("брать", "@несовершенный_глагол"), "взять");
  EXPECT_EQ(PartnerOf("открыть", perfective), "открывать");
  EXPECT_EQ(PartnerOf("закрыть", perfective), "закрывать");
  EXPECT_EQ(PartnerOf("выключить", perfective), "выключать");
  EXPECT_EQ(PartnerOf("отпереть", perfective), "отпирать");
  EXPECT_EQ(PartnerOf("осмотреть", perfective), "осматривать");
  EXPECT_EQ(PartnerOf("положить", perfective), "класть");
}

TEST_F(OpenCorporaFullData, NamesAndPlacesAreNouns) {
  for (const char* lemma : {"вася", "маша", "москва", "иван", "иванович", "петровна", "петербург"})
    EXPECT_NE(Find(*lexemes_, lemma, "@существительное"), nullptr) << lemma;
}

TEST(OpenCorporaExcerpt, TheFixtureComesFromTheData) {
  if (DataDir() == nullptr) GTEST_SKIP() << no_data;
  lexeme_choice choice = BuilderChoice();
  choice.words = ReadWordList(Fixture("words.txt"));
  choice_summary summary;
  std::vector<lexeme> fresh = ReadOpenCorporaLexemes(DataDir(), choice, summary);
  EXPECT_TRUE(summary.words_not_found.empty());
  std::vector<lexeme> kept = ReadExcerpt(Fixture("excerpt.txt"));
  ASSERT_EQ(fresh.size(), kept.size());
  // Compared without the ranks, which follow the usage texts.
  for (std::vector<lexeme>* list : {&fresh, &kept}) {
    for (lexeme& word : *list) word.rank = 0;
    std::stable_sort(list->begin(), list->end(), [](const lexeme& a, const lexeme& b) {
      return std::tie(a.lemma, a.classes) < std::tie(b.lemma, b.classes);
    });
  }
  EXPECT_EQ(FormatExcerpt(fresh), FormatExcerpt(kept));
}
