// The dictionary file: stem keys, loading, finding and expanding articles,
// and what a damaged file does.

#include <random>

#include "dic_stem_table.h"
#include "dictionary_fixture.h"

namespace {

uint16_t noun_seed_hash(const std::string& utf8_stem) { return StemHash(cp1251(utf8_stem), noun_key_seed); }
uint16_t verb_seed_hash(const std::string& utf8_stem) { return StemHash(cp1251(utf8_stem), verb_key_seed); }

size_t read_dic_number_for_test(const std::string& bytes, size_t at) {
  size_t number = 0;
  for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(bytes[at + i]);
  return number;
}

const dic_test_article lamp{{"лампа", "лампы", "лампе", "лампу", "лампой", "лампою"},
                            "$лампа {\n\x0B\x02"
                            "ЖрНд"
                            "\x04\x01"
                            "ИпЕч"
                            "\x04\x02"
                            "РпЕч"
                            "\x04\x05"
                            "ТпЕч\n}"};
const char* const lamp_text =
    "$лампа {\n@существительное\nkey=#ЖрНд\n#ИпЕч = \"лампа\"\n#РпЕч = \"лампы\"\n#ТпЕч = \"лампой\"\n}";

}  // namespace

class dictionary_file : public dictionary_fixture {};

TEST(stem_keys, HashAndKeysAgreeWithHandComputedValues) {
  // h = rotl(26437, 5) ^ ((0xE0 as signed + 32) ^ 0x19) = 0xE8AC ^ 0x19.
  EXPECT_EQ(StemHash("", noun_key_seed), 26437);
  EXPECT_EQ(StemHash(cp1251("а"), noun_key_seed), 59573);
  // "Я" is 0xDF: t = (-33 + 32) ^ 0x19 = 0xFFE6, rotated by 5.
  EXPECT_EQ(StemHash(cp1251("Я"), verb_key_seed), 36563);
  EXPECT_EQ(StemHash("ab", 0), 5019);

  dic_file_writer tables;
  // The first fitting ending is cut; "ааа" keeps its letters (a stem of two
  // would be too short) and folds to "а".
  EXPECT_EQ(tables.NounKey("лампа"), 4841);
  EXPECT_EQ(tables.NounKey("лампой"), 4841);
  EXPECT_EQ(tables.NounKey("лампами"), noun_seed_hash("ламп"));
  EXPECT_EQ(tables.NounKey("ааа"), 59573);
  EXPECT_EQ(tables.NounKey("кора"), noun_seed_hash("кор"));
  // Words beginning with "стр" keep a stem of four letters.
  EXPECT_EQ(tables.NounKey("стра"), noun_seed_hash("стра"));
  // The fleeting vowel drops after a consonant.
  EXPECT_EQ(tables.NounKey("огонек"), 54560);
  EXPECT_EQ(tables.NounKey("огонек"), noun_seed_hash("огонк"));
  EXPECT_EQ(tables.NounKey("ступенька"), noun_seed_hash("ступенк"));
  EXPECT_EQ(tables.NounKey("сундук"), noun_seed_hash("сундук"));
  // "нен" becomes "н", then "ен" loses its vowel and the doubled letter folds.
  EXPECT_EQ(tables.NounKey("камненен"), 37611);
  EXPECT_EQ(tables.NounKey("камненен"), noun_seed_hash("камн"));

  EXPECT_EQ(tables.VerbKey("беру"), 4830);
  EXPECT_EQ(tables.VerbKey("беру"), verb_seed_hash("бр"));
  EXPECT_EQ(tables.VerbKey("брать"), verb_seed_hash("бра"));
  EXPECT_EQ(tables.VerbKey("пишу"), verb_seed_hash("пис"));
  EXPECT_EQ(tables.VerbKey("начнет"), verb_seed_hash("нач"));
  EXPECT_EQ(tables.VerbKey("зовет"), verb_seed_hash("зв"));
  // Reflexive verbs: the ending before "ся", or a rule covering it.
  EXPECT_EQ(tables.VerbKey("берешься"), 11753);
  EXPECT_EQ(tables.VerbKey("берешься"), verb_seed_hash("брс"));
  EXPECT_EQ(tables.VerbKey("браться"), verb_seed_hash("брас"));
  EXPECT_EQ(tables.VerbKey("смеяться"), verb_seed_hash("смеятс"));
  // A one-letter "ь" or "я" never eats the reflexive ending.
  EXPECT_EQ(tables.VerbKey("моюсь"), 12848);
  EXPECT_EQ(tables.VerbKey("моюсь"), verb_seed_hash("моюс"));
}

