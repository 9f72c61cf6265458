// Grammatical keys: matrices built from key texts, matching and scoring.

#include <gtest/gtest.h>

#include "key_matrix.h"
#include "test_support.h"

namespace {

TEST(key_matrix, SettingAndClearingKeysKeepsTheCounts) {
  key_matrix m;
  m.SetKey(u'п', u'И');
  m.SetKey(u'п', u'Р');  // a set key keeps its first marker
  m.SetKey(u'ч', u'*');
  m.SetKey(u'м', u'!');
  EXPECT_EQ(m.GetMarker(u'п'), u'И');
  EXPECT_EQ(m.KeyCount(), 2);
  EXPECT_EQ(m.StarCount(), 1);
  EXPECT_TRUE(m.HasOptional());
  EXPECT_EQ(m.GetMarker(u'\u0452'), 0);
  EXPECT_EQ(wide_message([&] { m.SetKey(u'\u0452', u'x'); }), "key_matrix::SetKey() - invalid key marker!");
  EXPECT_EQ(wide_message([&] { m.SetKey(u'\t', u'x'); }), "key_matrix::SetKey() - invalid key marker!");

  m.ClearKeys(u"чм");
  EXPECT_EQ(m.GetMarker(u'ч'), 0);
  EXPECT_EQ(m.StarCount(), 0);
  // Clearing a "!" key counts it down too and leaves the flag.
  EXPECT_EQ(m.KeyCount(), 0);
  EXPECT_TRUE(m.HasOptional());
  EXPECT_EQ(wide_message([&] { m.ClearKeys(u"\u0500"); }), "key_matrix::SetKey() - invalid key marker!");
  m.Clear();
  EXPECT_EQ(m.GetMarker(u'п'), 0);
  EXPECT_FALSE(m.HasOptional());
}

TEST(key_matrix, KeyTextsParseAndWriteBack) {
  key_matrix m(u";;Ип #Вч; Тр");
  EXPECT_EQ(m.GetMarker(u'п'), u'И');
  EXPECT_EQ(m.GetMarker(u'ч'), u'В');
  EXPECT_EQ(m.GetMarker(u'р'), 0);  // after ";" comes a comment
  // A "#" in a pair's second place is a key character.
  m.AddKey(u"$#");
  EXPECT_EQ(m.GetMarker(u'#'), u'$');

  key_matrix filtered;
  filtered.AddKey(u"ИпЕчcp", u"пp");
  EXPECT_EQ(filtered.GetKey(), u"cpИп");

  key_matrix ordered(u"Рп+t$v*+");
  EXPECT_EQ(ordered.GetKey(all_key_chars), u"+t*+$vРп");
  EXPECT_EQ(ordered.GetKey(u"пv"), u"Рп$v");
  EXPECT_EQ(wide_message([&] { ordered.GetKey(u""); }), "key_matrix::GetKey()");
  EXPECT_EQ(wide_message([&] { ordered.GetKey(nullptr); }), "key_matrix::GetKey()");

  key_matrix broken;
  try {
    broken.AddKey(u"ИпВ");
    FAIL() << "an odd key text was accepted";
  } catch (const wstring& message) {
    EXPECT_EQ(message, u"key_matrix::AddKey() invalid key - ИпВ");
  }
  EXPECT_EQ(broken.GetMarker(u'п'), u'И');  // keys set before the fault stay
  broken.AddKey(nullptr);
  broken.AddKey(u"");
  EXPECT_EQ(broken.KeyCount(), 1);
}

TEST(key_matrix, KeyListsHoldTheirCharacters) {
  EXPECT_EQ(std::char_traits<char16_t>::length(latin_key_chars), 90u);
  EXPECT_EQ(std::char_traits<char16_t>::length(russian_key_chars), 66u);
  EXPECT_EQ(std::char_traits<char16_t>::length(all_key_chars), 156u);
  EXPECT_EQ(latin_key_chars[0], u't');
  EXPECT_EQ(latin_key_chars[1], u'+');
  for (char16_t excluded : std::u16string(u";<=\\")) {
    EXPECT_EQ(std::char_traits<char16_t>::find(latin_key_chars, 90, excluded), nullptr);
  }
}

TEST(key_matrix, MatchingAgainstTheMatrix) {
  key_matrix m(u"ИпЕч");
  EXPECT_FALSE(m.Matches(u""));
  EXPECT_FALSE(m.Matches(nullptr));
  EXPECT_TRUE(m.Matches(u"Ип Еч"));
  EXPECT_TRUE(m.Matches(u"ИпЕчМр"));       // extra keys are fine unless strict
  EXPECT_FALSE(m.Matches(u"ИпЕчМр", true));
  EXPECT_TRUE(m.Matches(u"Ип", true));     // strict: every pair known, not all needed
  EXPECT_FALSE(m.Matches(u"Ип"));          // not strict: every key must be hit
  EXPECT_FALSE(m.Matches(u"РпЕч"));        // a differing marker
  EXPECT_TRUE(m.Matches(u"*пЕч"));         // a star in the text is a wildcard for a key
  EXPECT_FALSE(m.Matches(u"ИпЕч*р"));      // but must exist in the matrix

  key_matrix stars(u"*п!ч");
  EXPECT_FALSE(stars.Matches(u"*п"));  // star against star
  EXPECT_FALSE(stars.Matches(u"!п"));
  EXPECT_TRUE(stars.Matches(u"Рп"));
  EXPECT_FALSE(stars.Matches(u"Рп*ч"));
}

TEST(key_matrix, ScoringKeyTexts) {
  key_matrix two_stars(u"*п*ч");
  EXPECT_EQ(two_stars.Score(u"Ип"), 0);            // only one of the required keys
  EXPECT_EQ(two_stars.Score(u"ИпЕч"), 106);        // both, 3 each
  EXPECT_EQ(two_stars.Score(u"ИпЕчМр"), 105);      // an unknown key costs one

  key_matrix plain(u"Ип");
  EXPECT_EQ(plain.Score(u"МрЕч"), 0);               // untouched
  EXPECT_EQ(plain.Score(u"РпЕч"), 0);               // conflict
  EXPECT_EQ(plain.Score(u"Ип*ч"), 0);               // a required key the matrix lacks
  EXPECT_EQ(plain.Score(u";Ип #Мр; Ед"), 102);      // one leading ";" skipped, later ";" ends
  EXPECT_EQ(plain.Score(u""), 0);

  key_matrix optional_key(u"!м");
  EXPECT_EQ(optional_key.Score(u"!рЕчМв"), 99);     // +1 for "!", -1 for each other
  EXPECT_EQ(optional_key.Score(u"!р!ч"), 102);
}

key_list list_of(std::initializer_list<const char16_t*> texts) {
  key_list list;
  for (const char16_t* text : texts) list.Add(text);
  return list;
}

TEST(key_list, ScoringMarkingAndFiltering) {
  key_list list = list_of({u"Ип", u"Рп", u"ИпЕч"});
  EXPECT_EQ(list.ScoreAll(u"ИпЕч"), 106);
  EXPECT_EQ(list[0].score, 103);
  EXPECT_EQ(list[1].score, 0);
  EXPECT_EQ(key_list().ScoreAll(u"Ип"), 0);

  EXPECT_TRUE(list.KeepMarked(false));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0].key_text, u"Ип");
  EXPECT_EQ(list[0].score, 0);  // the survivors start afresh
  EXPECT_FALSE(list.KeepMarked(false));  // nothing marked: nothing deleted
  EXPECT_EQ(list.Count(), 2);
  EXPECT_TRUE(list.KeepMarked(true));
  EXPECT_EQ(list.Count(), 0);

  key_list matching = list_of({u"Ип", u"Рп", u"ИпЕч"});
  EXPECT_TRUE(matching.MarkMatching(key_matrix(u"Ип")));
  EXPECT_EQ(matching[0].score, 100);
  EXPECT_EQ(matching[1].score, 0);
  EXPECT_EQ(matching[2].score, 100);
  EXPECT_TRUE(matching.DropMarked(false));
  ASSERT_EQ(matching.Count(), 1);
  EXPECT_EQ(matching[0].key_text, u"Рп");
  EXPECT_FALSE(matching.MarkMatching(key_matrix(u"Ип")));

  key_list all_marked = list_of({u"Ип"});
  all_marked.MarkMatching(key_matrix(u"Ип"));
  EXPECT_FALSE(all_marked.DropMarked(false));
  EXPECT_TRUE(all_marked.DropMarked(true));
}

TEST(key_list, CrossScoringKeepsTheBestOnBothSides) {
  key_list nouns = list_of({u"ИпЕчМр", u"ВпЕчЖр"});
  key_list adjectives = list_of({u"ИпЕч", u"ВпЕч", u"ТпМч"});
  key_matrix m;
  EXPECT_EQ(key_list::CrossScore(m, nouns, adjectives, u"пч"), 106);
  EXPECT_EQ(nouns[0].score, 106);
  EXPECT_EQ(nouns[1].score, 106);
  EXPECT_EQ(adjectives[0].score, 106);
  EXPECT_EQ(adjectives[1].score, 106);
  EXPECT_EQ(adjectives[2].score, 0);
  EXPECT_EQ(m.GetKey(), u"ВпЕч");  // the matrix holds the last item's keys
}

}  // namespace
