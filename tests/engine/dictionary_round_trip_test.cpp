// Dictionaries made by the real builder, read back by the engine: the words
// of the committed excerpt in every test run, and the full dictionary when
// the test run has built it.

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "code_world.h"
#include "dictionary_fixture.h"
#include "find_word.h"
#include "key_matrix.h"
#include "keyword_table.h"

namespace {

struct expected_form {
  const char* typed;   // a form a player might type, not the word's name
  const char16_t* word;
  const char16_t* key;
  const char* text;    // the word's form for that key
};

// Keys as docs/keys.md gives them.
const expected_form everyday_forms[] = {
    {"лампой", u"лампа", u"РпЕч", "лампы"},
    {"лампы", u"лампа", u"ТпЕч", "лампой"},
    {"столу", u"стол", u"ПпМч", "столах"},
    {"красного", u"красный", u"ИпЕчЖрЛф", "красная"},
    {"красные", u"красный", u"ВпЕчМрОдЛф", "красного"},
    {"возьму", u"взять", u"ИвПф", "взять"},
    {"взяла", u"взять", u"НвБт1лЕчПф", "возьму"},
    {"беру", u"брать", u"ПвЕчПф", "бери"},
    {"открою", u"открыть", u"НвПтЕчМрПф", "открыл"},
    {"ключом", u"ключ", u"ИпМч", "ключи"},
};

// Characters, a patronymic and a place, typed with capitals as a player
// would: the engine looks them up in lower case.
const expected_form name_forms[] = {
    {"Васю", u"вася", u"ТпЕч", "васей"},
    {"Маше", u"маша", u"РпЕч", "маши"},
    {"Москвы", u"москва", u"ПпЕч", "москве"},
    {"Ивановичу", u"иванович", u"ВпЕч", "ивановича"},
};

class built_dictionary : public dictionary_fixture {
 protected:
  // Builds kiv.dic in the test's folder with the builder program.
  void Build(const std::string& source_options) {
    std::string command = std::string(KIVDIC) + " " + source_options + " --special '" KIVDIC_SPECIAL_DIR "' --out '" +
                          (folder_ / "kiv.dic").string() + "' > '" + (folder_ / "kivdic.log").string() + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  void Use(const std::string& path) {
    file_ = std::make_unique<dic_loader>(path.c_str());
    ASSERT_TRUE(file_->Loaded());
    dictionary_ = std::make_unique<dictionary>(*file_, &label_);
    w.home.dictionary = dictionary_.get();
    w.home.SetDirectory(wstring(folder_.string().c_str()) + u"/");
  }

  std::string Form(const char16_t* word, const char16_t* key) {
    object* found = w.home.FindWord(word);
    if (!found) return "<no word>";
    key_matrix asked(key);
    wstring text;
    int best = 0;
    return found->GetForm(&asked, text, best) ? utf8(text.Text()) : "<no form>";
  }

  // Every world starts with what the two special articles declare.
  void ExpectWorldBasics() {
    EXPECT_EQ(w.home.Load().Code(), kw::result_ok);
    for (const char16_t* name : {u"существительное", u"прилагательное", u"совершенный_глагол",
                                 u"несовершенный_глагол", u"вопрос"})
      EXPECT_NE(w.home.FindClass(name), nullptr) << utf8(name);
    int form, preposition;
    for (const char16_t* text : {u"в", u"во", u"со", u"из-за"}) {
      EXPECT_TRUE(FindWord(w.home, text, form, preposition)) << utf8(text);
      EXPECT_NE(preposition, -1) << utf8(text);
    }
  }

  void ExpectEverydayWords() {
    int form, preposition;
    for (const expected_form& expected : everyday_forms) {
      EXPECT_TRUE(FindWord(w.home, Wide(expected.typed), form, preposition)) << expected.typed;
      EXPECT_EQ(Form(expected.word, expected.key), expected.text) << expected.typed;
    }
    object* lamp = w.home.FindWord(u"лампа");
    ASSERT_NE(lamp, nullptr);
    EXPECT_EQ(lamp->main_class, w.home.FindClass(u"существительное")->Id());
    key_matrix own(lamp->own_keys.Text());
    EXPECT_EQ(own.GetMarker(u'р'), u'Ж');
    EXPECT_EQ(own.GetMarker(u'д'), u'Н');
    // Aspect partners, declared one after the other, name each other.
    EXPECT_EQ(Form(u"взять", u"ИвНш"), "брать");
    EXPECT_EQ(Form(u"брать", u"ИвСш"), "взять");
  }

  // Names and places: «маша», also a gerund of «махать», is the name.
  void ExpectNames() {
    int form, preposition;
    EXPECT_TRUE(FindWord(w.home, u"Маша", form, preposition));
    EXPECT_EQ(Form(u"маша", u"ДпЕч"), "маше");
    EXPECT_EQ(w.home.FindWord(u"махать"), nullptr);
    for (const expected_form& expected : name_forms) {
      EXPECT_TRUE(FindWord(w.home, Wide(expected.typed), form, preposition)) << expected.typed;
      EXPECT_EQ(Form(expected.word, expected.key), expected.text) << expected.typed;
    }
    object* vasya = w.home.FindWord(u"вася");
    ASSERT_NE(vasya, nullptr);
    EXPECT_EQ(vasya->main_class, w.home.FindClass(u"существительное")->Id());
    key_matrix own(vasya->own_keys.Text());
    EXPECT_EQ(own.GetMarker(u'р'), u'М');
    EXPECT_EQ(own.GetMarker(u'д'), u'О');
    // A character and a place the game names only in the nominative.
    w.Run(u"Вася {\n}\nМосква {\n}");
    ASSERT_NE(w.home.FindObject(u"вася"), nullptr);
    EXPECT_EQ(w.home.GetObjectByName(u"васе", false), w.home.FindObject(u"вася"));
    EXPECT_EQ(w.home.GetObjectByName(u"москву", false), w.home.FindObject(u"москва"));
  }

  code_world w;
};

}  // namespace

TEST_F(built_dictionary, ExcerptWordsAreFoundDeclaredAndReadBack) {
  Build("--excerpt '" KIVDIC_TEST_DATA "/excerpt.txt'");
  Use("kiv.dic");
  ExpectWorldBasics();
  ExpectEverydayWords();
  // A form shared by two lexemes declares the first; the other lexeme comes
  // in through its own forms.
  int form, preposition;
  EXPECT_TRUE(FindWord(w.home, u"стали", form, preposition));
  EXPECT_NE(w.home.FindWord(u"стать"), nullptr);
  EXPECT_EQ(w.home.FindWord(u"сталь"), nullptr);
  EXPECT_TRUE(FindWord(w.home, u"сталью", form, preposition));
  EXPECT_EQ(Form(u"сталь", u"РпЕч"), "стали");
}

TEST_F(built_dictionary, ExcerptNamesAndPlacesAreDeclined) {
  Build("--excerpt '" KIVDIC_TEST_DATA "/excerpt.txt'");
  Use("kiv.dic");
  EXPECT_EQ(w.home.Load().Code(), kw::result_ok);
  ExpectNames();
}

// Every form of every word of the excerpt: the texts of its form lines (a
// header line starts each word, a blank line ends it).
std::vector<std::string> excerpt_form_texts() {
  std::ifstream in(KIVDIC_TEST_DATA "/excerpt.txt");
  std::vector<std::string> texts;
  bool header = true;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("#")) continue;
    if (line.empty()) {
      header = true;
      continue;
    }
    if (!header) texts.push_back(line.substr(0, line.find('\t')));
    header = false;
  }
  return texts;
}