TEST_F(dictionary_file, LoadFillsTheRecordAndBoundsTheTables) {
  writer_.Add(3, lamp);
  Load();
  ASSERT_TRUE(file_->Loaded());
  EXPECT_EQ(file_->Header().version, "2.a.5.3");
  EXPECT_EQ(file_->Header().hash_entries, 1u);
  EXPECT_EQ(file_->HashEntries(), 1u);
  EXPECT_EQ(file_->Header().granule, 256u);
  ASSERT_EQ(file_->VerbRules().size(), 6u);
  EXPECT_EQ(file_->VerbRules()[0].ending, cp1251("ать"));
  EXPECT_EQ(file_->VerbRules()[0].replacement, cp1251("а"));
  EXPECT_EQ(file_->VerbRules()[1].replacement, "");
  ASSERT_EQ(file_->NounEndings().size(), 8u);
  EXPECT_EQ(file_->NounEndings()[7], cp1251("ом"));
  EXPECT_EQ(FindStemArticles(*file_, writer_.NounKey("лампа")), std::vector<uint16_t>{3});
  EXPECT_TRUE(FindStemArticles(*file_, writer_.NounKey("лампа") + 1).empty());
  EXPECT_TRUE(MessageBoxes().empty());

  // A header claiming more entries than the image holds, and ending tables
  // that run off the image: the entries searched and the tables end there.
  std::string bytes = writer_.Bytes().substr(0, 28);
  bytes.replace(12, 4, std::string("\xFF\xFF\x00\x00", 4));  // 65535 entries
  bytes.replace(16, 4, std::string("\x24\x00\x00\x00", 4));  // nouns at 36
  bytes += std::string("\x01\x00\x02\x00\xFF\xFF\xFF\xFF", 8);  // one whole entry
  bytes += cp1251("ой") + '\0' + '\x01' + cp1251("ам");          // the second ending has no NUL
  LoadBytes(bytes);
  ASSERT_TRUE(file_->Loaded());
  EXPECT_EQ(file_->HashEntries(), 1u);
  ASSERT_EQ(file_->NounEndings().size(), 1u);
  EXPECT_EQ(file_->NounEndings()[0], cp1251("ой"));
  EXPECT_TRUE(file_->VerbRules().empty());
  EXPECT_EQ(FindStemArticles(*file_, 1), std::vector<uint16_t>{2});

  // A header cut short reads as zeros: nothing to search.
  LoadBytes(std::string("2.a.5.3\0\0\0\0\0\x05", 13));
  ASSERT_TRUE(file_->Loaded());
  EXPECT_EQ(file_->HashEntries(), 0u);
  world home(u"dic");
  EXPECT_EQ(Article(home, "лампа"), "<none>");
}

TEST_F(dictionary_file, LoadFailuresAreShownAndLeaveNoDictionary) {
  dic_loader missing("kiv.dic");
  EXPECT_FALSE(missing.Loaded());
  std::filesystem::create_directory("kiv.dic");
  dic_loader directory("kiv.dic");
  EXPECT_FALSE(directory.Loaded());
  std::filesystem::remove("kiv.dic");

  writer_.Add(3, lamp);
  writer_.version = "2.a.5.2";
  Load();
  EXPECT_FALSE(file_->Loaded());
  EXPECT_EQ(file_->HashEntries(), 0u);
  EXPECT_TRUE(file_->NounEndings().empty());
  world home(u"dic");
  EXPECT_EQ(Article(home, "лампа"), "<none>");
  // A version field without its NUL is read to its eighth byte.
  writer_.version = "2.a.5.3x";
  Load();
  EXPECT_FALSE(file_->Loaded());

  EXPECT_EQ(MessageBoxes(),
            "Ошибка загрузки словаря: файл словаря kiv.dic не найден!\n"
            "Ошибка загрузки словаря: Не удалось прочитать файл kiv.dic!\n"
            "Ошибка загрузки словаря: версия словаря 2.a.5.2 не соответствует требуемой версии 2.a.5.3\n"
            "Ошибка загрузки словаря: версия словаря 2.a.5.3x не соответствует требуемой версии 2.a.5.3\n");
}

