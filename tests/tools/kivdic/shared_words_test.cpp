// A noun and a word of another class with one lemma declare one word: the
// noun's gender and animacy must not become that word's own keys.

#include "shared_words.h"

#include <gtest/gtest.h>

#include <set>

#include "dictionary_writer.h"
#include "kiv_dic_reader.h"
#include "opencorpora_tags.h"

namespace {

lexeme make_lexeme(std::string lemma, std::string word_class, std::string own_key, std::vector<word_form> forms) {
  lexeme word;
  word.lemma = std::move(lemma);
  word.classes = {std::move(word_class)};
  word.own_key = std::move(own_key);
  word.forms = std::move(forms);
  return word;
}

// «красный», a Red: an animate masculine noun of adjectival declension.
lexeme red_noun() {
  return make_lexeme("красный", "@существительное", "МрОд",
                     {{"красный", "ИпЕч"}, {"красного", "РпЕч"}, {"красного", "ВпЕч"}, {"красные", "ИпМч"},
                      {"красных", "ВпМч"}, {"красною", "ТпЕчУс"}});
}

lexeme red_adjective() {
  return make_lexeme("красный", "@прилагательное", "",
                     {{"красный", "ИпЕчМрЛф"}, {"красного", "ВпЕчМрОдЛф"}, {"красная", "ИпЕчЖрЛф"},
                      {"красную", "ВпЕчЖрЛф"}, {"красен", "ЕчМрКф"}});
}

lexeme lamp() {
  return make_lexeme("лампа", "@существительное", "ЖрНд", {{"лампа", "ИпЕч"}, {"лампу", "ВпЕч"}});
}

TEST(shared_words, KeyPairsGoInTheirPlaceAndHeldLettersStay) {
  EXPECT_EQ(WithKeyPairs("ИпЕч", "МрОд"), "ИпЕчМрОд");
  EXPECT_EQ(WithKeyPairs("ТпЕчУс", "МрОд"), "ТпЕчМрОдУс");
  EXPECT_EQ(WithKeyPairs("ИпЕчЖр", "МрОд"), "ИпЕчЖрОд");
  EXPECT_EQ(WithKeyPairs("ВпЕчНд", "МрОд"), "ВпЕчМрНд");
  EXPECT_EQ(WithKeyPairs("", "Нш"), "Нш");
  EXPECT_EQ(WithKeyPairs("ИпЕч", ""), "ИпЕч");
  EXPECT_EQ(WithKeyPairs("ИпЕчЛф", "Эа"), "ИпЕчЛфЭа");  // a letter of no table comes last
}

TEST(shared_words, OnlyNounsWhoseWordAnotherClassDeclaresAreMarked) {
  lexeme yo_adjective = make_lexeme("учёный", "@прилагательное", "", {{"учёный", "ИпЕчМрЛф"}});
  lexeme noun_without_yo = make_lexeme("ученый", "@существительное", "МрОд", {{"ученый", "ИпЕч"}});
  lexeme stove = make_lexeme("печь", "@существительное", "ЖрНд", {{"печь", "ИпЕч"}});
  lexeme bake = make_lexeme("печь", "@несовершенный_глагол", "Нш", {{"печь", "ИвПф"}});
  std::vector<lexeme> words{red_noun(), red_adjective(), lamp(), yo_adjective, noun_without_yo, stove, bake};
  EXPECT_EQ(NounsSharingTheirWord(words), (std::vector<bool>{true, false, false, false, true, true, false}));
  // Two nouns of one lemma do not count: their articles agree on the keys.
  std::vector<lexeme> nouns{lamp(), lamp()};
  EXPECT_EQ(NounsSharingTheirWord(nouns), (std::vector<bool>{false, false}));
}

TEST(shared_words, NounKeysMoveOntoEveryKeyedForm) {
  lexeme noun = red_noun();
  noun.forms.push_back({"красная", "ИпЕчЖр"});
  noun.forms.push_back({"красн", ""});
  lexeme moved = WithOwnKeysOnForms(noun);
  EXPECT_EQ(moved.own_key, "");
  std::vector<std::string> keys;
  for (const word_form& form : moved.forms) keys.push_back(form.key);
  EXPECT_EQ(keys, (std::vector<std::string>{"ИпЕчМрОд", "РпЕчМрОд", "ВпЕчМрОд", "ИпМчМрОд", "ВпМчМрОд",
                                            "ТпЕчМрОдУс", "ИпЕчЖрОд", ""}));
  EXPECT_EQ(moved.lemma, noun.lemma);
  EXPECT_EQ(moved.classes, noun.classes);
}

TEST(shared_words, WrittenArticlesOfAHomonymCarryNoSharedOwnKey) {
  std::vector<lexeme> words{red_adjective(), red_noun(), lamp()};
  words[0].rank = 3;
  words[1].rank = 2;
  words[2].rank = 1;
  dictionary_build build = BuildDictionary(words, {}, ending_tables::Standard());
  kiv_dic_reader reader(build.image);

  std::set<uint16_t> taken;
  std::optional<uint16_t> adjective = reader.Find("красная", taken);
  std::optional<uint16_t> noun = reader.Find("красный", taken);
  ASSERT_TRUE(adjective && noun);
  ASSERT_NE(*adjective, *noun);
  std::string adjective_text = reader.Texts(*adjective).main;
  std::string noun_text = reader.Texts(*noun).main;
  EXPECT_EQ(adjective_text.find("key="), std::string::npos) << adjective_text;
  EXPECT_EQ(noun_text,
            "$красный {\n@существительное\n#ИпЕчМрОд = \"красный\"\n#РпЕчМрОд = \"красного\"\n"
            "#ВпЕчМрОд = \"красного\"\n#ИпМчМрОд = \"красные\"\n#ВпМчМрОд = \"красных\"\n"
            "#ТпЕчМрОдУс = \"красною\"\n}");
  EXPECT_NE(adjective_text.find("#ВпЕчЖрЛф = \"красную\""), std::string::npos) << adjective_text;

  // A noun alone keeps its own keys on the word.
  std::string lamp_text = reader.Texts(*reader.Find("лампа")).main;
  EXPECT_EQ(lamp_text, "$лампа {\n@существительное\nkey=#ЖрНд\n#ИпЕч = \"лампа\"\n#ВпЕч = \"лампу\"\n}");
  EXPECT_EQ(build.report.coverage.resolved, build.report.coverage.lookups);
}

}  // namespace
