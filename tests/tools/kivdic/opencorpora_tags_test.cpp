// What the tags of the data mean for an article: form keys in the letters
// of docs/keys.md, own and default keys, classes and forms left out.

#include <gtest/gtest.h>

#include "opencorpora_tags.h"

namespace {

std::string Key(const char* tag) { return InterpretTag(tag).form_key; }

}  // namespace

TEST(OpenCorporaTags, NounFormsCarryCaseAndNumber) {
  EXPECT_EQ(Key("NOUN,inan,femn sing,nomn"), "ИпЕч");
  EXPECT_EQ(Key("NOUN,inan,femn sing,ablt"), "ТпЕч");
  EXPECT_EQ(Key("NOUN,inan,femn sing,ablt,V-oy"), "ТпЕчУс");
  EXPECT_EQ(Key("NOUN,inan,femn plur,gent"), "РпМч");
  EXPECT_EQ(Key("NOUN,inan,masc sing,gen2"), "РпЕчЧс");
  EXPECT_EQ(Key("NOUN,inan,masc sing,loc2"), "ПпЕчМс");
  EXPECT_EQ(Key("NOUN,inan,masc sing,gen1"), "РпЕч");
  EXPECT_EQ(Key("NOUN,inan,masc sing,loc1"), "ПпЕч");
  EXPECT_EQ(Key("NOUN,anim,masc plur,acc2"), "ВпМч");
}

TEST(OpenCorporaTags, NounGenderAndAnimacyAreTheOwnKey) {
  tag_meaning lamp = InterpretTag("NOUN,inan,femn sing,nomn");
  EXPECT_EQ(lamp.pos, part_of_speech::noun);
  EXPECT_EQ(lamp.noun_key, "ЖрНд");
  EXPECT_EQ(lamp.default_key, "");
  EXPECT_EQ(InterpretTag("NOUN,anim,masc sing,nomn").noun_key, "МрОд");
  // Common gender agrees with either, so it has no gender key.
  EXPECT_EQ(InterpretTag("NOUN,anim,masc,Ms-f sing,nomn").noun_key, "Од");
  EXPECT_EQ(InterpretTag("NOUN,anim,GNdr,Ms-f sing,nomn").noun_key, "Од");
  tag_meaning scissors = InterpretTag("NOUN,inan,GNdr,Pltm plur,nomn");
  EXPECT_EQ(scissors.noun_key, "Нд");
  EXPECT_EQ(scissors.default_key, "Мч");
  EXPECT_EQ(scissors.form_key, "ИпМч");
  EXPECT_EQ(InterpretTag("NOUN,inan,neut,Sgtm sing,nomn").default_key, "Еч");
}

TEST(OpenCorporaTags, AdjectivesAndParticiples) {
  EXPECT_EQ(Key("ADJF,Qual masc,sing,nomn"), "ИпЕчМрЛф");
  EXPECT_EQ(Key("ADJF,Qual anim,masc,sing,accs"), "ВпЕчМрОдЛф");
  EXPECT_EQ(Key("ADJF,Qual inan,plur,accs"), "ВпМчНдЛф");
  EXPECT_EQ(Key("ADJF,Qual femn,sing,ablt,V-ey"), "ТпЕчЖрЛфУс");
  EXPECT_EQ(Key("ADJS,Qual femn,sing"), "ЕчЖрКф");
  EXPECT_EQ(Key("COMP,Qual"), "Сф");
  EXPECT_EQ(Key("COMP,Qual Cmp2"), "СфУс");
  EXPECT_EQ(Key("PRTF,perf,tran,past,pssv masc,sing,nomn"), "ИпЕчМрЧвПтСзЛф");
  EXPECT_EQ(Key("PRTF,perf,tran,past,actv masc,sing,nomn"), "ИпЕчМрЧвПтДзЛф");
  EXPECT_EQ(Key("PRTS,perf,past,pssv neut,sing"), "ЕчСрЧвПтСзКф");
  EXPECT_EQ(InterpretTag("ADJF,Qual masc,sing,nomn").noun_key, "");
}

