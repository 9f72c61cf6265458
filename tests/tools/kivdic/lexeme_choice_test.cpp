// The parts of choosing that work on lexemes in memory: cutting an article
// to the texts it can bind, aspect partners, usage evidence and word lists.

#include <gtest/gtest.h>

#include <stdexcept>

#include "aspect_pairs.h"
#include "dictionary_text.h"
#include "lexeme_choice.h"
#include "lexeme_forms.h"
#include "lexeme_usage.h"

namespace {

std::vector<std::string> TextsOf(const std::vector<word_form>& forms) {
  std::vector<std::string> texts;
  for (const word_form& form : forms) texts.push_back(form.text);
  return texts;
}

lexeme Verb(const std::string& lemma, const char* verb_class) {
  lexeme verb;
  verb.lemma = lemma;
  verb.classes = {verb_class};
  verb.forms = {{lemma, "ИвПф"}};
  return verb;
}

lexeme Perfective(const std::string& lemma) { return Verb(lemma, "@совершенный_глагол"); }
lexeme Imperfective(const std::string& lemma) { return Verb(lemma, "@несовершенный_глагол"); }

}  // namespace

TEST(LexemeCut, LowestPriorityTextsGoFirst) {
  std::vector<word_form> forms = {{"а", "1"}, {"б", "2"}, {"в", "3"}, {"г", "4"}, {"б", "5"}, {"д", "6"}};
  std::vector<int> priorities = {0, 2, 1, 0, 0, 1};
  std::vector<word_form> cut = forms;
  EXPECT_EQ(CutToTextLimit(cut, priorities, 5), 0u);
  EXPECT_EQ(cut.size(), forms.size());
  // "д" and "в" have priority 1, the later goes first; "б" stays for its form of priority 0.
  EXPECT_EQ(CutToTextLimit(cut, priorities, 4), 1u);
  EXPECT_EQ(TextsOf(cut), (std::vector<std::string>{"а", "б", "в", "г", "б"}));
  cut = forms;
  EXPECT_EQ(CutToTextLimit(cut, priorities, 3), 2u);
  EXPECT_EQ(TextsOf(cut), (std::vector<std::string>{"а", "б", "г", "б"}));
  // Past what priorities allow, the texts met last go, but never the lemma's.
  cut = forms;
  EXPECT_EQ(CutToTextLimit(cut, priorities, 1), 5u);
  EXPECT_EQ(TextsOf(cut), std::vector<std::string>{"а"});
  std::vector<word_form> one_text = {{"а", "1"}, {"а", "2"}};
  EXPECT_EQ(CutToTextLimit(one_text, {1, 1}, 1), 0u);
}

TEST(AspectPairs, DerivedImperfectives) {
  auto derives = [](const std::string& perfective, const std::string& imperfective) {
    std::vector<std::string> derived = DerivedImperfectives(perfective);
    return std::find(derived.begin(), derived.end(), imperfective) != derived.end();
  };
  EXPECT_TRUE(derives("открыть", "открывать"));
  EXPECT_TRUE(derives("закрыться", "закрываться"));
  EXPECT_TRUE(derives("включить", "включать"));
  EXPECT_TRUE(derives("проверить", "проверять"));
  EXPECT_TRUE(derives("убить", "убивать"));
  EXPECT_TRUE(derives("показать", "показывать"));
  EXPECT_TRUE(derives("надеть", "надевать"));
  EXPECT_TRUE(derives("отпереть", "отпирать"));
  EXPECT_TRUE(derives("отдать", "отдавать"));
  EXPECT_TRUE(derives("узнать", "узнавать"));
  EXPECT_TRUE(derives("встать", "вставать"));
  EXPECT_TRUE(derives("осмотреть", "осматривать"));
  EXPECT_TRUE(derives("заработать", "зарабатывать"));
  EXPECT_TRUE(derives("закончить", "заканчивать"));
  EXPECT_TRUE(derives("устроить", "устраивать"));
  EXPECT_FALSE(derives("купить", "купать"));    // only after ж, ш, ч, щ
  EXPECT_FALSE(derives("надрать", "надрывать"));  // a root without a vowel
  EXPECT_FALSE(derives("решить", "решять"));
  EXPECT_TRUE(DerivedImperfectives("быть").size() == 1);
  EXPECT_TRUE(DerivedImperfectives("идти").empty());
}

