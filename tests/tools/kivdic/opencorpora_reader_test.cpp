// The whole reading on a small data folder written in the layout of the
// morphology data: lexemes, their forms and keys, what is left out, homonym
// merging, aspect partners, ranking and the two ways of choosing.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "opencorpora_reader.h"
#include "opencorpora_test_data.h"
#include "temporary_folder.h"

using opencorpora_test::data_builder;

namespace {

std::string Noun(const char* rest) { return std::string("NOUN,inan,femn ") + rest; }

// A few words of every kind the reader treats differently.
data_builder SmallData() {
  data_builder data;
  uint16_t lamp = data.Paradigm({{"а", Noun("sing,nomn")}, {"ы", Noun("sing,gent")}, {"е", Noun("sing,datv")},
                                 {"у", Noun("sing,accs")}, {"ой", Noun("sing,ablt")}, {"ою", Noun("sing,ablt,V-oy")},
                                 {"е", Noun("sing,loct")}, {"ы", Noun("plur,nomn")}, {"", Noun("plur,gent")},
                                 {"ам", Noun("plur,datv")}, {"ы", Noun("plur,accs")}, {"ами", Noun("plur,ablt")},
                                 {"ах", Noun("plur,loct")}});
  data.Lexeme(lamp, "ламп");
  data.Lexeme(data.Paradigm({{"ёж", "NOUN,anim,masc sing,nomn"}, {"ежа", "NOUN,anim,masc sing,gent"},
                             {"ежа", "NOUN,anim,masc sing,accs"}}),
              "");
  data.Lexeme(data.Paradigm({{"ёж", "NOUN,inan,masc sing,nomn"}, {"ежа", "NOUN,inan,masc sing,gent"},
                             {"ёж", "NOUN,inan,masc sing,accs"}}),
              "");
  data.Lexeme(data.Paradigm({{"село", "NOUN,inan,neut sing,nomn"}, {"села", "NOUN,inan,neut sing,gent"},
                             {"с", "NOUN,inan,neut,Abbr sing,nomn"}}),
              "");
  data.Lexeme(data.Paradigm({{"бог", "NOUN,anim,masc sing,nomn"}, {"бога", "NOUN,anim,masc sing,gent"},
                             {"боже", "NOUN,anim,masc sing,voct"}}),
              "");
  data.Lexeme(data.Paradigm({{"взять", "INFN,perf,tran"},
                             {"возьму", "VERB,perf,tran sing,1per,futr,indc"},
                             {"взял", "VERB,perf,tran masc,sing,past,indc"},
                             {"взяв", "GRND,perf,tran past"},
                             {"взявши", "GRND,perf,tran past,V-sh"},
                             {"взятый", "PRTF,perf,tran,past,pssv masc,sing,nomn"}}),
              "");
  data.Lexeme(data.Paradigm({{"брать", "INFN,impf,tran"}, {"беру", "VERB,impf,tran sing,1per,pres,indc"}}), "");
  uint16_t open = data.Paradigm({{"ть", "INFN,perf,tran"}, {"л", "VERB,perf,tran masc,sing,past,indc"}});
  uint16_t opening = data.Paradigm({{"вать", "INFN,impf,tran"}, {"ваю", "VERB,impf,tran sing,1per,pres,indc"}});
  for (const char* stem : {"откры", "закры"}) {
    data.Lexeme(open, stem);
    data.Lexeme(opening, stem);
  }
  data.Lexeme(data.Paradigm({{"ный", "ADJF,Qual masc,sing,nomn"},
                             {"ного", "ADJF,Qual anim,masc,sing,accs"},
                             {"ный", "ADJF,Qual inan,masc,sing,accs"},
                             {"ен", "ADJS,Qual masc,sing"},
                             {"нее", "COMP,Qual"},
                             {"нейший", "ADJF,Supr,Qual masc,sing,nomn", "наи"}}),
              "крас");
  data.Lexeme(data.Paradigm({{"ы", "NOUN,inan,GNdr,Pltm plur,nomn"}, {"", "NOUN,inan,GNdr,Pltm plur,gent"}}), "ножниц");
  data.Lexeme(data.Paradigm({{"о", "NOUN,inan,neut,Sgtm sing,nomn"}, {"а", "NOUN,inan,neut,Sgtm sing,gent"}}), "молок");
  data.Lexeme(data.Paradigm({{"два", "NUMR masc,nomn"},
                             {"двух", "NUMR masc,gent"},
                             {"второй", "ADJF,Anum masc,sing,nomn"},
                             {"второго", "ADJF,Anum masc,sing,gent"}}),
              "");
  data.Lexeme(data.Paradigm({{"", "PREP"}}), "в");
  data.Lexeme(data.Paradigm({{"", "NOUN,inan,neut,Fixd sing,nomn"}}), "про");
  // A first name holds its patronymics.
  data.Lexeme(data.Paradigm({{"", "NOUN,anim,masc,Name sing,nomn"},
                             {"а", "NOUN,anim,masc,Name sing,gent"},
                             {"ович", "NOUN,anim,masc,Patr sing,nomn"},
                             {"овича", "NOUN,anim,masc,Patr sing,gent"},
                             {"ыч", "NOUN,anim,masc,Patr,Infr sing,nomn"},
                             {"овна", "NOUN,anim,femn,Patr sing,nomn"},
                             {"овны", "NOUN,anim,femn,Patr sing,gent"}}),
              "иван");
  data.Lexeme(data.Paradigm({{"а", "NOUN,inan,femn,Sgtm,Geox sing,nomn"},
                             {"ы", "NOUN,inan,femn,Sgtm,Geox sing,gent"},
                             {"у", "NOUN,inan,femn,Sgtm,Geox sing,accs"}}),
              "москв");
  data.Lexeme(data.Paradigm({{"", "NOUN,anim,masc,Surn sing,nomn"}}), "петров");
  // Both a common noun and a name.
  data.Lexeme(data.Paradigm({{"а", Noun("sing,nomn")}, {"у", Noun("sing,accs")}}), "вер");
  data.Lexeme(data.Paradigm({{"а", "NOUN,anim,femn,Name sing,nomn"}, {"у", "NOUN,anim,femn,Name sing,accs"}}), "вер");
  data.Lexeme(data.Paradigm({{"я", "NPRO,1per sing,nomn"}, {"меня", "NPRO,1per sing,gent"}}), "");
  data.Lexeme(data.Paradigm({{"", "CONJ"}}), "и");
  data.Lexeme(data.Paradigm({{"ться", "INFN,perf,intr"},
                             {"ться", "INFN,impf,intr"},
                             {"тся", "VERB,perf,intr sing,3per,futr,indc"},
                             {"тся", "VERB,impf,intr sing,3per,pres,indc"}}),
              "жени");
  data.Probability("лампы", Noun("sing,gent"), 750000);
  data.Probability("лампы", Noun("plur,nomn"), 250000);
  return data;
}

std::string WriteFile(const std::string& name, const std::string& text) {
  std::string path = (ProcessFolder().Path() / name).string();
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

lexeme_choice Choice(std::vector<std::string> words) {
  lexeme_choice choice;
  choice.words = std::move(words);
  choice.usage.clear();
  choice.aspect_pairs_path = WriteFile("pairs.txt", "# by hand\nвзять брать\n");
  return choice;
}

const lexeme& Find(const std::vector<lexeme>& lexemes, const std::string& lemma) {
  auto found = std::find_if(lexemes.begin(), lexemes.end(), [&](const lexeme& l) { return l.lemma == lemma; });
  if (found == lexemes.end()) throw std::runtime_error("no lexeme " + lemma);
  return *found;
}

std::vector<std::string> Texts(const lexeme& word) {
  std::vector<std::string> texts;
  for (const word_form& form : word.forms) texts.push_back(form.text + " " + form.key);
  return texts;
}

std::vector<std::string> Lemmas(const std::vector<lexeme>& lexemes) {
  std::vector<std::string> lemmas;
  for (const lexeme& word : lexemes) lemmas.push_back(word.lemma);
  return lemmas;
}

class OpenCorporaReader : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { dir_ = new std::string(SmallData().WriteTo(ProcessFolder().Path() / "small_data")); }
  static void TearDownTestSuite() { delete dir_; }

  std::vector<lexeme> Read(const lexeme_choice& choice) { return ReadOpenCorporaLexemes(*dir_, choice, summary_); }

  static std::string* dir_;
  choice_summary summary_;
};

std::string* OpenCorporaReader::dir_ = nullptr;

}  // namespace

