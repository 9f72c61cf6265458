// The excerpt text format, and the excerpt of the real data kept as a test
// fixture.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "excerpt.h"
#include "lexeme_choice.h"
#include "temporary_folder.h"

namespace {

lexeme Sample() {
  lexeme lamp;
  lamp.lemma = "лампа";
  lamp.classes = {"@существительное"};
  lamp.own_key = "ЖрНд";
  lamp.forms = {{"лампа", "ИпЕч"}, {"лампою", "ТпЕчУс"}};
  lamp.rank = 3.0123456789012345;
  return lamp;
}

const lexeme* FindIn(const std::vector<lexeme>& lexemes, const std::string& lemma, const std::string& first_class) {
  for (const lexeme& word : lexemes)
    if (word.lemma == lemma && !word.classes.empty() && word.classes[0] == first_class) return &word;
  return nullptr;
}

bool HasForm(const lexeme& word, const std::string& text, const std::string& key) {
  return std::any_of(word.forms.begin(), word.forms.end(),
                     [&](const word_form& form) { return form.text == text && form.key == key; });
}

void ExpectSame(const lexeme& a, const lexeme& b) {
  EXPECT_EQ(a.lemma, b.lemma);
  EXPECT_EQ(a.classes, b.classes);
  EXPECT_EQ(a.own_key, b.own_key);
  EXPECT_EQ(a.default_key, b.default_key);
  EXPECT_EQ(a.aspect_partner, b.aspect_partner);
  EXPECT_EQ(a.rank, b.rank);
  ASSERT_EQ(a.forms.size(), b.forms.size());
  for (size_t i = 0; i < a.forms.size(); ++i) {
    EXPECT_EQ(a.forms[i].text, b.forms[i].text);
    EXPECT_EQ(a.forms[i].key, b.forms[i].key);
  }
}

std::string Fixture(const char* name) { return std::string(KIVDIC_TEST_DATA) + "/" + name; }

}  // namespace

TEST(Excerpt, RoundTrip) {
  lexeme verb;
  verb.lemma = "взять";
  verb.classes = {"@совершенный_глагол", "@несовершенный_глагол"};
  verb.own_key = "Сш";
  verb.aspect_partner = "брать";
  verb.rank = -0.1;
  verb.forms = {{"взять", "ИвПф"}, {"возьму", "Еч1лНвБтПф"}};
  lexeme conjunction;
  conjunction.lemma = "и";
  conjunction.classes = {"@союз"};
  conjunction.forms = {{"и", ""}};
  conjunction.rank = 1000;
  lexeme scissors = Sample();
  scissors.lemma = "ножницы";
  scissors.default_key = "Мч";
  scissors.forms = {{"ножницы", "ИпМч"}};
  std::vector<lexeme> lexemes = {Sample(), verb, conjunction, scissors};
  std::string path = (ProcessFolder().Path() / "excerpt.txt").string();
  WriteExcerpt(path, lexemes);
  std::vector<lexeme> back = ReadExcerpt(path);
  ASSERT_EQ(back.size(), lexemes.size());
  for (size_t i = 0; i < lexemes.size(); ++i) ExpectSame(back[i], lexemes[i]);
  EXPECT_TRUE(ParseExcerpt("", "empty").empty());
  lexeme plain = Sample();
  plain.rank = 2.5;
  EXPECT_EQ(FormatExcerpt({plain}), "лампа\t@существительное\tЖрНд\t\t\t2.5\nлампа\tИпЕч\nлампою\tТпЕчУс\n");
}

TEST(Excerpt, CommentsBlankLinesAndLineEnds) {
  std::vector<lexeme> lexemes = ParseExcerpt("# credit\n\n\nлампа\t@существительное\tЖрНд\t\t\t1\r\nлампа\tИпЕч\r\n# note\nлампы\tРпЕч\n\n\n", "t");
  ASSERT_EQ(lexemes.size(), 1u);
  EXPECT_EQ(lexemes[0].forms.size(), 2u);
  EXPECT_EQ(lexemes[0].forms[1].key, "РпЕч");
}