TEST(AspectPairs, HandPairsThenUnambiguousDerivedOnes) {
  std::vector<lexeme> verbs = {Perfective("взять"),      Imperfective("брать"),  Perfective("открыть"),
                               Imperfective("открывать"), Perfective("выжать"),  Perfective("выжить"),
                               Imperfective("выживать"),  Perfective("забыть"),  Imperfective("ловить"),
                               Perfective("почитать"),    Imperfective("почитывать"), Imperfective("читать")};
  lexeme both = Verb("жениться", "@совершенный_глагол");
  both.classes.push_back("@несовершенный_глагол");
  verbs.push_back(both);  // verbs[12]
  EXPECT_EQ(PairAspects(verbs, {{"взять", "брать"}, {"поймать", "ловить"}, {"жениться", "жениться"}}), 2u);
  EXPECT_EQ(verbs[0].aspect_partner, "брать");
  EXPECT_EQ(verbs[1].aspect_partner, "взять");
  EXPECT_EQ(verbs[2].aspect_partner, "открывать");
  EXPECT_EQ(verbs[3].aspect_partner, "открыть");
  // выжать and выжить both derive выживать: no pair is made.
  EXPECT_EQ(verbs[4].aspect_partner, "");
  EXPECT_EQ(verbs[5].aspect_partner, "");
  EXPECT_EQ(verbs[6].aspect_partner, "");
  EXPECT_EQ(verbs[7].aspect_partner, "");  // забывать is not there
  EXPECT_EQ(verbs[8].aspect_partner, "");
  EXPECT_EQ(verbs[9].aspect_partner, "");  // по- on читать: a short while, no partner
  EXPECT_EQ(verbs[10].aspect_partner, "");
  EXPECT_EQ(verbs[11].aspect_partner, "");
  EXPECT_EQ(verbs[12].aspect_partner, "");
}

TEST(AspectPairs, HandListFormat) {
  std::vector<aspect_pair> pairs = ParseAspectPairs("# comment\n\nвзять брать  # a pair\n  лечь\tложиться\n", "pairs");
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[1].perfective, "лечь");
  EXPECT_EQ(pairs[1].imperfective, "ложиться");
  try {
    ParseAspectPairs("взять брать\nсесть\n", "pairs.txt");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("pairs.txt, line 2"), std::string::npos);
  }
  EXPECT_THROW(ParseAspectPairs("a b c\n", "pairs"), std::runtime_error);
  EXPECT_THROW(ReadAspectPairsFile("/nonexistent/pairs.txt"), std::runtime_error);
}

TEST(AspectPairs, TheHandListOfTheBuilderIsWellFormed) {
  std::vector<aspect_pair> pairs = ReadAspectPairsFile(KIVDIC_SPECIAL_DIR "/../aspect_pairs.txt");
  EXPECT_GT(pairs.size(), 50u);
  for (const aspect_pair& pair : pairs) EXPECT_NE(pair.perfective, pair.imperfective);
}

TEST(UsageEvidence, TextWordsAreCountedFolded) {
  usage_evidence evidence;
  AddText(evidence, "Ёжик увидел ёжика. ЕЖИК! Кто-то — what? Ключ,ключ");
  EXPECT_EQ(evidence.uses.at(ToCp1251("ежик")), 2);
  EXPECT_EQ(evidence.uses.at(ToCp1251("ежика")), 1);
  EXPECT_EQ(evidence.uses.at(ToCp1251("кто-то")), 1);
  EXPECT_EQ(evidence.uses.at(ToCp1251("ключ")), 2);
  EXPECT_EQ(evidence.uses.count("what"), 0u);
  EXPECT_EQ(evidence.uses.size(), 5u);
  AddText(evidence, "-а- б-");
  EXPECT_EQ(evidence.uses.count(ToCp1251("а")), 1u);
  EXPECT_EQ(evidence.uses.count(ToCp1251("б")), 1u);
}

TEST(UsageEvidence, LexiconLines) {
  usage_evidence evidence;
  AddLexicon(evidence, "146269\nёлка/AB\r\nМосква/S\nhello\nкто-то\n\nдом");
  EXPECT_EQ(evidence.lexicon.size(), 4u);
  EXPECT_EQ(evidence.lexicon.count(ToCp1251("елка")), 1u);
  EXPECT_EQ(evidence.lexicon.count(ToCp1251("москва")), 1u);
  EXPECT_EQ(evidence.lexicon.count(ToCp1251("дом")), 1u);
  EXPECT_EQ(FoldYo(ToCp1251("ёЁе")), ToCp1251("еЁе"));
}

TEST(UsageEvidence, MissingSourceNamesItsPackage) {
  try {
    ReadUsageEvidence({{"/nonexistent/file", "some-package", true}});
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("some-package"), std::string::npos);
  }
  std::vector<usage_source> debian = DebianUsageSources();
  ASSERT_EQ(debian.size(), 3u);
  EXPECT_EQ(debian[0].package, "fortunes-ru");
}

TEST(WordList, OneLemmaALine) {
  EXPECT_EQ(ParseWordList("# adventure\nлампа\n  ключ  # a comment\n\r\nёж\r\n"),
            (std::vector<std::string>{"лампа", "ключ", "ёж"}));
  EXPECT_THROW(ReadWordList("/nonexistent/words.txt"), std::runtime_error);
}