TEST(OpenCorporaTags, VerbForms) {
  EXPECT_EQ(Key("INFN,perf,tran"), "ИвПф");
  EXPECT_EQ(Key("VERB,perf,tran sing,1per,futr,indc"), "Еч1лНвБтПф");
  EXPECT_EQ(Key("VERB,impf,tran plur,3per,pres,indc"), "Мч3лНвНтПф");
  EXPECT_EQ(Key("VERB,perf,tran femn,sing,past,indc"), "ЕчЖрНвПтПф");
  EXPECT_EQ(Key("VERB,perf,tran sing,impr,excl"), "Еч2лПвПф");
  EXPECT_EQ(Key("VERB,perf,intr plur,impr,incl"), "Мч1лПвПф");
  EXPECT_EQ(Key("GRND,perf,tran past"), "ДвПт");
  EXPECT_EQ(Key("GRND,perf,tran past,V-sh"), "ДвПтУс");
  EXPECT_EQ(InterpretTag("INFN,perf,tran").verb_aspect, aspect::perfective);
  EXPECT_EQ(InterpretTag("VERB,impf,intr sing,3per,pres,indc").verb_aspect, aspect::imperfective);
  EXPECT_EQ(InterpretTag("INFN,perf,tran").pos, part_of_speech::verb);
  EXPECT_EQ(InterpretTag("GRND,impf,tran pres").pos, part_of_speech::verb);
}

TEST(OpenCorporaTags, OtherParts) {
  EXPECT_EQ(Key("NPRO,1per sing,nomn"), "ИпЕч1л");
  EXPECT_EQ(Key("NPRO,masc,3per,Anph sing,gent"), "РпЕчМр3л");
  EXPECT_EQ(Key("NUMR anim,masc,accs"), "ВпМрОд");
  EXPECT_EQ(Key("ADVB"), "1ф");
  EXPECT_EQ(Key("PRED,pres"), "Нт1ф");
  // Unchanging words still bind their one form, under a key of their own.
  EXPECT_EQ(Key("CONJ"), "Нф");
  EXPECT_EQ(Key("PRCL"), "Нф");
  EXPECT_EQ(Key("INTJ"), "Нф");
  EXPECT_EQ(InterpretTag("PREP").pos, part_of_speech::preposition);
  EXPECT_EQ(InterpretTag("LATN").pos, part_of_speech::other);
  EXPECT_TRUE(InterpretTag("ADJF,Apro masc,sing,nomn").closed_class);
  EXPECT_TRUE(InterpretTag("ADJF,Anum masc,sing,nomn").ordinal);
  EXPECT_FALSE(InterpretTag("ADJF,Anum masc,sing,nomn").closed_class);
  for (const char* tag : {"NPRO,1per sing,nomn", "CONJ", "PRCL", "PRED,pres", "INTJ", "NUMR nomn"})
    EXPECT_TRUE(InterpretTag(tag).closed_class) << tag;
  EXPECT_FALSE(InterpretTag("NOUN,inan,femn sing,nomn").closed_class);
}

TEST(OpenCorporaTags, FormsLeftOut) {
  EXPECT_EQ(InterpretTag("NOUN,anim,masc sing,voct").exclusion, form_exclusion::vocative);
  for (const char* tag : {"NOUN,inan,neut,Abbr sing,nomn", "NOUN,anim,femn,Surn sing,nomn", "NOUN,inan,femn,Orgn sing,nomn",
                          "NOUN,inan,masc,Trad sing,nomn", "ADJF masc,sing,nomn,Erro", "VERB,perf,intr plur,past,indc,Dist",
                          "NOUN,anim,masc,Init sing,nomn", "NOUN,anim,masc,Name,Erro sing,nomn"})
    EXPECT_EQ(InterpretTag(tag).exclusion, form_exclusion::unwanted_kind) << tag;
  EXPECT_EQ(InterpretTag("ADJF,Supr,Qual masc,sing,nomn").exclusion, form_exclusion::superlative);
  EXPECT_EQ(InterpretTag("NOUN,inan,femn sing,nomn").exclusion, form_exclusion::none);
}

