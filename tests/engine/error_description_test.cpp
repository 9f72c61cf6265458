// The replies to commands that no reading made sense of, on readings built
// by hand in a small world and, when it is built, with the full dictionary.

#include <cstdlib>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "code_world.h"
#include "dictionary_fixture.h"
#include "find_word.h"
#include "obj_word.h"
#include "parsed_string.h"
#include "system_factory.h"

namespace {

const char16_t* const test_world = uR"(
@существительное {}
@прилагательное {}
@ругательство {}
$лампа {
  @существительное
  #ИпЕч = "лампа"
  #РпЕч = "лампы"
  #ВпЕч = "лампу"
  #РпМч = "ламп"
}
$ключ {
  @существительное
  #РпЕч = "ключа"
  #ИпМч = "ключи"
}
$кухня {
  @существительное
  #ИпЕч = "кухня"
  #РпЕч = "кухни"
}
$красный {
  @прилагательное
  #ИпЕчЖрЛф = "красная"
  #ИпЕчМрЛф = "красный"
}
$крой {
  @существительное
  #ИпЕч = "крой"
}
$открыть {
  #ИвПф = "открыть"
  #ПвЕч2лПф = "открой"
}
$взять {
  #ИвПф = "взять"
  #ИвПфНш = "брать"
  #ПвЕч2лПф = "возьми"
}
$брать {
  #ИвПф = "брать"
  #ИвПфСш = "взять"
  #ПвЕч2лПф = "бери"
}
$учиться {
  #ИвПф = "учиться"
  #НвНтЕч3лПф = "учится"
}
$дурак {
  @ругательство
  #ИпЕч = "дурак"
}
preposition от {
  object Рп РпОк
}
location кухня {}
location сад {}
лампа {
  inside сад
}
герой {
  inside кухня
}
вася {
  inside кухня
}
act брать {}
)";

class error_description : public dictionary_fixture {
 protected:
  void SetUp() override {
    dictionary_fixture::SetUp();
    // The world's own words are all there is to suggest.
    LoadBytes(dic_file_writer().Bytes());
    w.home.dictionary = dictionary_.get();
    w.Run(test_world);
    w.home.player = Entity(u"герой")->Id();
    PlayerIn(u"кухня");
  }

  object* Entity(const char16_t* name) { return w.home.FindObject(name); }
  object* Word(const char16_t* name) { return w.home.FindWord(name); }

  // The command context is the location the actor is in.
  void PlayerIn(const char16_t* place) {
    ctx = Entity(place);
    ctx->characters[0] = ctx->characters[2] = w.home.player;
    ctx->characters[1] = 0;
  }

  op_value Meaning(int type, object* entity, int weight, const char16_t* keys) {
    return op_value::Make(&w.home, value::Entity(type, entity), weight, keys);
  }
  // A word as the player typed it with the meanings the parser gave it.
  token Typed(const char16_t* text, std::initializer_list<op_value> meanings, char16_t kind = u'L') {
    token t;
    t.kind = kind;
    t.russian = kind == u'L';
    t.text = text;
    for (const op_value& meaning : meanings) t.AddMeaning(meaning);
    t.RebuildKeys();
    return t;
  }
  token Form(const char16_t* text, const char16_t* word, const char16_t* keys) {
    return Typed(text, {Meaning(kw::type_word, Word(word), meaning_weight::word_form, keys)});
  }
  token Thing(const char16_t* text, const char16_t* name, const char16_t* keys) {
    object* entity = Entity(name);
    return Typed(text, {Meaning(entity->Type(), entity, 60, keys)});
  }
  token Unknown(const char16_t* text) {
    return Typed(text, {op_value::Make(&w.home, value::String(text), meaning_weight::plain_text)});
  }
  token Sign(const char16_t* text) {
    token t = Typed(text, {op_value::Make(&w.home, value::String(text), meaning_weight::literal)}, u',');
    t.question = t.text == u"?";
    return t;
  }

  token_line& Reading(token_line& parent, std::initializer_list<token> tokens) {
    token_line& line = parsed.AddReading(parent);
    for (const token& t : tokens) line.Insert(line.Count(), t);
    return line;
  }
  std::string Reply(token_line& chosen) {
    parsed.ChooseReading(chosen);
    wstring reply;
    parsed.GetErrorDescription(*ctx, reply);
    return encode_utf8(reply.Text(), size_t(reply.Length()));
  }
  std::string Reply(std::initializer_list<token> tokens) { return Reply(Reading(parsed.Tokens(), tokens)); }