TEST_F(dictionary_file, ArticlesAreFoundByEitherStemKey) {
  writer_.Add(3, lamp);
  // A verb filed only under its verb key.
  writer_.AddUnfiled(4, {{"беру", "брать"}, "\x01" "брать {}"});
  writer_.File(writer_.VerbKey("беру"), 4);
  // "ёлка" is filed under the key of its normalised text.
  writer_.AddUnfiled(5, {{"ёлка", "ёлки"}, "$ёлка {}"});
  writer_.File(writer_.NounKey("елка"), 5);
  // Two articles under one key: the first lacks the form.
  writer_.AddUnfiled(6, {{"ламп"}, "$ламп {}"});
  writer_.File(writer_.NounKey("лампами"), 6);
  writer_.File(writer_.NounKey("лампами"), 3);
  writer_.File(writer_.NounKey("лампами"), 4);
  Load();
  world home(u"dic");
  EXPECT_EQ(Article(home, "беру", true), "word брать {}");
  EXPECT_EQ(Article(home, "Ёлка", true), "$ёлка {}");
  EXPECT_EQ(Article(home, "елка", true), "$ёлка {}");
  EXPECT_EQ(Article(home, "лампами", true), "<none>");  // no article has the form
  EXPECT_EQ(Article(home, "ламп", true), "$ламп {}");
  // "@" and "$" in front are skipped; a Latin letter or a digit first
  // finds nothing.
  EXPECT_EQ(Article(home, "@$лампой", true), lamp_text);
  EXPECT_EQ(Article(home, "$лампу", true), lamp_text);
  EXPECT_EQ(Article(home, "lампа", true), "<none>");
  EXPECT_EQ(Article(home, "1лампа", true), "<none>");
  EXPECT_EQ(Article(home, "@", true), "<none>");
  EXPECT_EQ(Article(home, "", true), "<none>");
  EXPECT_EQ(Article(home, "лампочка", true), "<none>");
}

TEST_F(dictionary_file, TakenArticlesAreNotReturnedAgain) {
  writer_.Add(3, lamp);
  Load();
  world home(u"dic");
  // Browsing and matching mark nothing.
  EXPECT_EQ(Article(home, "лампа", true), lamp_text);
  EXPECT_TRUE(Matches(home, "лампы"));
  EXPECT_EQ(home.taken_articles.Count(), 0);
  EXPECT_EQ(Article(home, "лампы"), lamp_text);
  ASSERT_EQ(home.taken_articles.Count(), 1);
  EXPECT_EQ(home.taken_articles[0], 3);
  EXPECT_EQ(Article(home, "лампа"), "<none>");
  EXPECT_TRUE(Matches(home, "лампа"));
  EXPECT_EQ(Article(home, "лампа", true), lamp_text);
  // Another world takes it afresh.
  world other(u"dic2");
  EXPECT_EQ(Article(other, "лампа"), lamp_text);
}

TEST_F(dictionary_file, TokenCodesAndFormBindingsExpand) {
  writer_.Add(3, {{"код", "кода"},
                  "\x01|\x02|\x03|\x05|\x06|\x07|\x08|\x0B|\x0C|\x0D|\x0E|\x0F|\x10|\x11|\x12|\x13|\x14|\x15|"
                  "\x16\x17\x18\x19\x1A\x1B\x1C\x1D\x1E\x1F|\t|\n|"
                  // A key name ends at any byte up to the blank; what ends it
                  // is read as usual.
                  "\x04\x02"
                  "РпЕч уже\x04\x01"
                  "Ип\x01"});
  Load();
  world home(u"dic");
  EXPECT_EQ(Article(home, "кода", true),
            "word |\nkey=#|\ndefkey=#|preposition |attribute |var |property |@существительное|@прилагательное|"
            "@совершенный_глагол|@несовершенный_глагол|synonym=$|act |action(|\n--parsing--\n|\n--check--\n|"
            "\n--execute--\n|fail, ||\t|\n|"
            "\n#РпЕч = \"кода\" уже\n#Ип = \"код\"word ");
}