TEST_F(built_dictionary, EveryFormOfTheExcerptIsUnderstood) {
  Build("--excerpt '" KIVDIC_TEST_DATA "/excerpt.txt'");
  Use("kiv.dic");
  EXPECT_EQ(w.home.Load().Code(), kw::result_ok);
  std::vector<std::string> texts = excerpt_form_texts();
  ASSERT_GT(texts.size(), 10000u);
  int form, preposition, missed = 0;
  for (const std::string& text : texts)
    if (!FindWord(w.home, Wide(text), form, preposition) && ++missed <= 10) ADD_FAILURE() << text;
  EXPECT_EQ(missed, 0);
}

TEST_F(built_dictionary, TheFullDictionary) {
  const char* full = std::getenv("KIV_FULL_DICTIONARY");
  if (!full) GTEST_SKIP() << "KIV_FULL_DICTIONARY names no built dictionary";
  Use(full);
  ExpectWorldBasics();
  ExpectEverydayWords();
  ExpectNames();
  // A game that never declared the lamp names it in any form.
  w.Run(u"лампа {\n}");
  EXPECT_EQ(w.home.GetObjectByName(u"лампою", false), w.home.FindObject(u"лампа"));
  EXPECT_EQ(w.home.GetObjectByName(u"лампу", false), w.home.FindObject(u"лампа"));
}