  static std::string Red(const std::string& text) { return "<b><font color='red'>" + text + "</font></b>"; }

  code_world w;
  system_factory rules;
  parsed_string parsed{w.home, w.in, rules};
  context* ctx = nullptr;
};

TEST_F(error_description, RecordedErrorsOfTheHeaviestWeightAreJoined) {
  token_line& root = Reading(parsed.Tokens(), {Form(u"открой", u"открыть", u"ПвЕч2лПф")});
  root.AddError(u"дверь заперта", 50);
  root.AddError(u"слишком темно", 10);
  token_line& chosen = Reading(root, {Form(u"открой", u"открыть", u"ПвЕч2лПф")});
  chosen.AddError(u"замок сломан", 50);
  chosen.AddError(u"дверь заперта", 50);
  // The reading's own first, then its ancestors'; a text repeated up the
  // chain is given once.
  EXPECT_EQ(Reply(chosen), "замок сломан или дверь заперта");
  chosen.AddError(u"", 70);
  EXPECT_EQ(Reply(chosen), "даже не знаю что сказать...");
}

TEST_F(error_description, SwearingAloneAndAtACharacter) {
  EXPECT_EQ(Reply({Form(u"дурак", u"дурак", u"ИпЕч")}), "Здесь нет никого, кто смог бы оценить твои ругательства.");
  // An object named by a swear word counts too.
  w.Run(u"дурак {}");
  EXPECT_EQ(Reply({Thing(u"дурак", u"дурак", u"ИпЕчДм")}), "Здесь нет никого, кто смог бы оценить твои ругательства.");
  ctx->characters[0] = Entity(u"вася")->Id();
  EXPECT_EQ(Reply({Form(u"дурак", u"дурак", u"ИпЕч")}), "Не ругайся тут пожалуйста!");
}

TEST_F(error_description, UnknownWordWithItsSpellingCandidates) {
  EXPECT_EQ(Reply({Form(u"возьми", u"взять", u"ПвЕч2лПф"), Unknown(u"ламба")}),
            "слово \"" + Red("ламба") + "\" мне неизвестно, но зато я знаю слово \"лам" + Red("п") + "а\".");
  EXPECT_EQ(utf8(parsed.error_kind.Text()), "word");
  EXPECT_TRUE(parsed.unknown_word.IsEmpty());
  EXPECT_EQ(Reply({Unknown(u"ключо")}), "слово \"" + Red("ключо") + "\" мне неизвестно, но зато я знаю слова \"ключ" +
                                             Red("а") + "\" и \"ключ" + Red("и") + "\".");
  EXPECT_EQ(Reply({Unknown(u"лампв")}), "слово \"" + Red("лампв") + "\" мне неизвестно, но зато я знаю слова \"ламп\", \"ламп" +
                                             Red("а") + "\", \"ламп" + Red("у") + "\" и \"ламп" + Red("ы") + "\".");
  // With nothing to suggest the word is left for the host.
  EXPECT_EQ(Reply({Unknown(u"фывап")}), "слово \"" + Red("фывап") + "\" мне неизвестно.");
  EXPECT_EQ(utf8(parsed.unknown_word.Text()), "фывап");
  // A later description starts afresh.
  EXPECT_EQ(Reply({Thing(u"лампу", u"лампа", u"ВпЕч!м")}), "Здесь нет лампы.");
  EXPECT_TRUE(parsed.error_kind.IsEmpty());
  EXPECT_TRUE(parsed.unknown_word.IsEmpty());
}

TEST_F(error_description, AQuestionMayBeAnsweredByTheLocation) {
  EXPECT_EQ(Reply({Form(u"лампа", u"лампа", u"ИпЕч"), Sign(u"?")}), "Вопрос неясен.");
  w.Run(u"location кухня {\n-- _вопрос_в_никуда --\n% Здесь не у кого спрашивать.\n}");
  EXPECT_EQ(Reply({Form(u"лампа", u"лампа", u"ИпЕч"), Sign(u"?")}), "");
  EXPECT_NE(utf8(w.host.printed).find("Здесь не у кого спрашивать."), std::string::npos);
  // Asked by another character, or when the location declines to answer.
  ctx->characters[0] = Entity(u"вася")->Id();
  EXPECT_EQ(Reply({Form(u"лампа", u"лампа", u"ИпЕч"), Sign(u"?")}), "Вопрос неясен.");
  PlayerIn(u"сад");
  w.Run(u"location сад {\n-- _вопрос_в_никуда --\nreturn no\n}");
  EXPECT_EQ(Reply({Form(u"лампа", u"лампа", u"ИпЕч"), Sign(u"?")}), "Вопрос неясен.");
}