TEST_F(OpenCorporaReader, EveryLexemeAndFormIsRead) {
  opencorpora_source source = ReadOpenCorporaSource(*dir_);
  // 25 lexemes of the data, второй cut from два, иванович and ивановна from
  // иван.
  EXPECT_EQ(source.lexemes.size(), 28u);
  Read(Choice({"лампа"}));
  EXPECT_EQ(summary_.lexemes_read, 28u);
  EXPECT_EQ(summary_.forms_read, 79u);
  EXPECT_EQ(summary_.left_out.prepositions, 2u);  // в, and про spelled like one
  EXPECT_EQ(summary_.left_out.unwanted_kind, 1u);  // петров
  EXPECT_EQ(summary_.left_out.merged, 2u);         // ёж, вера
  EXPECT_EQ(summary_.candidates, 23u);
}

TEST_F(OpenCorporaReader, NounFormsWithKeys) {
  std::vector<lexeme> lexemes = Read(Choice({"лампа"}));
  ASSERT_EQ(lexemes.size(), 1u);
  const lexeme& lamp = lexemes[0];
  EXPECT_EQ(lamp.classes, std::vector<std::string>{"@существительное"});
  EXPECT_EQ(lamp.own_key, "ЖрНд");
  EXPECT_EQ(lamp.default_key, "");
  EXPECT_EQ(Texts(lamp), (std::vector<std::string>{"лампа ИпЕч", "лампы РпЕч", "лампе ДпЕч", "лампу ВпЕч",
                                                   "лампой ТпЕч", "лампою ТпЕчУс", "лампе ПпЕч", "лампы ИпМч",
                                                   "ламп РпМч", "лампам ДпМч", "лампы ВпМч", "лампами ТпМч",
                                                   "лампах ПпМч"}));
  EXPECT_EQ(summary_.forms.kept, 13u);
}

