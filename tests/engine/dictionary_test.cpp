// Words declared from the dictionary into a world: once per world, in all
// their forms, through every lookup of the world; FindWord and spelling
// hints.

#include "code_world.h"
#include "dictionary_fixture.h"
#include "find_word.h"
#include "key_matrix.h"
#include "obj_word.h"

namespace {

const dic_test_article constructor_article{{"конструктор"}, "@существительное {\n}\n@прилагательное {\n}"};
const dic_test_article library_article{{"библиотека"}, "@вещь {\n}"};
const dic_test_article lamp{{"лампа", "лампы", "лампе", "лампу", "лампой", "лампою"},
                            "$лампа {\n\x0B\x02"
                            "ЖрНд"
                            "\x04\x01"
                            "ИпЕч"
                            "\x04\x02"
                            "РпЕч"
                            "\x04\x03"
                            "ДпЕч"
                            "\x04\x04"
                            "ВпЕч"
                            "\x04\x05"
                            "ТпЕч"
                            "\x04\x06"
                            "ТпЕчУс\n}"};
const dic_test_article lantern{{"фонарь", "фонаря"},
                               "$фонарь {\n\x0B\x04\x01"
                               "ИпЕч"
                               "\x04\x02"
                               "РпЕч\n}"};
// Its declaration fails in the first pass.
const dic_test_article broken_box{{"ящик"}, "ящик {}\nlocation ящик {}"};

}  // namespace

class dictionary_world : public dictionary_fixture {
 protected:
  void SetUp() override {
    dictionary_fixture::SetUp();
    writer_.Add(1, constructor_article);
    writer_.Add(2, library_article);
    writer_.Add(3, lamp);
    writer_.Add(4, lantern);
    writer_.Add(5, broken_box);
    Load();
    w.home.dictionary = dictionary_.get();
    w.home.SetDirectory(wstring(folder_.string().c_str()) + u"/");
  }

  void DeclareClasses() { w.Run(u"@существительное {\n}"); }
  bool Declare(const std::string& word) { return dictionary_->DeclareFromDictionary(w.home, Wide(word)); }
  bool IsWord(const char16_t* name) { return w.home.FindWord(name) != nullptr; }

  // The value game code computes, as text asked for in the keys' form.
  std::string Printed(const char16_t* expression, const char16_t* keys) {
    value result;
    if (!w.Compute(expression, true, result)) return "<uncomputable>";
    key_matrix asked(keys);
    bool missing_form = false;
    return utf8(result.ToString(&w.home, &w.home, &asked, text_all, missing_form).Text());
  }
  // A preposition whose name the world's preposition index knows.
  void Preposition(const char16_t* name) {
    static_cast<obj_word*>(w.home.Create(&w.home, kw::type_preposition, true, name))->SetDescription(u"");
  }