TEST_F(dictionary_file, TaggedTextsFollowTheArticlesTakenBefore) {
  dic_test_article lantern{{"фонарь", "фонаря"}, "$фонарь {}"};
  lantern.tagged = {{3, "фонарь_с_лампой \x04\x02" "Рп"}, {9, "никогда"}, {4, "всегда"}};
  writer_.Add(3, lamp);
  writer_.Add(4, lantern);
  Load();
  world home(u"dic");
  // Its own number counts once the article is taken.
  EXPECT_EQ(Article(home, "фонарь", true), "$фонарь {}");
  EXPECT_EQ(Article(home, "лампа"), lamp_text);
  EXPECT_EQ(Article(home, "фонарь"), "$фонарь {}\nфонарь_с_лампой \n#Рп = \"фонаря\"\nвсегда");
  EXPECT_EQ(Article(home, "фонаря"), "<none>");
}

TEST_F(dictionary_file, CrossArticlesAddTheirTextForTheReferringArticle) {
  dic_test_article candle{{"свеча", "свечи"}, "$свеча {}"};
  candle.cross_references = {5, 6};
  dic_test_article stub{{"огарок", "огарка"}, "$огарок {}"};
  stub.tagged = {{7, "другой"}, {4, "огарок свечи"}};
  writer_.Add(4, candle);
  writer_.Add(5, stub);
  writer_.Add(6, {{"воск"}, "$воск {}"});
  // A reference to an article that keeps no text for the referrer.
  dic_test_article wick{{"фитиль"}, "$фитиль {}"};
  wick.cross_references = {5};
  writer_.Add(8, wick);
  // A cross-article text may not bind forms.
  dic_test_article match{{"спичка"}, "$спичка {}"};
  match.cross_references = {10};
  writer_.Add(9, match);
  dic_test_article box{{"коробок"}, "$коробок {}"};
  box.tagged = {{9, "\x04\x01" "Ип"}};
  writer_.Add(10, box);
  Load();

  world first(u"first");
  EXPECT_EQ(Article(first, "огарок"), "$огарок {}");
  // 6 is referred to but not taken: nothing of it is read.
  EXPECT_EQ(Article(first, "свеча"), "$свеча {}\nогарок свечи");
  EXPECT_EQ(Failure([&] { Article(first, "фитиль"); }), "Ошибка в словаре: нарушение в адресации кросс-статей!");

  // The other order: the stub's tagged text for the candle.
  world second(u"second");
  EXPECT_EQ(Article(second, "свечи"), "$свеча {}");
  EXPECT_EQ(Article(second, "огарка"), "$огарок {}\nогарок свечи");

  world third(u"third");
  EXPECT_EQ(Article(third, "коробок"), "$коробок {}");
  EXPECT_EQ(Failure([&] { Article(third, "спичка"); }), "Decoder() словоформа в кросс-статье!");
  world fourth(u"fourth");
  EXPECT_EQ(Article(fourth, "спичка"), "$спичка {}");
  EXPECT_EQ(Article(fourth, "коробок"), "$коробок {}\n\n#Ип = \"коробок\"");
}

TEST_F(dictionary_file, AHostileFileOfCrossReferencesExpandsInLinearWork) {
  // Forty thousand references to each of two cross articles whose texts for
  // the referrer come after forty thousand others: read per reference, the
  // lookup would take billions of steps and give the texts thousands of times.
  const int many = 40000;
  writer_.granule = 300000;
  dic_test_article candle{{"свеча"}, "$свеча {}"};
  for (int i = 0; i < many; ++i) candle.cross_references.insert(candle.cross_references.end(), {1, 2, 3});
  dic_test_article stub{{"огарок"}, "$огарок {}"};
  dic_test_article wax{{"воск"}, "$воск {}"};
  for (int i = 0; i < many; ++i) {
    stub.tagged.push_back({9, ""});
    wax.tagged.push_back({9, ""});
  }
  stub.tagged.push_back({0, "огарок свечи"});
  wax.tagged.push_back({0, "воск свечи"});
  writer_.Add(0, candle);
  writer_.Add(1, stub);
  writer_.Add(2, wax);
  writer_.Add(3, {{"фитиль"}, "$фитиль {}"});
  Load();
  world home(u"dic");
  EXPECT_EQ(Article(home, "огарок"), "$огарок {}");
  EXPECT_EQ(Article(home, "воск"), "$воск {}");
  // Article 3 is named as often but not taken: nothing of it is read.
  EXPECT_EQ(Article(home, "свеча"), "$свеча {}\nогарок свечи\nвоск свечи");
}