TEST_F(OpenCorporaReader, HomonymsOfOneClassMerge) {
  std::vector<lexeme> lexemes = Read(Choice({"ёж"}));
  const lexeme& hedgehog = Find(lexemes, "ёж");
  EXPECT_EQ(hedgehog.own_key, "Мр");  // animate and inanimate disagree
  // One text per key: the inanimate accusative is a variant of the animate.
  EXPECT_EQ(Texts(hedgehog), (std::vector<std::string>{"ёж ИпЕч", "ежа РпЕч", "ежа ВпЕч", "ёж ВпЕчУс"}));
  EXPECT_EQ(summary_.chosen, 1u);
}

TEST_F(OpenCorporaReader, AbbreviationVocativeAndSuperlativeFormsAreLeftOut) {
  std::vector<lexeme> lexemes = Read(Choice({"село", "бог", "красный"}));
  EXPECT_EQ(Texts(Find(lexemes, "село")), (std::vector<std::string>{"село ИпЕч", "села РпЕч"}));
  EXPECT_EQ(Texts(Find(lexemes, "бог")), (std::vector<std::string>{"бог ИпЕч", "бога РпЕч"}));
  EXPECT_EQ(Texts(Find(lexemes, "красный")),
            (std::vector<std::string>{"красный ИпЕчМрЛф", "красного ВпЕчМрОдЛф", "красный ВпЕчМрНдЛф", "красен ЕчМрКф",
                                      "краснее Сф"}));
  EXPECT_EQ(summary_.forms.unwanted_kind, 1u);
  EXPECT_EQ(summary_.forms.vocative, 1u);
  EXPECT_EQ(summary_.forms.superlative, 1u);
}

TEST_F(OpenCorporaReader, PrepositionsAreNotWords) {
  std::vector<lexeme> lexemes = Read(Choice({"в", "про", "лампа"}));
  EXPECT_EQ(Lemmas(lexemes), std::vector<std::string>{"лампа"});
  EXPECT_EQ(summary_.words_not_found, (std::vector<std::string>{"в", "про"}));
}

TEST_F(OpenCorporaReader, FirstNamesPatronymicsAndPlacesAreNouns) {
  std::vector<lexeme> lexemes = Read(Choice({"иван", "иванович", "ивановна", "москва", "вера"}));
  const std::vector<std::string> noun{"@существительное"};
  // The patronymics are words of their own, a masculine and a feminine.
  const lexeme& ivan = Find(lexemes, "иван");
  EXPECT_EQ(ivan.classes, noun);
  EXPECT_EQ(ivan.own_key, "МрОд");
  EXPECT_EQ(Texts(ivan), (std::vector<std::string>{"иван ИпЕч", "ивана РпЕч"}));
  const lexeme& son_of_ivan = Find(lexemes, "иванович");
  EXPECT_EQ(son_of_ivan.classes, noun);
  EXPECT_EQ(son_of_ivan.own_key, "МрОд");
  EXPECT_EQ(Texts(son_of_ivan), (std::vector<std::string>{"иванович ИпЕч", "ивановича РпЕч", "иваныч ИпЕчУс"}));
  EXPECT_EQ(Find(lexemes, "ивановна").own_key, "ЖрОд");
  EXPECT_EQ(Texts(Find(lexemes, "ивановна")), (std::vector<std::string>{"ивановна ИпЕч", "ивановны РпЕч"}));
  const lexeme& moscow = Find(lexemes, "москва");
  EXPECT_EQ(moscow.own_key, "ЖрНд");
  EXPECT_EQ(moscow.default_key, "Еч");
  EXPECT_EQ(Texts(moscow), (std::vector<std::string>{"москва ИпЕч", "москвы РпЕч", "москву ВпЕч"}));
  // A name and a common noun of one lemma are one word, a common one.
  const lexeme& faith = Find(lexemes, "вера");
  EXPECT_EQ(faith.own_key, "Жр");
  EXPECT_EQ(Texts(faith), (std::vector<std::string>{"вера ИпЕч", "веру ВпЕч"}));
  EXPECT_EQ(lexemes.size(), 5u);
  EXPECT_EQ(summary_.first_names, 1u);
  EXPECT_EQ(summary_.patronymics, 2u);
  EXPECT_EQ(summary_.places, 1u);
  EXPECT_TRUE(summary_.words_not_found.empty());
}