TEST_F(error_description, AWordSplitInTwo) {
  token from = Typed(u"от", {op_value::Make(&w.home, value::Entity(kw::type_preposition, w.home.FindPreposition(u"от")),
                                            meaning_weight::literal)});
  EXPECT_EQ(Reply({from, Form(u"крой", u"крой", u"ИпЕч")}),
            "возможно, слово \"" + Red("открой") + "\" следует писать слитно.");
}

TEST_F(error_description, ObjectsOutOfReachOrAbsent) {
  EXPECT_EQ(Reply({Form(u"возьми", u"взять", u"ПвЕч2лПф"), Thing(u"лампу", u"лампа", u"ВпЕчВм")}),
            "лампа вне досягаемости.");
  EXPECT_EQ(Reply({Form(u"возьми", u"взять", u"ПвЕч2лПф"), Thing(u"лампу", u"лампа", u"ВпЕч!м")}), "Здесь нет лампы.");
  EXPECT_EQ(Reply({Thing(u"лампы", u"лампа", u"ВпМч")}), "Здесь нет ламп.");
  EXPECT_EQ(Reply({Thing(u"кухню", u"кухня", u"ВпЕч!м")}), "кухни отсюда не видно.");
  // A class of a noun stands for a thing; a noun or adjective that names
  // nothing here is a word without meaning.
  w.Run(u"@лампа {\n@существительное\n}");
  EXPECT_EQ(Reply({Typed(u"лампу", {Meaning(kw::type_class, w.home.FindClass(u"лампа"), 60, u"ВпЕч")})}),
            "Здесь нет лампы.");
  EXPECT_EQ(Reply({Form(u"лампу", u"лампа", u"ВпЕч")}), "Значение слова \"лампа\" мне неизвестно.");
  EXPECT_EQ(Reply({Form(u"красную", u"красный", u"ВпЕчЖрЛф")}), "Значение слова \"красный\" мне неизвестно.");
  EXPECT_EQ(Reply({Typed(u"\"бумага\"", {op_value::Make(&w.home, value::String(u"бумага"), 100, u"Вп")}, u'"')}),
            "бумага здесь не играет особой роли.");
}

TEST_F(error_description, TheRefusalSpeaksInThePlayersWords) {
  token lamp = Thing(u"лампу", u"лампа", u"ВпЕчДм");
  std::set<std::string> seen;
  for (int n = 0; n < 40; ++n) {
    // A word keeps the aspect the player chose, an act is done once; both
    // are wanted no longer in the imperfective.
    std::string word = Reply({Form(u"возьми", u"взять", u"ПвЕч2лПф"), lamp});
    std::string act = Reply({Thing(u"бери", u"брать", u"ПвЕч2лПф"), lamp});
    std::smatch opening;
    ASSERT_TRUE(std::regex_match(word, opening, std::regex("(невозможно|я не хочу|никак нельзя|нельзя) (\\S+) лампу\\.")))
        << word;
    const bool unwilling = opening[1] == "я не хочу";
    EXPECT_EQ(opening[2], unwilling ? "брать" : "взять") << word;
    ASSERT_TRUE(std::regex_match(act, opening, std::regex("(.+) (\\S+) лампу\\."))) << act;
    EXPECT_EQ(opening[2], opening[1] == "я не хочу" ? "брать" : "взять") << act;
    seen.insert(opening[1]);
  }
  EXPECT_GE(seen.size(), 2u);
  for (const std::string& opening : seen)
    EXPECT_TRUE(opening == "невозможно" || opening == "я не хочу" || opening == "никак нельзя" || opening == "нельзя");
  // "я" and "ты" are left out; a phrase keeps its preposition.
  std::string reply = Reply({Typed(u"я", {}), Form(u"возьми", u"взять", u"ПвЕч2лПф"),
                             Thing(u"от лампы", u"лампа", u"РпЕчДм")});
  EXPECT_TRUE(reply.ends_with(" от лампы.") && reply.find(" я ") == std::string::npos) << reply;
}