TEST_F(dictionary_file, AnArticleThatExpandsWithoutBoundIsRefused) {
  // Two bytes per binding, each repeating a form of two thousand letters:
  // two million characters from five thousand bytes.
  writer_.granule = 8192;
  const std::string long_form(2000, 'a');
  std::string bindings;
  for (int i = 0; i < 1000; ++i) bindings += "\x04\x02";
  writer_.Add(3, {{"весло", long_form}, "\x04\x02" "Ип"});
  writer_.Add(4, {{"весла", long_form}, bindings});
  // The same through tagged texts, each within bounds.
  dic_test_article boat{{"лодка", long_form}, "$лодка {}"};
  for (int i = 0; i < 1000; ++i) boat.tagged.push_back({3, "\x04\x02" "Ип"});
  writer_.Add(5, boat);
  Load();
  world home(u"dic");
  EXPECT_EQ(Article(home, "весло"), "\n#Ип = \"" + long_form + "\"");
  const std::string refused = "Decoder() статья разворачивается в слишком длинный текст!";
  EXPECT_EQ(Failure([&] { Article(home, "весла"); }), refused);
  EXPECT_EQ(Failure([&] { Article(home, "лодка"); }), refused);
  // The session goes on: other words are still found.
  EXPECT_TRUE(Matches(home, "весло"));
}

TEST_F(dictionary_file, DamagedArticlesRaiseTheirMessages) {
  // A form list broken by a NUL.
  writer_.AddUnfiled(3, dic_test_article::Raw(cp1251("ведро;ведра") + std::string("\0;;x\0\xFF\xFF\xFF\xFF", 9)));
  writer_.File(writer_.NounKey("ведра"), 3);
  // Form bindings naming no form: b = 0 (the text ends), b past the forms,
  // b of 128.
  writer_.Add(4, {{"весло"}, "\x04"});
  writer_.Add(5, {{"вилка", "вилки"}, "\x04\x03" "Ип"});
  writer_.AddUnfiled(6, dic_test_article::Raw(cp1251("ворон;;") + std::string("\x04\x80\0\xFF\xFF\xFF\xFF", 7)));
  writer_.File(writer_.NounKey("ворон"), 6);
  // 255 forms are allowed, 256 are not.
  dic_test_article most{{"ворота"}, "$ворота {}"};
  dic_test_article too_many{{"вожжи"}, "$вожжи {}"};
  for (int i = 1; i < 255; ++i) most.forms.push_back("в" + std::to_string(i));
  for (int i = 1; i < 256; ++i) too_many.forms.push_back("в" + std::to_string(i));
  writer_.AddUnfiled(10, most);
  writer_.File(writer_.NounKey("ворота"), 10);
  writer_.AddUnfiled(20, too_many);
  writer_.File(writer_.NounKey("вожжи"), 20);
  Load();
  world home(u"dic");
  EXPECT_EQ(Failure([&] { Article(home, "ведра"); }), "Ошибка в словаре: Нарушена структура статьи: ведро;ведра");
  // A plain match reads the forms too.
  EXPECT_EQ(Failure([&] { Matches(home, "ведра"); }), "Ошибка в словаре: Нарушена структура статьи: ведро;ведра");
  EXPECT_EQ(Failure([&] { Article(home, "весло"); }), "Decoder() Ошибка в кодировании словоформ!");
  EXPECT_EQ(Failure([&] { Article(home, "вилки"); }), "Decoder() Ошибка в кодировании словоформ!");
  EXPECT_EQ(Failure([&] { Article(home, "ворон"); }), "Decoder() Ошибка в кодировании словоформ!");
  EXPECT_EQ(Article(home, "ворота"), "$ворота {}");
  EXPECT_EQ(Failure([&] { Article(home, "вожжи"); }),
            "Ошибка в словаре: количество словоформ для слова 'вожжи' превышает 255");
}

