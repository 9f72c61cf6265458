// The output pool: collecting a turn's text and finishing it.

#include "output_pool.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <string>

#include "test_support.h"

namespace {

wstring printed(output_pool& pool) {
  wstring text;
  for (const output_pool_item& item : pool.Items()) text += item.print_text;
  return text;
}

// Adds the pieces, finishes the turn and answers what is shown.
wstring finished(output_pool& pool, std::initializer_list<const char16_t*> pieces) {
  pool.Clear();
  for (const char16_t* piece : pieces) pool.Add(wstring(piece));
  pool.Finish();
  return printed(pool);
}

wstring finished(std::initializer_list<const char16_t*> pieces) {
  output_pool pool;
  return finished(pool, pieces);
}

// "к" becomes "ко" before "мн..."; "с" stays as it is; nothing else is a
// word object.
class fake_words : public output_words {
 public:
  bool PrepositionForm(const wstring& word, const wstring& next, wstring& form) const override {
    if (word == u"к") {
      form = next.Left(2) == u"мн" ? u"ко" : u"к";
      return true;
    }
    if (word == u"с") {
      form = u"с";
      return true;
    }
    return false;
  }
};

TEST(output_pool, JoinedPiecesLeaveOneMark) {
  EXPECT_EQ(finished({u"Дверь ", u".", u" Окно.", u", а за ним"}), u"Дверь. Окно. А за ним");
  // A deleted first mark hands the pairing back to the mark before it.
  EXPECT_EQ(finished({u"Да ,."}), u"Да.");
  EXPECT_EQ(finished({u"Да. ,."}), u"Да.");
  // Mark-up between two marks does not part them; a word does.
  EXPECT_EQ(finished({u"Да <b>.</b>"}), u"Да<b>.</b>");
  EXPECT_EQ(finished({u"Да , нет ."}), u"Да, нет.");
  EXPECT_EQ(finished({u"Ну..."}), u"Ну...");
  EXPECT_EQ(finished({u"Ну....", u" Так?!"}), u"Ну... Так?!");
  // "_" swallows the spaces around it and becomes one.
  EXPECT_EQ(finished({u"Да _ нет"}), u"Да нет");
  EXPECT_EQ(finished({u"Конец\n ."}), u"Конец\n");
}

TEST(output_pool, CapitalsSpacingAndSpokenFullStops) {
  EXPECT_EQ(finished({u"начало. конец! latin. 5 яблок?\nвторая строка"}),
            u"Начало. Конец! latin. 5 яблок?\nВторая строка");
  // A Russian word straight after a mark gets a space; Latin words and
  // numbers do not.
  EXPECT_EQ(finished({u"раз.два,<b>три</b>:four,5"}), u"Раз. Два, <b>три</b>:four,5");
  EXPECT_EQ(finished({u"Слово,\"цитата\""}), u"Слово,\"цитата\"");
  // A closing quote after a mark stays close to it; a word after it is spaced.
  EXPECT_EQ(finished({u"«Сейчас!» Федя. «Да.»"}), u"«Сейчас!» Федя. «Да.»");
  EXPECT_EQ(finished({u"«Да.»,а"}), u"«Да.», а");

  // A remark in brackets keeps the letter it was written with.
  EXPECT_EQ(finished({u"(сначала сняв плащ)\nвы повесили его. (Это всё.) (а)"}),
            u"(сначала сняв плащ)\nВы повесили его. (Это всё.) (а)");

  output_pool pool;
  EXPECT_EQ(finished(pool, {u"первая\nвторая.\nтретья"}), u"Первая\nВторая.\nТретья");
  EXPECT_EQ(pool.GetSpeechText(), u"первая.\nвторая.\nтретья");
}

TEST(output_pool, PrepositionsAgreeWithTheNextWord) {
  fake_words words;
  output_pool pool;
  EXPECT_EQ(finished(pool, {u"к мне"}), u"К мне");  // no world loaded
  pool.SetWords(&words);
  EXPECT_EQ(finished(pool, {u"Иду к мне, к <b>мне</b> и к тебе"}), u"Иду ко мне, ко <b>мне</b> и к тебе");
  EXPECT_EQ(finished(pool, {u"Пошёл с им и дал им"}), u"Пошёл с ним и дал им");
  EXPECT_EQ(pool.Items()[4].speech_text, u"ним");
  // Punctuation or a sign between them ends the search.
  EXPECT_EQ(finished(pool, {u"с, им; с+им"}), u"С, им; с+им");
}

TEST(output_pool, ReflexiveVerbDropsSebya) {
  EXPECT_EQ(finished({u"Он умылся себя. Он мыл себя. Он умылся, себя."}), u"Он умылся. Он мыл себя. Он умылся, себя.");
  // Short words between keep the verb's mark; a short verb sets none.
  EXPECT_EQ(finished({u"Умылась бы себя, вся себя"}), u"Умылась бы, вся себя");
  EXPECT_EQ(finished({u"УМЫЛАСЬ <i>СЕБЯ</i>"}), u"УМЫЛАСЬ <i></i>");
}

TEST(output_pool, LocationShownOnlyWhenItChanged) {
  output_pool pool;
  pool.Add(wstring(u"<location>Зал</location>"));
  EXPECT_FALSE(pool.PrintedOutsideLocation());
  pool.Add(wstring(u"Тихо."));
  EXPECT_TRUE(pool.PrintedOutsideLocation());
  pool.Finish();
  EXPECT_FALSE(pool.PrintedOutsideLocation());
  EXPECT_EQ(printed(pool), u"<location>Зал</location>Тихо.");

  EXPECT_EQ(finished(pool, {u"<location>Зал</location>", u"Тихо."}), u"Тихо.");
  EXPECT_EQ(finished(pool, {u"<location class=x>Кухня</location>Пахнет."}),
            u"<location class=x>Кухня</location>Пахнет.");
  EXPECT_EQ(finished(pool, {u"<location>Кухня</location>"}), u"");
  EXPECT_EQ(finished(pool, {u"<location>Зал</location>"}), u"<location>Зал</location>");
  // A turn without a location keeps the one last shown.
  EXPECT_EQ(finished(pool, {u"Ничего."}), u"Ничего.");
  EXPECT_EQ(finished(pool, {u"<location>Зал</location>"}), u"");

  pool.Clear();
  pool.Add(wstring(u"<location>А</location>б<location>В"));
  pool.RemoveLocations();
  EXPECT_EQ(printed(pool), u"б<location>В");
}

TEST(output_pool, BackslashKeepsMarkupAsText) {
  output_pool pool;
  EXPECT_EQ(finished(pool, {u"Шум[шшш] и 2 \\< 3: \\[тихо]"}), u"Шум и 2 < 3: [тихо]");
  EXPECT_EQ(pool.Items()[0].speech_text, u"[шшш]");
  // An escaped location tag is no location for the pool, so it is never
  // taken for a repeat.
  EXPECT_EQ(finished(pool, {u"\\<location>Зал</location>"}), u"<location>Зал</location>");
  EXPECT_EQ(finished(pool, {u"\\<location>Зал</location>"}), u"<location>Зал</location>");
  EXPECT_EQ(finished(pool, {u"a\\\\b"}), u"a\\b");
}

TEST(output_pool, SpeechLeavesOutHostCallsAndWritesStressMarks) {
  output_pool pool;
  pool.Add(wstring(u"<b>Зам`ок</b> открыт. "));
  pool.AddItem(output_pool::call_kind, wstring(u"звук"), wstring(u"гром.wav"));
  pool.AddItem(output_pool::call_argument_kind, wstring(u"громко"), wstring(u"громко"));
  pool.Add(wstring(u"Ст`ой[стой]"));
  pool.Finish();
  EXPECT_EQ(pool.GetSpeechText(), u"Зам<ок открыт. [стой]");
  EXPECT_EQ(printed(pool), u"<b>Зам`ок</b> открыт. звукгромкоСт`ой");
}

TEST(output_pool, HighlightMarksTheLettersThatDiffer) {
  auto red = [](const char16_t* c) { return std::u16string(u"<b><font color='red'>") + c + u"</font></b>"; };
  EXPECT_EQ(output_pool::Highlight(u"кот", u"кот"), u"кот");
  EXPECT_EQ(output_pool::Highlight(u"кит", u"кот"), (std::u16string(u"к") + red(u"и") + u"т").c_str());
  // A letter too many is skipped over, a missing one is stepped across.
  EXPECT_EQ(output_pool::Highlight(u"коорт", u"корт"), (std::u16string(u"ко") + red(u"о") + u"рт").c_str());
  EXPECT_EQ(output_pool::Highlight(u"кпт", u"корт"), (std::u16string(u"к") + red(u"п") + u"т").c_str());
  EXPECT_EQ(output_pool::Highlight(u"да", nullptr), (red(u"д") + red(u"а")).c_str());
  EXPECT_EQ(output_pool::Highlight(nullptr, u"да"), u"");
}

bool is_scan_message(const std::string& message) {
  return message == "недопустимый символ в строке!" ||
         message == "wchar_set::GetCloseBracket() закрывающая скобка не найдена!" ||
         message == "В коде есть незакрытые скобки {}" || message == "скобки или кавычки не закрыты!" ||
         message.find(" \n- неверно закрыта скобка ") != std::string::npos ||
         (message.rfind("лексема '", 0) == 0 &&
          message.find("' содержит и русские и латинские буквы!") != std::string::npos);
}

// Runs one turn; answers the scan message raised, or "" when none was.
std::string run_turn(output_pool& pool, const std::u16string& text) {
  std::string message;
  pool.Clear();
  try {
    pool.Add(wstring(text.c_str()));
  } catch (const char16_t* error) {
    message = utf8(error);
  } catch (const char* error) {
    message = error;
  } catch (const wstring& error) {
    message = utf8(error.Text());
  }
  pool.Finish();
  pool.GetSpeechText();
  return message;
}

std::u16string repeated(const std::u16string& piece, int times) {
  std::u16string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

bool is_forbidden(char16_t c) { return c == 0x0400 || (c >= 0x0402 && c <= 0x040F) || c == 0x0450; }

TEST(output_pool, HostileTextsEndInScanMessagesOnly) {
  std::mt19937 random(20240611);
  // Pieces that scan without error come first, so long texts can be made of
  // them alone and be scanned to their end; brackets that may pair wrongly
  // and a forbidden character follow.
  const std::u16string pieces[] = {u" ",           u".",   u",",    u";",    u":",      u"!",   u"?",    u"_",
                                   u"\n",          u"\r",  u"\\",   u">",    u"<",      u"<b>", u"</b>", u"<location>",
                                   u"</location>", u"...", u"им",   u"себя", u"умылся", u"к",   u"2d6",  u"`",
                                   u"\"",          u"-",   u"word", u"//",   u"{",      u"[",   u"]",    u"Ѐ"};
  const size_t safe_pieces = std::size(pieces) - 3;
  auto from_pieces = [&](size_t count, size_t choices) {
    std::u16string text;
    while (text.size() < count) text += pieces[random() % choices];
    return text;
  };
  auto any_units = [&](size_t count, bool forbidden) {
    std::u16string text;
    while (text.size() < count) {
      char16_t c = char16_t(random());
      if (c != 0 && (forbidden || !is_forbidden(c))) text += c;
    }
    return text;
  };
  fake_words words;
  output_pool pool;
  pool.SetWords(&words);
  // Long texts that scan without error are taken whole.
  const std::u16string long_texts[] = {
      std::u16string(250000, u'[') + std::u16string(250000, u']'),
      from_pieces(50000, safe_pieces),
      std::u16string(20000, u'<'),
      std::u16string(u"[") + std::u16string(20000, u'<'),
      std::u16string(20000, u'\\') + u"[",
      // Marks behind a long run of mark-up, deleted one after another.
      std::u16string(u",") + repeated(u"<b>", 20000) + repeated(u" ,", 20000),
      std::u16string(u"умылся") + repeated(u" себя", 5000) + repeated(u" к им", 5000),
  };
  for (const std::u16string& text : long_texts) EXPECT_EQ(run_turn(pool, text), "");
  for (int i = 0; i < 300; ++i) {
    std::u16string text = i % 2 ? from_pieces(random() % 200, std::size(pieces)) : any_units(random() % 200, true);
    if (i == 0) text = any_units(500000, false);
    std::string raised = run_turn(pool, text);
    EXPECT_TRUE(raised.empty() || is_scan_message(raised)) << raised;
  }
}

}  // namespace