TEST_F(OpenCorporaReader, DefaultKeysOfOneNumberNouns) {
  std::vector<lexeme> lexemes = Read(Choice({"ножницы", "молоко"}));
  EXPECT_EQ(Find(lexemes, "ножницы").default_key, "Мч");
  EXPECT_EQ(Find(lexemes, "ножницы").own_key, "Нд");
  EXPECT_EQ(Find(lexemes, "молоко").default_key, "Еч");
}

TEST_F(OpenCorporaReader, OrdinalIsAWordApartFromItsCardinal) {
  std::vector<lexeme> lexemes = Read(Choice({"два", "второй"}));
  EXPECT_EQ(Texts(Find(lexemes, "два")), (std::vector<std::string>{"два ИпМр", "двух РпМр"}));
  EXPECT_EQ(Find(lexemes, "два").classes, std::vector<std::string>{"@числительное"});
  const lexeme& second = Find(lexemes, "второй");
  EXPECT_EQ(second.classes, std::vector<std::string>{"@прилагательное"});
  EXPECT_EQ(Texts(second), (std::vector<std::string>{"второй ИпЕчМрЛф", "второго РпЕчМрЛф"}));
}

TEST_F(OpenCorporaReader, VerbsTheirKeysAndPartners) {
  std::vector<lexeme> lexemes = Read(Choice({"взять", "брать", "открыть", "открывать", "закрыть", "закрывать", "жениться"}));
  const lexeme& take = Find(lexemes, "взять");
  EXPECT_EQ(take.classes, std::vector<std::string>{"@совершенный_глагол"});
  EXPECT_EQ(take.own_key, "Сш");
  EXPECT_EQ(Texts(take), (std::vector<std::string>{"взять ИвПф", "возьму Еч1лНвБтПф", "взял ЕчМрНвПтПф", "взяв ДвПт",
                                                   "взявши ДвПтУс", "взятый ИпЕчМрЧвПтСзЛф"}));
  EXPECT_EQ(take.aspect_partner, "брать");
  EXPECT_EQ(Find(lexemes, "брать").aspect_partner, "взять");
  EXPECT_EQ(Find(lexemes, "брать").own_key, "Нш");
  EXPECT_EQ(Find(lexemes, "открыть").aspect_partner, "открывать");
  EXPECT_EQ(Find(lexemes, "закрывать").aspect_partner, "закрыть");
  EXPECT_EQ(summary_.aspect_pairs, 3u);
  const lexeme& marry = Find(lexemes, "жениться");
  EXPECT_EQ(marry.classes, (std::vector<std::string>{"@совершенный_глагол", "@несовершенный_глагол"}));
  EXPECT_EQ(marry.own_key, "Вз");
  EXPECT_EQ(marry.aspect_partner, "");
  EXPECT_EQ(Texts(marry), (std::vector<std::string>{"жениться ИвПф", "женится Еч3лНвБтПф", "женится Еч3лНвНтПф"}));
  EXPECT_EQ(summary_.per_class["@совершенный_глагол"], 4u);
  EXPECT_EQ(summary_.per_class["@несовершенный_глагол"], 4u);
}

TEST_F(OpenCorporaReader, PartnersOnlyAmongTheChosen) {
  std::vector<lexeme> lexemes = Read(Choice({"взять", "открыть"}));
  EXPECT_EQ(Find(lexemes, "взять").aspect_partner, "");
  EXPECT_EQ(Find(lexemes, "открыть").aspect_partner, "");
  EXPECT_EQ(summary_.aspect_pairs, 0u);
}