TEST(OpenCorporaTags, FirstNamesPatronymicsAndPlacesAreNouns) {
  const tag_meaning name = InterpretTag("NOUN,anim,masc,Name sing,datv");
  EXPECT_EQ(name.name, proper_name::first_name);
  EXPECT_EQ(name.exclusion, form_exclusion::none);
  EXPECT_EQ(name.pos, part_of_speech::noun);
  EXPECT_EQ(name.form_key, "ДпЕч");
  EXPECT_EQ(name.noun_key, "МрОд");
  const tag_meaning patronymic = InterpretTag("NOUN,anim,femn,Patr sing,nomn");
  EXPECT_EQ(patronymic.name, proper_name::patronymic);
  EXPECT_EQ(patronymic.noun_key, "ЖрОд");
  const tag_meaning place = InterpretTag("NOUN,inan,femn,Sgtm,Geox sing,gent");
  EXPECT_EQ(place.name, proper_name::place);
  EXPECT_EQ(place.exclusion, form_exclusion::none);
  EXPECT_EQ(place.default_key, "Еч");
  EXPECT_EQ(InterpretTag("NOUN,anim,femn sing,nomn").name, proper_name::none);
  EXPECT_EQ(InterpretTag("NOUN,anim,masc,Name sing,voct").exclusion, form_exclusion::vocative);
}

TEST(OpenCorporaTags, RareWordsAndRareForms) {
  EXPECT_TRUE(InterpretTag("NOUN,inan,masc,Slng sing,nomn").rare_lexeme);
  EXPECT_TRUE(InterpretTag("INFN,impf,intr,Arch").rare_lexeme);
  // A whole word marked informal is ranked lower, its forms are no variants.
  EXPECT_EQ(Key("NOUN,inan,masc,Infr sing,nomn"), "ИпЕч");
  EXPECT_EQ(Key("NOUN,inan,masc sing,nomn,Infr"), "ИпЕчУс");
  EXPECT_EQ(Key("NOUN,inan,masc sing,nomn,Arch"), "ИпЕчУс");
}

TEST(OpenCorporaTags, CutPriorities) {
  int variant = InterpretTag("PRTF,perf,tran,past,actv femn,sing,ablt,V-ey").cut_priority;
  int short_participle = InterpretTag("PRTS,perf,past,pssv neut,sing").cut_priority;
  int passive = InterpretTag("PRTF,perf,tran,past,pssv masc,sing,nomn").cut_priority;
  int active_plural_locative = InterpretTag("PRTF,impf,tran,pres,actv plur,loct").cut_priority;
  int active_singular_nominative = InterpretTag("PRTF,impf,tran,pres,actv masc,sing,nomn").cut_priority;
  EXPECT_GT(variant, 0);
  EXPECT_LT(variant, short_participle);
  EXPECT_LT(short_participle, passive);
  EXPECT_LT(passive, active_plural_locative);
  EXPECT_LT(active_plural_locative, active_singular_nominative);
  for (const char* tag : {"INFN,perf,tran", "VERB,perf,tran sing,1per,futr,indc", "GRND,perf,tran past",
                          "NOUN,inan,femn sing,nomn", "ADJF,Qual masc,sing,nomn"})
    EXPECT_EQ(InterpretTag(tag).cut_priority, 0) << tag;
}

TEST(OpenCorporaTags, ClassesAndVerbOwnKeys) {
  EXPECT_EQ(ClassesOf(part_of_speech::noun, false, false), std::vector<std::string>{"@существительное"});
  EXPECT_EQ(ClassesOf(part_of_speech::verb, true, false), std::vector<std::string>{"@совершенный_глагол"});
  EXPECT_EQ(ClassesOf(part_of_speech::verb, true, true),
            (std::vector<std::string>{"@совершенный_глагол", "@несовершенный_глагол"}));
  EXPECT_TRUE(ClassesOf(part_of_speech::verb, false, false).empty());
  EXPECT_TRUE(ClassesOf(part_of_speech::preposition, false, false).empty());
  EXPECT_EQ(ClassesOf(part_of_speech::predicative, false, false), std::vector<std::string>{"@предикатив"});
  EXPECT_EQ(VerbOwnKey("взять", true, false), "Сш");
  EXPECT_EQ(VerbOwnKey("ложиться", false, true), "НшВз");
  EXPECT_EQ(VerbOwnKey("пройтись", true, false), "СшВз");
  EXPECT_EQ(VerbOwnKey("жениться", true, true), "Вз");
  EXPECT_EQ(CommonKeyPairs("МрОд", "МрНд"), "Мр");
  EXPECT_EQ(CommonKeyPairs("ЖрНд", "МрОд"), "");
  EXPECT_EQ(CommonKeyPairs("Еч1лНвБтПф", "1лПф"), "1лПф");
}