TEST_F(dictionary_file, ATruncatedArticleIsBrokenOrAbsent) {
  writer_.Add(3, lamp);
  const std::string whole = writer_.Bytes();
  const size_t start = read_dic_number_for_test(whole, 20) + 3 * writer_.granule;
  const size_t forms_end = start + cp1251("лампа;лампы;лампе;лампу;лампой;лампою;;").size();
  const size_t main_end = forms_end + cp1251(lamp.main).size() + 1;
  const std::string broken = "Ошибка в словаре: Нарушена структура статьи: ";
  auto cut_at = [&](size_t length) {
    LoadBytes(whole.substr(0, length));
    world home(u"dic");
    return Failure([&] { Article(home, "лампа"); });
  };
  EXPECT_EQ(cut_at(start + 8), broken + "лампа;ла");
  EXPECT_EQ(cut_at(forms_end - 1), broken + "лампа;лампы;лампе;лампу;лампой;лампою;");
  EXPECT_EQ(cut_at(forms_end).substr(0, broken.size()), broken);
  EXPECT_EQ(cut_at(main_end - 1).substr(0, broken.size()), broken);
  EXPECT_EQ(cut_at(main_end + 1).substr(0, broken.size()), broken);  // half a tag
  EXPECT_EQ(cut_at(main_end + 2).substr(0, broken.size()), broken);  // no reference list
  EXPECT_EQ(cut_at(main_end + 3).substr(0, broken.size()), broken);
  EXPECT_EQ(cut_at(main_end + 4), "<nothing thrown>");
  // An article that starts outside the image is no article.
  LoadBytes(whole.substr(0, start));
  world home(u"dic");
  EXPECT_EQ(Article(home, "лампа"), "<none>");
  // A match needs only the forms.
  LoadBytes(whole.substr(0, forms_end));
  EXPECT_TRUE(Matches(home, "лампой"));
}

TEST_F(dictionary_file, RandomDamageNeverReadsOutsideTheImage) {
  writer_.granule = 16;
  dic_test_article lantern{{"фонарь", "фонаря"}, "$фонарь {\x04\x01" "Ип\x04\x02" "Рп}"};
  lantern.tagged = {{1, "фонарь_с_лампой"}, {9, "свой"}};
  lantern.cross_references = {17};
  dic_test_article stub{{"огарок", "огарка"}, "\x0B"};
  stub.tagged = {{9, "огарок фонаря"}};
  writer_.Add(1, lamp);
  writer_.Add(9, lantern);
  writer_.Add(17, stub);
  writer_.AddUnfiled(25, {{"беру", "брать", "берешься"}, "\x01" "брать {\x04\x02" "Ип}"});
  writer_.File(writer_.VerbKey("беру"), 25);
  writer_.File(writer_.VerbKey("берешься"), 25);
  const std::string valid = writer_.Bytes();
  const char* const words[] = {"лампа", "лампой", "фонарь", "фонаря", "огарок", "огарка", "беру", "берешься", "ламп"};

  std::mt19937 random(1251);
  int found = 0, refused = 0;
  for (int round = 0; round < 400; ++round) {
    std::string bytes = valid;
    const int mutations = 1 + int(random() % 6);
    for (int i = 0; i < mutations; ++i) bytes[random() % bytes.size()] = char(random() & 0xFF);
    if (round % 4 == 0) bytes.resize(random() % bytes.size());
    LoadBytes(bytes);
    world home(u"fuzz");
    for (const char* word : words) {
      for (int mode = 0; mode < 3; ++mode) {
        std::string outcome = Failure([&] {
          if (mode == 0 ? Article(home, word) != "<none>" : mode == 1 ? Article(home, word, true) != "<none>"
                                                                       : Matches(home, word))
            ++found;
        });
        if (outcome == "<nothing thrown>") continue;
        ++refused;
        EXPECT_TRUE(outcome.starts_with("Ошибка в словаре: ") || outcome.starts_with("Decoder() ")) << outcome;
      }
    }
    if (round % 20 == 0) {
      c_index<wstring, wstring> candidates;
      Failure([&] { dictionary_->SpellingCandidates(home, u"лампв", candidates); });
    }
  }
  // The damage both broke articles and left some whole.
  EXPECT_GT(found, 1000);
  EXPECT_GT(refused, 20);
}