TEST_F(error_description, TheRefusalPointsOutMistakesOfForm) {
  EXPECT_EQ(Reply({Form(u"учится", u"учиться", u"НвНтЕч3лПф")}),
            "может правильнее написать \"учит" + Red("ь") + "ся\"?");
  EXPECT_EQ(Reply({Form(u"возьми", u"взять", u"ПвЕч2лПф"), Thing(u"лампа", u"лампа", u"ИпЕчДм")}),
            "В русском языке принято склонять слова по падежам. Возможно вы ошиблись в окончании слова.");
}

TEST_F(error_description, WithNothingToSayItIsUnclear) {
  EXPECT_EQ(Reply({Thing(u"лампа", u"лампа", u"ИпЕчДм")}), "непонятно...");
  EXPECT_EQ(Reply({}), "непонятно...");
  EXPECT_EQ(Reply({Sign(u"!"), Typed(u"42", {op_value::Make(&w.home, value::Number(42), 100)}, u'N')}), "непонятно...");
}

TEST_F(error_description, NoChosenReadingIsAnInternalError) {
  wstring reply;
  EXPECT_EQ(wide_message([&] { parsed.GetErrorDescription(*ctx, reply); }),
            "parsed_string::GetErrorDescription() invalid Result!");
}

// The replies with the words of the full dictionary, when it is built.
class error_description_dictionary : public error_description {
 protected:
  void SetUp() override {
    dictionary_fixture::SetUp();
    const char* full = std::getenv("KIV_FULL_DICTIONARY");
    if (!full) GTEST_SKIP() << "KIV_FULL_DICTIONARY names no built dictionary";
    file_ = std::make_unique<dic_loader>(full);
    ASSERT_TRUE(file_->Loaded());
    dictionary_ = std::make_unique<dictionary>(*file_, &label_);
    w.home.dictionary = dictionary_.get();
    w.home.SetDirectory(wstring(folder_.string().c_str()) + u"/");
    ASSERT_EQ(w.home.Load().Code(), kw::result_ok);
    w.Run(u"location кухня {}\nлампа {}\nгерой {\ninside кухня\n}\nсундук {\ninside кухня\n}");
    w.home.player = Entity(u"герой")->Id();
    PlayerIn(u"кухня");
  }

  // The word form as the parser finds it: the first owner of the form.
  token Found(const char16_t* text) {
    int form, preposition;
    EXPECT_TRUE(FindWord(w.home, text, form, preposition)) << utf8(text);
    const word_form_list_item& item = w.home.word_forms[form];
    return Typed(text, {Meaning(kw::type_word, item.owners[0].entity, meaning_weight::word_form, item.owners[0].key.Text())});
  }
};

TEST_F(error_description_dictionary, RepliesReadWellWithDictionaryWords) {
  EXPECT_EQ(Reply({Found(u"возьми"), Thing(u"лампу", u"лампа", u"ВпЕч!м")}), "Здесь нет лампы.");
  EXPECT_EQ(Reply({Found(u"возьми"), Thing(u"сундуки", u"сундук", u"ВпМчВм")}), "сундуки вне досягаемости.");
  EXPECT_EQ(Reply({Thing(u"кухню", u"кухня", u"ВпЕч!м")}), "кухни отсюда не видно.");
  std::string unknown = Reply({Found(u"возьми"), Unknown(u"ламбу")});
  EXPECT_NE(unknown.find("\"лам" + Red("п") + "у\""), std::string::npos) << unknown;
  EXPECT_EQ(Reply({Found(u"учится")}), "может правильнее написать \"учит" + Red("ь") + "ся\"?");
  // The imperfective partner is known once the world has both verbs.
  Found(u"беру");
  std::string refusal = Reply({Found(u"возьми"), Thing(u"лампу", u"лампа", u"ВпЕчДм")});
  EXPECT_TRUE(std::regex_match(refusal, std::regex("(невозможно|никак нельзя|нельзя) взять лампу\\.|я не хочу брать лампу\\.")))
      << refusal;
  EXPECT_EQ(Reply({Found(u"красную")}), "Значение слова \"красный\" мне неизвестно.");
}

}  // namespace
