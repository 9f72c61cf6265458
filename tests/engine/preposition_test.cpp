// Prepositions: descriptions, the form before the next word, the index of
// preposition forms, and the output pool agreeing prepositions through the
// world.

#include <gtest/gtest.h>

#include "keyword_table.h"
#include "obj_word.h"
#include "output_pool.h"
#include "test_support.h"
#include "world.h"

namespace {

class preposition : public ::testing::Test {
 protected:
  obj_word* Make(const char16_t* name, const char16_t* description = nullptr) {
    auto* made = static_cast<obj_word*>(home.Create(&home, kw::type_preposition, true, name));
    if (description) made->SetDescription(description);
    return made;
  }

  // The message a description raises, wide or 8-bit.
  std::string DescriptionMessage(const char16_t* description) {
    obj_word* fresh = Make(u"из");
    std::string message = "<nothing thrown>";
    try {
      fresh->SetDescription(description);
    } catch (const char16_t* wide) {
      message = utf8(wide);
    } catch (const char* narrow) {
      message = narrow;
    }
    EXPECT_EQ(fresh->uses.Count(), 0) << utf8(description);
    home.Destroy(fresh);
    return message;
  }

  world home{u"игра"};
};

TEST_F(preposition, FormBeforeTheNextWord) {
  obj_word* with = Make(u"С", u"со мной\nсо с*\nсо вс*  // со всеми, кроме вторника\n");
  EXPECT_EQ(with->GetPreposition(u"мной"), u"со");
  EXPECT_EQ(with->GetPreposition(u"МНОЙ"), u"со");
  EXPECT_EQ(with->GetPreposition(u"стеной"), u"со");
  EXPECT_EQ(with->GetPreposition(u"всеми"), u"со");
  // Words after a pattern that do not begin with its stem, words before
  // every pattern and words after the last keep the name as declared.
  EXPECT_EQ(with->GetPreposition(u"вторником"), u"С");
  EXPECT_EQ(with->GetPreposition(u"домом"), u"С");
  EXPECT_EQ(with->GetPreposition(u"яблоком"), u"С");
  EXPECT_EQ(Make(u"к")->GetPreposition(u"мне"), u"к");
  EXPECT_EQ(narrow_message([&] { with->GetPreposition(wstring()); }), "obj_word::GetPreposition() ожидалось слово!");
}

TEST_F(preposition, DescriptionRecords) {
  obj_word* about = Make(u"о",
                         u"  ОБ,а*;\r\n\r\n// only a comment\n"
                         u"обо\tмнЁ\n"
                         u"об мне\n"
                         u"объект Вп Тп\n"
                         u"word, ?п Рп, где,Рп\n"
                         u"слово Дп ПпРп");
  ASSERT_EQ(about->forms.Count(), 2);
  EXPECT_EQ(about->forms[0].key, u"а*");
  EXPECT_EQ(about->forms[0].text, u"об");
  // The first text given for a pattern stays.
  EXPECT_EQ(about->forms[1].key, u"мне");
  EXPECT_EQ(about->forms[1].text, u"обо");

  ASSERT_EQ(about->uses.Count(), 3);
  const obj_word::prep_data_item& object_use = about->uses[0];
  EXPECT_EQ(object_use.value_type, kw::type_object);
  EXPECT_EQ(object_use.keys.GetMarker(u'п'), u'В');
  EXPECT_EQ(object_use.result_key, u"Тп");
  EXPECT_TRUE(object_use.text.IsEmpty());
  EXPECT_TRUE(object_use.base_key.IsEmpty());
  const obj_word::prep_data_item& word_use = about->uses[1];
  EXPECT_EQ(word_use.value_type, kw::type_word);
  EXPECT_EQ(word_use.keys.GetMarker(u'п'), u'?');
  EXPECT_EQ(word_use.text, u"где");
  EXPECT_EQ(word_use.base_key, u"Рп");
  EXPECT_EQ(about->uses[2].result_key, u"ПпРп");

  // Keys of exactly six characters are long enough.
  obj_word* at = Make(u"у", u"bool Вп ПпРпДп текст ПпРпДп");
  EXPECT_EQ(at->uses[0].value_type, kw::type_bool);
}

TEST_F(preposition, DescriptionMessages) {
  const std::string format1 = "нарушен формат описания предлога 1";
  const std::string format2 = "нарушен формат описания предлога 2";
  const std::string format3 = "нарушен формат описания предлога 3";
  EXPECT_EQ(DescriptionMessage(u"о Вп Тп д"), format3);
  EXPECT_EQ(DescriptionMessage(u"1 2 3 4 5 6"), format3);
  EXPECT_EQ(DescriptionMessage(u"1 2 3 4 5 6 7 8"), format1);
  EXPECT_EQ(DescriptionMessage(u"1 2 3 4 5 6 7,"), format1);
  EXPECT_EQ(DescriptionMessage(u"1 2 3 4 5 6 7"), format2);
  // Lengths are checked before the type: the base key first.
  EXPECT_EQ(DescriptionMessage(u"нечто Вп 1234567 т 1234567"), "слишком длинный базовый ключ!");
  EXPECT_EQ(DescriptionMessage(u"нечто Вп 1234567 т 123456"), "слишком длинный результирующий ключ!");
  EXPECT_EQ(DescriptionMessage(u"нечто Вп 1234567"), "слишком длинный результирующий ключ!");
  EXPECT_EQ(DescriptionMessage(u"нечто Вп Тп"), "не найден тип значения!");
  EXPECT_EQ(DescriptionMessage(u"preposition Вп Тп"), "не найден тип значения!");
  // A key with a marker and no character is refused by the key matrix.
  obj_word* to = Make(u"к");
  try {
    to->SetDescription(u"число ВпТ Тп");
    ADD_FAILURE() << "no message";
  } catch (const wstring& message) {
    EXPECT_EQ(message, u"key_matrix::AddKey() invalid key - ВпТ");
  }
  EXPECT_EQ(to->uses.Count(), 0);
}

TEST_F(preposition, FormIndexAndListing) {
  Make(u"с", u"со с*\nсо мной");
  obj_word* about = Make(u"О", u"об а*\nобо мне");
  // A text keeps the preposition it was entered for first.
  obj_word* in = Make(u"в", u"во вс*");
  Make(u"во", u"");
  int pos;
  ASSERT_TRUE(home.prepforms.Find(u"во", pos));
  EXPECT_EQ(home.prepforms[pos].meaning.GetEntity(), in);
  EXPECT_EQ(home.prepforms[pos].meaning.Type(), kw::type_preposition);

  EXPECT_EQ(home.prepforms.Listing(),
            u"preposition(0во#вс*)\n"
            u"preposition(0во#вс*)\n"
            u"preposition(0об#а*,1обо#мне)\n"
            u"preposition(0об#а*,1обо#мне)\n"
            u"preposition(0об#а*,1обо#мне)\n"
            u"preposition(0со#мной,1со#с*)\n"
            u"preposition(0со#мной,1со#с*)\n");
  // The listing never touches a preposition that is gone, and its texts
  // go to the next preposition that takes them.
  home.Destroy(about);
  EXPECT_EQ(home.prepforms.Listing().Mid(42, 14), u"preposition()\n");
  obj_word* ob = Make(u"об", u"");
  ASSERT_TRUE(home.prepforms.Find(u"об", pos));
  EXPECT_EQ(home.prepforms[pos].meaning.GetEntity(), ob);
}

TEST_F(preposition, OutputPoolAgreesThroughTheWorld) {
  Make(u"с", u"со мной\nсо с*");
  Make(u"к", u"ко мне");
  output_pool pool;
  pool.SetWords(&home);
  pool.Add(u"Иду к мне и с стеной, с им и к окну, дал им.");
  pool.Finish();
  wstring printed;
  for (const output_pool_item& item : pool.Items()) printed += item.print_text;
  EXPECT_EQ(printed, u"Иду ко мне и со стеной, с ним и к окну, дал им.");
  EXPECT_EQ(pool.GetSpeechText(), u"Иду ко мне и со стеной, с ним и к окну, дал им.");
}

}  // namespace