TEST(Excerpt, MalformedBlocksAreRefused) {
  const char* bad[] = {
      "лампа\t@существительное\tЖрНд\t\t1\nлампа\tИпЕч\n",             // five header fields
      "\t@существительное\t\t\t\t1\nлампа\tИпЕч\n",                     // no lemma
      "лампа\t@существительное\t\t\t\tmany\nлампа\tИпЕч\n",             // rank
      "лампа\t@существительное\t\t\t\t1x\nлампа\tИпЕч\n",               // rank
      "лампа\t@существительное\t\t\t\t1\n",                             // no forms
      "лампа\t@существительное\t\t\t\t1\n\nлампа\tИпЕч\n",              // no forms, then a bad header
      "лампа\t@существительное\t\t\t\t1\nлампы\tРпЕч\n",                // first form is not the lemma
      "лампа\t@существительное\t\t\t\t1\nлампа\tИпЕч\tx\n",             // three form fields
      "лампа\t@существительное\t\t\t\t1\nлампа\n",                      // one form field
      "лампа\t@существительное\t\t\t\t1\n\tИпЕч\n",                     // empty form
  };
  for (const char* text : bad) EXPECT_THROW(ParseExcerpt(text, "t"), std::runtime_error) << text;
  try {
    ParseExcerpt("# c\nлампа\t@существительное\t\t\t\t1\nлампы\tРпЕч\n", "excerpt.txt");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("excerpt.txt, line 3"), std::string::npos) << e.what();
  }
  EXPECT_THROW(ReadExcerpt("/nonexistent/excerpt.txt"), std::runtime_error);
  EXPECT_THROW(WriteExcerpt("/nonexistent/dir/excerpt.txt", {Sample()}), std::runtime_error);
}

TEST(ExcerptFixture, HoldsTheWordsTheTestsNeed) {
  std::vector<lexeme> lexemes = ReadExcerpt(Fixture("excerpt.txt"));
  for (const std::string& word : ReadWordList(Fixture("words.txt"))) {
    bool found = std::any_of(lexemes.begin(), lexemes.end(), [&](const lexeme& l) {
      return l.lemma == word || (word == "ведро" && l.lemma == "вёдро");
    });
    EXPECT_TRUE(found) << word;
  }
  for (size_t i = 1; i < lexemes.size(); ++i) EXPECT_GE(lexemes[i - 1].rank, lexemes[i].rank) << lexemes[i].lemma;
}

TEST(ExcerptFixture, LexemesOfTheRealData) {
  std::vector<lexeme> lexemes = ReadExcerpt(Fixture("excerpt.txt"));
  const lexeme* lamp = FindIn(lexemes, "лампа", "@существительное");
  ASSERT_NE(lamp, nullptr);
  EXPECT_EQ(lamp->forms.size(), 13u);
  EXPECT_EQ(lamp->own_key, "ЖрНд");
  EXPECT_TRUE(HasForm(*lamp, "лампою", "ТпЕчУс"));
  const lexeme* take = FindIn(lexemes, "взять", "@совершенный_глагол");
  ASSERT_NE(take, nullptr);
  EXPECT_EQ(take->aspect_partner, "брать");
  EXPECT_EQ(take->own_key, "Сш");
  EXPECT_TRUE(HasForm(*take, "возьму", "Еч1лНвБтПф"));
  EXPECT_TRUE(HasForm(*take, "взяв", "ДвПт"));
  const lexeme* hedgehog = FindIn(lexemes, "ёж", "@существительное");
  ASSERT_NE(hedgehog, nullptr);
  EXPECT_TRUE(HasForm(*hedgehog, "ежа", "ВпЕч"));
  EXPECT_TRUE(HasForm(*hedgehog, "ёж", "ВпЕчУс"));
  EXPECT_EQ(hedgehog->own_key, "Мр");
  // стали is a form of both сталь and стать.
  const lexeme* steel = FindIn(lexemes, "сталь", "@существительное");
  const lexeme* become = FindIn(lexemes, "стать", "@совершенный_глагол");
  ASSERT_NE(steel, nullptr);
  ASSERT_NE(become, nullptr);
  EXPECT_TRUE(HasForm(*steel, "стали", "РпЕч"));
  EXPECT_TRUE(HasForm(*become, "стали", "МчНвПтПф"));
  EXPECT_EQ(FindIn(lexemes, "ножницы", "@существительное")->default_key, "Мч");
  EXPECT_EQ(FindIn(lexemes, "молоко", "@существительное")->default_key, "Еч");
  const lexeme* village = FindIn(lexemes, "село", "@существительное");
  ASSERT_NE(village, nullptr);
  EXPECT_FALSE(std::any_of(village->forms.begin(), village->forms.end(), [](const word_form& f) { return f.text == "с"; }));
  EXPECT_EQ(FindIn(lexemes, "в", "@союз"), nullptr);
  for (const lexeme& word : lexemes) {
    EXPECT_FALSE(word.classes.empty()) << word.lemma;
    EXPECT_FALSE(IsPreposition(word.lemma)) << word.lemma;
  }
}