TEST_F(OpenCorporaReader, LimitKeepsClosedClassesThenTheMostUsed) {
  lexeme_choice choice = Choice({});
  choice.limit = 6;
  choice.usage = {{WriteFile("usage.txt", "Закрыть! ЗАКРЫЛ, закрыл... Лампа, ёж; красный-красный."), "test-texts", false},
                  {WriteFile("lexicon.dic", "3\nзакрыть/AB\nножницы\n"), "test-lexicon", true}};
  std::vector<lexeme> lexemes = Read(choice);
  ASSERT_EQ(lexemes.size(), 6u);
  EXPECT_EQ(summary_.chosen, 6u);
  for (size_t i = 1; i < lexemes.size(); ++i) EXPECT_GE(lexemes[i - 1].rank, lexemes[i].rank) << i;
  // The closed classes: я, и, два; then the words in use.
  std::vector<std::string> lemmas = Lemmas(lexemes);
  std::sort(lemmas.begin(), lemmas.begin() + 3);
  EXPECT_EQ(lemmas, (std::vector<std::string>{"два", "и", "я", "закрыть", "лампа", "ёж"}));
}

TEST_F(OpenCorporaReader, NamesJoinTheWordsWhenTheyRankAsHigh) {
  lexeme_choice choice = Choice({});
  choice.limit = 6;
  // The sixth word, ёж, ranks ln 2 - 0.2; иван ln 3 - 0.4 and москва ln 4 - 0.6
  // rank higher, иванович and ивановна, never met, lower.
  choice.usage = {{WriteFile("usage.txt", "Закрыть! ЗАКРЫЛ, закрыл... Лампа, ёж; красный-красный. "
                                          "Иван, Ивана, Москва, Москвы, Москву."),
                   "test-texts", false},
                  {WriteFile("lexicon.dic", "3\nзакрыть/AB\nножницы\n"), "test-lexicon", true}};
  std::vector<lexeme> lexemes = Read(choice);
  std::vector<std::string> lemmas = Lemmas(lexemes);
  std::sort(lemmas.begin(), lemmas.end());
  EXPECT_EQ(lemmas, (std::vector<std::string>{"два", "закрыть", "и", "иван", "лампа", "москва", "я", "ёж"}));
  EXPECT_EQ(summary_.chosen, 8u);
  EXPECT_EQ(summary_.first_names, 1u);
  EXPECT_EQ(summary_.patronymics, 0u);
  EXPECT_EQ(summary_.places, 1u);
  for (size_t i = 1; i < lexemes.size(); ++i) EXPECT_GE(lexemes[i - 1].rank, lexemes[i].rank) << i;
}

TEST_F(OpenCorporaReader, CorpusCountsRaiseTheRank) {
  std::vector<lexeme> lexemes = Read(Choice({"лампа", "ножницы"}));
  // The same length; лампа has two corpus uses: ln 3 more.
  EXPECT_NEAR(Find(lexemes, "лампа").rank - Find(lexemes, "ножницы").rank, std::log(3.0) + 0.2, 1e-9);
  EXPECT_EQ(lexemes.front().lemma, "лампа");
}

TEST_F(OpenCorporaReader, MissingOrDamagedFilesAreReported) {
  lexeme_choice choice = Choice({"лампа"});
  choice.usage = {{"/nonexistent/texts", "fortunes-xx", false}};
  try {
    Read(choice);
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("fortunes-xx"), std::string::npos);
  }
  std::string copy = (ProcessFolder().Path() / "damaged_data").string();
  std::filesystem::remove_all(copy);
  std::filesystem::copy(*dir_, copy);
  std::filesystem::remove(copy + "/suffixes.json");
  EXPECT_THROW(ReadOpenCorporaLexemes(copy, Choice({"лампа"}), summary_), std::runtime_error);
  std::filesystem::copy_file(*dir_ + "/suffixes.json", copy + "/suffixes.json");
  // A key whose form does not end in its cell's suffix.
  std::ofstream(copy + "/words.dawg", std::ios::binary)
      << opencorpora_test::dawg_builder({{opencorpora_test::WordKey("лампа", 0, 1), 0}}).Bytes();
  EXPECT_THROW(ReadOpenCorporaLexemes(copy, Choice({"лампа"}), summary_), std::runtime_error);
  std::ofstream(copy + "/words.dawg", std::ios::binary)
      << opencorpora_test::dawg_builder({{opencorpora_test::WordKey("лампа", 500, 0), 0}}).Bytes();
  EXPECT_THROW(ReadOpenCorporaLexemes(copy, Choice({"лампа"}), summary_), std::runtime_error);
}