  std::string NounLog() const {
    std::ifstream in(folder_ / "logs" / "out_nouns.log", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  code_world w;
};

TEST_F(dictionary_world, AWordNeverDeclaredIsUsedInAllItsForms) {
  DeclareClasses();
  // Game code naming the word by one of its forms declares it on the way.
  EXPECT_EQ(Printed(u"$лампой", u"РпЕч"), "лампы");
  EXPECT_EQ(Printed(u"$лампа", u"ТпЕч"), "лампой");
  EXPECT_EQ(Printed(u"$лампа", u"ВпЕч"), "лампу");
  object* word = w.home.FindWord(u"лампа");
  ASSERT_NE(word, nullptr);
  EXPECT_EQ(word->main_class, w.home.FindClass(u"существительное")->Id());
  int pos;
  for (const char16_t* form : {u"лампа", u"лампы", u"лампе", u"лампу", u"лампой", u"лампою"})
    EXPECT_TRUE(w.home.word_forms.Find(form, pos)) << utf8(form);
  // Both passes ran and the pass marker and label are as they were.
  EXPECT_EQ(w.home.declaration_pass, 0);
  EXPECT_TRUE(label_.IsEmpty());
  label_ = u"игра.kiv";
  EXPECT_TRUE(Declare("фонаря"));
  EXPECT_EQ(utf8(label_.Text()), "игра.kiv");
  EXPECT_EQ(Printed(u"$фонарь", u"Рп"), "фонаря");
}

TEST_F(dictionary_world, AWordIsLookedUpOncePerWorldAndAgainAfterAReload) {
  DeclareClasses();
  EXPECT_TRUE(Declare("лампу"));
  EXPECT_FALSE(Declare("лампу"));
  // Gone from the world, the word is still not looked up again.
  w.home.Destroy(w.home.FindWord(u"лампа"));
  EXPECT_FALSE(IsWord(u"лампа"));
  EXPECT_FALSE(Declare("лампу"));
  EXPECT_FALSE(Declare("лампа"));  // another form: its article is taken
  EXPECT_FALSE(IsWord(u"лампа"));

  // A reload empties both sets: the load itself declares what the
  // dictionary has for "конструктор" and "библиотека".
  w.home.Load();
  EXPECT_NE(w.home.FindClass(u"существительное"), nullptr);
  EXPECT_NE(w.home.FindClass(u"вещь"), nullptr);
  EXPECT_EQ(w.home.taken_articles.Count(), 2);
  int pos;
  EXPECT_FALSE(w.home.looked_up_words.Find(u"лампу", pos));
  EXPECT_TRUE(Declare("лампу"));
  EXPECT_TRUE(IsWord(u"лампа"));
}

TEST_F(dictionary_world, SomeWordsAreNeverLookedUp) {
  DeclareClasses();
  const int looked_up_before = w.home.looked_up_words.Count();
  // Not while a first declaration pass runs.
  w.home.declaration_pass = 1;
  EXPECT_FALSE(Declare("лампа"));
  EXPECT_EQ(w.home.looked_up_words.Count(), looked_up_before);
  w.home.declaration_pass = 0;
  // Not a word the world knows as a form or a preposition.
  w.Create(kw::type_object, u"светильник")->AddForm(u"#ИпЕч", u"лампа");
  Preposition(u"фонарь");
  EXPECT_FALSE(Declare("Лампа"));
  EXPECT_FALSE(Declare("фонарь"));
  // A preposition whose description is not read yet is known by its name.
  w.home.Create(&w.home, kw::type_preposition, true, u"лампы");
  EXPECT_FALSE(Declare("лампы"));
  // Nor one that does not begin with a Cyrillic letter.
  EXPECT_FALSE(Declare(""));
  EXPECT_FALSE(Declare("@$"));
  EXPECT_FALSE(Declare("lampa"));
  EXPECT_FALSE(Declare("1лампа"));
  EXPECT_EQ(w.home.looked_up_words.Count(), looked_up_before);
  EXPECT_EQ(w.home.taken_articles.Count(), 0);
  // "@" and "$" in front are skipped.
  EXPECT_TRUE(Declare("@$лампой"));
  EXPECT_TRUE(IsWord(u"лампа"));
}

TEST_F(dictionary_world, NegatedAndJoinedWords) {
  DeclareClasses();
  // A word with no article of its own, after "не", is the rest's.
  EXPECT_TRUE(Declare("нелампа"));
  EXPECT_TRUE(IsWord(u"лампа"));
  EXPECT_FALSE(Declare("незнамо"));
  // Joined words declare each of their pieces, and answer false.
  EXPECT_FALSE(Declare("старый_фонарь:@лампа"));
  EXPECT_TRUE(IsWord(u"фонарь"));
  int pos;
  for (const char16_t* looked_up : {u"старый_фонарь:@лампа", u"старый", u"фонарь", u"лампа"})
    EXPECT_TRUE(w.home.looked_up_words.Find(looked_up, pos)) << utf8(looked_up);
}

TEST_F(dictionary_world, AFailedDeclarationNamesItsEntryAndEndsThePass) {
  label_ = u"игра.kiv";
  EXPECT_EQ(Failure([&] { Declare("ящик"); }), "переопределение типа объекта!");
  EXPECT_EQ(utf8(label_.Text()), "ящик (first pass)");
  EXPECT_EQ(w.home.declaration_pass, 0);
}

TEST_F(dictionary_world, TheWorldsOwnLookupsGoThroughTheDictionary) {
  // Loading declares the constructor's classes before the game file.
  EXPECT_EQ(w.home.Load().Code(), kw::result_ok);
  EXPECT_NE(w.home.FindClass(u"прилагательное"), nullptr);
  // A name in code, a declaration's name, a noun a player used.
  EXPECT_NE(w.home.GetObjectByName(u"$фонарь", false), nullptr);
  EXPECT_EQ(Failure([&] { w.home.GetObjectByName(u"$стул", false); }), "Слово $стул не найдено!");
  w.Run(u"лампа {\n  цвет = 1\n}");
  EXPECT_NE(w.home.FindObject(u"лампа"), nullptr);
  EXPECT_TRUE(IsWord(u"лампа"));
  w.home.LogUnknownNoun(u"Лампой");
  w.home.LogUnknownNoun(u"стул");
  EXPECT_EQ(NounLog(), "лампа\r\nстул - не найдено в словаре\r\n");
}

TEST_F(dictionary_world, FindWordTriesPrepositionsFormsAndTheDictionary) {
  DeclareClasses();
  Preposition(u"в");
  w.Create(kw::type_object, u"стол")->AddForm(u"#РпЕч", u"стола");
  int form, preposition;
  EXPECT_TRUE(FindWord(w.home, u"в", form, preposition));
  EXPECT_EQ(form, -1);
  EXPECT_EQ(utf8(w.home.prepforms[preposition].text.Text()), "в");
  EXPECT_TRUE(FindWord(w.home, u"стола", form, preposition));
  EXPECT_EQ(preposition, -1);
  EXPECT_EQ(utf8(w.home.word_forms[form].text.Text()), "стола");
  EXPECT_TRUE(FindWord(w.home, u"Лампою", form, preposition));
  EXPECT_EQ(preposition, -1);
  EXPECT_EQ(utf8(w.home.word_forms[form].text.Text()), "лампою");
  EXPECT_FALSE(FindWord(w.home, u"стул", form, preposition));
  EXPECT_EQ(form, -1);
  EXPECT_EQ(preposition, -1);
}

TEST_F(dictionary_world, SpellingCandidatesAreOneEditAway) {
  c_index<wstring, wstring> found;
  auto texts = [&] {
    std::string all;
    for (const wstring& text : found) all += utf8(text.Text()) + ",";
    return all;
  };
  // Every form of the article one letter away; the dictionary is only
  // asked, nothing is taken.
  EXPECT_TRUE(dictionary_->SpellingCandidates(w.home, u"ЛАМПВ", found));
  EXPECT_EQ(texts(), "лампа,лампе,лампу,лампы,");
  EXPECT_EQ(w.home.taken_articles.Count(), 0);
  found.Clear();
  // Forms of the world, with a hyphen put in.
  w.Create(kw::type_object, u"кто-то")->AddForm(u"#ИпЕч", u"кто-то");
  w.Create(kw::type_object, u"длинное")->AddForm(u"#ИпЕч", u"абвгдежзийклмно");
  EXPECT_TRUE(dictionary_->SpellingCandidates(w.home, u"ктото", found));
  EXPECT_EQ(texts(), "кто-то,");
  found.Clear();
  EXPECT_TRUE(dictionary_->SpellingCandidates(w.home, u"абвгдежзийклмнп", found));
  EXPECT_EQ(texts(), "абвгдежзийклмно,");
  found.Clear();
  // Fewer than 5 or more than 15 characters: nothing.
  EXPECT_FALSE(dictionary_->SpellingCandidates(w.home, u"ламп", found));
  EXPECT_FALSE(dictionary_->SpellingCandidates(w.home, u"абвгдежзийклмнор", found));
  EXPECT_FALSE(dictionary_->SpellingCandidates(w.home, u"фыфыфы", found));
  EXPECT_EQ(found.Count(), 0);
}
