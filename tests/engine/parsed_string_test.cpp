// A player's line parsed in a small world: its character classes, the
// meanings of its tokens, the narrowing of a token, the search over its
// readings, the reading chosen, the phases of that reading and the bounds
// of the work one line may cause.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "code_world.h"
#include "parsed_string.h"
#include "system_factory.h"
#include "test_support.h"

namespace {

const char16_t* const test_world = uR"(
@существительное {}
@предмет {}
@да {}
@вопрос {}
$лампа {
  @существительное
  key=#ЖрНд
  #ИпЕч = "лампа"
  #ВпЕч = "лампу"
}
$стол {
  @существительное
  key=#МрНд
  #ИпЕч = "стол"
  #ПпЕч = "столе"
}
$запертый {
  #ИпЕчЖр = "запертая"
}
$яд {
  #ИпЕч = "яд"
}
$конечно {
  @да
  #Нф = "конечно"
}
$где {
  @вопрос
  #Нф = "где"
}
$ключ {
  #ИпЕч = "ключ"
}
$осмотреться {
  #ПвЕч2лПф = "осмотрись"
}
action (осмотреться) {
-- execute --
  % осмотрелся
}
$взять {
  #ПвЕч2лПф = "возьми"
}
action (взять, предмет п #Вп) {
-- execute --
  % взято: {п}
}
preposition в {
}
location кухня {}
location сад {}
лампа {
  @предмет
  inside кухня
}
герой {
  inside кухня
}
)";

class parsed_string_test : public ::testing::Test {
 protected:
  void SetUp() override {
    w.Run(test_world);
    Place(u"лампа:синяя", u"сад");
    Place(u"ключ:1", u"кухня");
    Place(u"ключ:2", u"кухня");
    w.home.player = Entity(u"герой")->Id();
    ctx = Entity(u"кухня");
    ctx->characters[0] = ctx->characters[2] = w.home.player;
    ctx->characters[1] = 0;
    rules.Init();
  }

  // Names with ":" are made here: game code cannot declare them.
  void Place(const char16_t* name, const char16_t* where) {
    w.home.Create(&w.home, kw::type_object, true, name)->MoveTo(Entity(where), u'I');
  }
  object* Entity(const char16_t* name) { return w.home.FindObject(name); }

  op_value Parse(const char16_t* line) {
    op_value result;
    parsed.SetLine(line);
    parsed.Parsing(*ctx, result);
    return result;
  }
  std::string Text(const value& v) { return utf8(v.ShortText(&w.home).Text()); }
  std::string Text(const op_value& m) { return Text(m.v); }

  // The meanings of a token: short text, weight and key string.
  std::string Meanings(const token& t) {
    std::string all;
    for (const op_value& m : t.meanings) {
      if (!all.empty()) all += " | ";
      all += Text(m) + " " + std::to_string(m.weight);
    }
    return all;
  }
  const op_value* Find(const token& t, int type, const std::string& text) {
    for (const op_value& m : t.meanings)
      if (m.v.Type() == type && Text(m) == text) return &m;
    return nullptr;
  }
  static char16_t Marker(const op_value& m, char16_t key) { return key_matrix(m.keys.Text()).GetMarker(key); }

  // The chosen reading's tokens, joined by "|", and its heaviest error.
  std::string Chosen() {
    token_line* chosen = parsed.Chosen();
    if (!chosen) return "<none>";
    std::string texts;
    for (const token& t : *chosen) {
      if (!texts.empty()) texts += '|';
      texts += utf8(t.text.Text());
    }
    return texts;
  }
  std::string ChosenError() {
    token_line* chosen = parsed.Chosen();
    if (!chosen || chosen->errors.Count() == 0) return "<none>";
    return utf8(chosen->errors[chosen->errors.Count() - 1].text.Text());
  }
  static bool IsResult(const op_value& m, int code) { return m.v.Type() == kw::type_bool && m.v.Code() == code; }

  code_world w;
  system_factory rules;
  parsed_string parsed{w.home, w.in, rules};
  context* ctx = nullptr;
};

TEST(input_classes, TheTableAndTheBrackets) {
  wchar_set set = parsed_string::InputClasses();
  const std::pair<char16_t, char16_t> classes[] = {
      {0x0001, u'_'}, {u' ', u'_'}, {u'!', u','},  {u'"', u'\''}, {u'#', u','},  {u'\'', u','},
      {u'(', u'('},   {u')', u')'}, {u'+', u','},  {u'-', u'@'},  {u'.', u','},  {u'/', u','},
      {u'5', u'N'},   {u'?', u','}, {u'@', u','},  {u'Q', u'L'},  {u'[', u'('},  {u'\\', u','},
      {u']', u')'},   {u'^', u','}, {u'_', u'_'},  {u'`', u'@'},  {u'q', u'L'},  {u'{', u'('},
      {u'|', u','},   {u'}', u')'}, {u'~', u','},  {0x007F, u'?'}, {0x0400, u'?'}, {u'Ё', u'R'},
      {0x0402, u'?'}, {u'А', u'R'}, {u'я', u'R'},  {0x0450, u'?'}, {u'ё', u'R'},  {0x2014, u'@'},
  };
  for (auto [c, cls] : classes) EXPECT_EQ(set.TableClass(c), cls) << int(c);
  EXPECT_EQ(set.BracketPairs(), u"(){}[]");
}

TEST_F(parsed_string_test, TokensByKind) {
  Parse(u"Хватай \"Лампу\" 12 ? (Синюю) 99999999999 кто-то, [x]");
  token_line& typed = parsed.Tokens();
  ASSERT_EQ(typed.Count(), 9);
  const char* texts[] = {"хватай", "\"лампу\"", "12", "?", "(синюю)", "99999999999", "кто-то", ",", "[x]"};
  const char16_t kinds[] = {u'L', u'"', u'N', u',', u'(', u'N', u'L', u',', u'['};
  for (int n = 0; n < 9; ++n) {
    EXPECT_EQ(utf8(typed[n].text.Text()), texts[n]);
    EXPECT_EQ(typed[n].kind, kinds[n]) << n;
  }
  // An unknown word is its plain text; strings and groups their text
  // inside; numbers are bounded; only "?" is a question.
  EXPECT_EQ(Meanings(typed[0]), "хватай 10");
  EXPECT_EQ(Meanings(typed[1]), "лампу 100");
  EXPECT_EQ(Meanings(typed[2]), "12 100");
  EXPECT_EQ(typed[2].meanings[0].v.Type(), kw::type_number);
  EXPECT_EQ(Meanings(typed[3]), "? 100");
  EXPECT_TRUE(typed[3].question);
  EXPECT_FALSE(typed[7].question);
  EXPECT_EQ(Meanings(typed[4]), "синюю 100");
  EXPECT_EQ(typed[5].meanings[0].v.GetNumber(), 100000000);
  EXPECT_TRUE(typed[6].russian);
  EXPECT_FALSE(typed[8].russian);
  for (const token& t : typed) EXPECT_EQ(t.keys.Count(), t.meanings.Count() ? 1 : 0) << utf8(t.text.Text());
}

TEST_F(parsed_string_test, WordsMeanTheirFormsKeywordsAndObjects) {
  Parse(u"лампа конечно где ключ");
  token_line& typed = parsed.Tokens();
  ASSERT_EQ(typed.Count(), 4);

  // The word form, then the objects the word names: the one here within
  // reach, the one in the garden marked as not near at all.
  const op_value* word = Find(typed[0], kw::type_word, "$лампа");
  ASSERT_TRUE(word);
  EXPECT_EQ(word->weight, meaning_weight::word_form);
  EXPECT_EQ(Marker(*word, u'п'), u'И');
  const op_value* here = Find(typed[0], kw::type_object, "лампа");
  const op_value* garden = Find(typed[0], kw::type_object, "лампа:синяя");
  ASSERT_TRUE(here && garden);
  EXPECT_EQ(Marker(*here, u'м'), u'Д');
  EXPECT_EQ(Marker(*garden, u'м'), u'!');
  // The case of the form stays on the objects it names.
  EXPECT_EQ(Marker(*here, u'п'), u'И');
  EXPECT_GT(here->weight, garden->weight);
  EXPECT_TRUE(Find(typed[0], kw::type_string, "лампа"));

  // A class named like a keyword gives that keyword.
  const op_value* yes = Find(typed[1], kw::type_bool, "да");
  ASSERT_TRUE(yes);
  EXPECT_EQ(yes->weight, meaning_weight::keyword);
  EXPECT_FALSE(typed[1].question);
  // A word of the class "вопрос" asks.
  EXPECT_TRUE(typed[2].question);
  // Each object a word names is one meaning.
  EXPECT_TRUE(Find(typed[3], kw::type_object, "ключ:1"));
  EXPECT_TRUE(Find(typed[3], kw::type_object, "ключ:2"));
}

TEST_F(parsed_string_test, PrepositionalCaseOnlyNearAPreposition) {
  Parse(u"в столе");
  token_line& near = parsed.Tokens();
  EXPECT_TRUE(near[0].preposition);
  EXPECT_EQ(near[0].meanings[0].v.Type(), kw::type_preposition);
  EXPECT_EQ(near[0].meanings[0].weight, meaning_weight::literal);
  const op_value* table = Find(near[1], kw::type_word, "$стол");
  ASSERT_TRUE(table);
  EXPECT_EQ(Marker(*table, u'п'), u'П');

  Parse(u"в яд яд столе");
  EXPECT_TRUE(Find(parsed.Tokens()[3], kw::type_word, "$стол"));
  Parse(u"в яд яд яд столе");
  EXPECT_EQ(Meanings(parsed.Tokens()[4]), "столе 10");
  Parse(u"столе");
  EXPECT_EQ(Meanings(parsed.Tokens()[0]), "столе 10");
  // The prepositional case does not keep other forms of the same text out.
  Parse(u"стол");
  EXPECT_TRUE(Find(parsed.Tokens()[0], kw::type_word, "$стол"));
}

TEST_F(parsed_string_test, NegatedWords) {
  Parse(u"незапертая неяд нелампа");
  token_line& typed = parsed.Tokens();
  const op_value* locked = Find(typed[0], kw::type_word, "$запертый");
  ASSERT_TRUE(locked);
  EXPECT_EQ(Marker(*locked, u'е'), u'Н');
  EXPECT_EQ(locked->weight, meaning_weight::word_form);
  // Four letters are too short to carry "не".
  EXPECT_EQ(Meanings(typed[1]), "неяд 10");
  // The objects a negated word names are negated too.
  const op_value* lamp = Find(typed[2], kw::type_object, "лампа");
  ASSERT_TRUE(lamp);
  EXPECT_EQ(Marker(*lamp, u'е'), u'Н');
  Parse(u"лампа");
  EXPECT_EQ(Marker(*Find(parsed.Tokens()[0], kw::type_word, "$лампа"), u'е'), 0);
}

TEST_F(parsed_string_test, ResolveNarrowsStepByStep) {
  auto meaning = [&](const value& v, int weight, const char16_t* keys = u"") {
    return op_value::Make(&w.home, v, weight, keys);
  };
  auto narrowed = [&](std::initializer_list<op_value> meanings, const char16_t* filter = nullptr) {
    token t;
    for (const op_value& m : meanings) t.AddMeaning(m);
    t.RebuildKeys();
    t.Resolve(filter);
    EXPECT_EQ(t.keys.Count() > 0, t.meanings.Count() > 0);
    return Meanings(t) + (t.changed ? " (changed)" : "");
  };
  value no = value::Keyword(kw::result_no), yes = value::Keyword(kw::result_yes);
  value fail = value::Keyword(kw::result_fail), unknown = value::Keyword(kw::result_unknown);

  // Truths: a falsehood gives way to a truth, a failure and an unknown to
  // anything else, the empty keyword to anything that counts.
  EXPECT_EQ(narrowed({meaning(no, 100), meaning(yes, 100)}), "да 100 (changed)");
  EXPECT_EQ(narrowed({meaning(fail, 100), meaning(no, 100)}), "нет 100 (changed)");
  EXPECT_EQ(narrowed({meaning(unknown, 100), meaning(fail, 100)}), "неизвестно 100 (changed)");
  EXPECT_EQ(narrowed({meaning(unknown, 100), meaning(fail, 100), meaning(no, 100)}), "нет 100 (changed)");
  EXPECT_EQ(narrowed({meaning(value(), 100), meaning(value::Number(3), 100)}), "3 100 (changed)");
  EXPECT_EQ(narrowed({meaning(fail, 100)}), "ошибка 100");
  // A text marked as only itself does not count against the empty keyword.
  EXPECT_EQ(narrowed({meaning(value(), 100), meaning(value::String(u"a"), 100, u"sp")}), "null 100 | a 100");

  // The heaviest meanings stay.
  EXPECT_EQ(narrowed({meaning(value::Number(1), 20), meaning(value::Number(2), 95), meaning(value::Number(3), 95)}),
            "2 95 | 3 95 (changed)");
  // Keys marked "Ус" give way to others, before the weights are compared.
  EXPECT_EQ(narrowed({meaning(value::Number(1), 100, u"Ус"), meaning(value::Number(2), 20)}), "2 20 (changed)");
  EXPECT_EQ(narrowed({meaning(value::Number(1), 100, u"Ус")}), "1 100");
  // Among equals: "сv" and "nc" keys go, the nominative stays.
  EXPECT_EQ(narrowed({meaning(value::String(u"a"), 100, u"сv"), meaning(value::String(u"b"), 100)}), "b 100 (changed)");
  EXPECT_EQ(narrowed({meaning(value::Number(1), 100, u"Вп"), meaning(value::Number(2), 100, u"Ип")}),
            "2 100 (changed)");
  EXPECT_EQ(narrowed({meaning(value::Number(1), 100, u"Вп"), meaning(value::Number(2), 100, u"Рп")}),
            "1 100 | 2 100");

  // A filter cuts the keys down; meanings then equal go, the first stays.
  token t;
  t.AddMeaning(meaning(value::Number(1), 100, u"ВпЕч"));
  t.AddMeaning(meaning(value::Number(1), 100, u"ВпМч"));
  t.RebuildKeys();
  ASSERT_EQ(t.meanings.Count(), 2);
  t.Resolve(u"п");
  ASSERT_EQ(t.meanings.Count(), 1);
  EXPECT_EQ(t.meanings[0].keys, u"Вп");
  EXPECT_EQ(t.keys.Count(), 1);
}

TEST_F(parsed_string_test, AnEmptyLineIsUnclear) {
  const char16_t* const lines[] = {u"", u"   \t", u"// только комментарий"};
  for (const char16_t* line : lines) {
    op_value result = Parse(line);
    EXPECT_TRUE(IsResult(result, kw::result_unclear)) << utf8(line);
    EXPECT_EQ(result.weight, meaning_weight::literal);
    ASSERT_TRUE(parsed.Chosen());
    EXPECT_EQ(parsed.Chosen()->Count(), 0);
  }
}

TEST_F(parsed_string_test, TheFewestTokensAreKeptWhenNothingJoinsTheLine) {
  op_value result = Parse(u"не конечно xyz");
  EXPECT_TRUE(IsResult(result, kw::result_unclear));
  // The negation joined its two words; nothing joins the rest.
  EXPECT_EQ(Chosen(), "не конечно|xyz");
  EXPECT_EQ(parsed.Chosen()->k, token_line::exhausted);
  EXPECT_EQ(Meanings((*parsed.Chosen())[0]), "нет 100");

  result = Parse(u"abc xyz");
  EXPECT_TRUE(IsResult(result, kw::result_unclear));
  EXPECT_EQ(Chosen(), "abc|xyz");
}

TEST_F(parsed_string_test, AOneTokenReadingIsTheResult) {
  op_value result = Parse(u"не конечно");
  EXPECT_TRUE(IsResult(result, kw::result_no));
  EXPECT_EQ(result.weight, meaning_weight::literal);
  EXPECT_EQ(Chosen(), "не конечно");
  // The characters of the chosen reading are the command's.
  EXPECT_EQ(ctx->characters[0], w.home.player);

  // Several meanings left are an or-list.
  result = Parse(u"ключ");
  ASSERT_EQ(result.v.Type(), kw::type_or_list);
  ASSERT_EQ(result.v.Items().Count(), 2);
  EXPECT_EQ(Text(result.v.Items()[0]), "ключ:1");
  EXPECT_EQ(Text(result.v.Items()[1]), "ключ:2");
  // One object within reach is the meaning of its word.
  result = Parse(u"лампа");
  EXPECT_EQ(Text(result), "лампа");
  EXPECT_EQ(Marker(result, u'м'), u'Д');
}

TEST_F(parsed_string_test, AnActionReadingExecutesThroughItsRule) {
  op_value result = Parse(u"возьми лампу");
  EXPECT_EQ(Chosen(), "возьми лампу");
  EXPECT_EQ(Marker(result, u't'), u'd');
  EXPECT_TRUE(w.host.printed.empty());
  op_value done;
  parsed.Execute(*ctx, done);
  EXPECT_NE(utf8(w.host.printed).find("взято: лампу"), std::string::npos) << utf8(w.host.printed);
}

TEST_F(parsed_string_test, PhasesNeedAReadingMadeByARule) {
  op_value result;
  system_factory no_rules;
  parsed_string fresh(w.home, w.in, no_rules);
  EXPECT_EQ(wide_message([&] { fresh.Execute(*ctx, result); }), "parsed_string::Execute() error: 1!");
  EXPECT_EQ(wide_message([&] { fresh.Remember(*ctx, result); }), "parsed_string::Remember() error: 1!");

  wstring last;
  parsed.last_input = &last;
  Parse(u"");
  EXPECT_EQ(wide_message([&] { parsed.Execute(*ctx, result); }), "token_line::Execute() error: 1!");
  // A word alone is a reading no rule made.
  Parse(u"лампа");
  EXPECT_EQ(last, u"лампа");
  EXPECT_EQ(wide_message([&] { parsed.Execute(*ctx, result); }), "token_line::Execute() error: 3!");
  EXPECT_EQ(wide_message([&] { parsed.Remember(*ctx, result); }), "token_line::Remember() error: 3!");
  parsed.SetLine(u"другая");
  EXPECT_EQ(wide_message([&] { parsed.Execute(*ctx, result); }), "token_line::Execute() error: 3!");
  EXPECT_EQ(last, u"другая");
}

TEST_F(parsed_string_test, LinesTheTokenizerRefusesFailWithItsMessage) {
  struct refused {
    const char16_t* line;
    const char* message;
  } cases[] = {
      {u"возьми lампу", "лексема 'lампу' содержит и русские и латинские буквы!"},
      {u"возьми \x7f", "недопустимый символ в строке!"},
      {u"возьми (лампу]", "(лампу] \n- неверно закрыта скобка (]"},
  };
  for (const refused& r : cases) {
    op_value result = Parse(r.line);
    EXPECT_TRUE(IsResult(result, kw::result_fail)) << r.message;
    EXPECT_EQ(ChosenError(), r.message);
  }
  // The session goes on.
  EXPECT_EQ(Text(Parse(u"лампа")), "лампа");
}

TEST_F(parsed_string_test, TheWorkOfOneLineIsBounded) {
  std::u16string longest;
  for (int n = 0; n < parsed_string::max_tokens; ++n) longest += u"яд ";
  EXPECT_TRUE(IsResult(Parse(longest.c_str()), kw::result_unclear));
  EXPECT_EQ(ChosenError(), "<none>");
  op_value result = Parse((longest + u"яд").c_str());
  EXPECT_TRUE(IsResult(result, kw::result_fail));
  EXPECT_EQ(ChosenError(), "слишком длинная команда.");

  // Thirty negations that may join in any order make more readings than a
  // command may try.
  std::u16string tangled;
  for (int n = 0; n < 30; ++n) tangled += u"не конечно ";
  result = Parse(tangled.c_str());
  EXPECT_TRUE(IsResult(result, kw::result_fail));
  EXPECT_EQ(ChosenError(), "слишком сложная команда, скажите проще.");
  EXPECT_EQ(Chosen().size(), utf8(tangled).size() - 1);

  // Fewer of them are read whole.
  EXPECT_TRUE(IsResult(Parse(u"не конечно не конечно"), kw::result_unclear));
  EXPECT_TRUE(IsResult(Parse(u"не не конечно"), kw::result_yes));
}

TEST_F(parsed_string_test, WordInformationDescribesTheKnownWords) {
  parsed.word_information_mode = true;
  Parse(u"лампа xyz xyz");
  std::string described = utf8(parsed.word_information.Text());
  EXPECT_NE(described.find("[1,\"word\",\"$лампа\",\"\"]"), std::string::npos) << described;
  EXPECT_NE(described.find("[1,\"object\",\"лампа\",\"\"]"), std::string::npos) << described;
  EXPECT_NE(described.find("[1,\"object\",\"лампа:синяя\",\"\"]"), std::string::npos) << described;
  size_t plain = described.find("[1,\"string\",\"xyz\",\"i\"]");
  EXPECT_NE(plain, std::string::npos) << described;
  EXPECT_EQ(described.find("xyz", plain + 20), std::string::npos) << "once per text: " << described;

  Parse(u"\"");
  EXPECT_EQ(utf8(parsed.word_information.Text()), "[1,\"string\",\"\\\"\",\"i\"]");
}

TEST_F(parsed_string_test, AWordAloneIsTriedAsAnAction) {
  for (bool word_information : {false, true}) {
    parsed.word_information_mode = word_information;
    w.host.printed.clear();
    op_value done;
    op_value result = Parse(u"осмотрись");
    EXPECT_EQ(Marker(result, u't'), u'd');
    parsed.Execute(*ctx, done);
    EXPECT_NE(utf8(w.host.printed).find("осмотрелся"), std::string::npos) << utf8(w.host.printed);
  }
}

// Game code that parses a command while the player's command is run must
// not drop the readings in use.
TEST(parsed_string_reentry, GameCodeParsesWithAParsedStringOfItsOwn) {
  struct parsing_host : code_host {
    bool ExecuteCommand(context& ctx, const wstring& text, value& result) override {
      op_value parsed_result;
      parser->SetLine(text);
      parser->Parsing(ctx, parsed_result);
      result = parsed_result.v;
      return true;
    }
    parsed_string* parser = nullptr;
  };
  parsing_host host;
  interpreter in{host};
  world home{u"test"};
  home.SetRunner(&in);
  in.StartCommand();
  in.RunSource(uR"(
@предмет {}
$взять {
  #ПвЕч2лПф = "возьми"
}
$лампа {
  #ВпЕч = "лампу"
}
location кухня {}
лампа {
  @предмет
  inside кухня
}
action (взять, предмет п) {
-- execute --
  возьми лампу
}
)",
               home);
  system_factory rules;
  rules.Init();
  parsed_string parsed(home, in, rules);
  host.parser = &parsed;
  context& ctx = *home.FindObject(u"кухня");

  op_value result;
  parsed.SetLine(u"возьми лампу");
  parsed.Parsing(ctx, result);
  std::string refusal;
  try {
    op_value done;
    parsed.Execute(ctx, done);
    refusal = utf8(done.v.ShortText(&home).Text()) + " " + utf8(done.v.Text().Text());
  } catch (const char16_t* message) {
    refusal = utf8(message);
  } catch (const wstring& message) {
    refusal = utf8(message.Text());
  }
  EXPECT_NE(refusal.find("parsed_string::Parsing() разбор уже идёт!"), std::string::npos) << refusal;
  EXPECT_EQ(utf8(parsed.Chosen() ? parsed.Chosen()->Owner().Line().Text() : u""), "возьми лампу");
  parsed.Parsing(ctx, result);
  EXPECT_EQ(parsed.Chosen()->Count(), 1);
}

TEST_F(parsed_string_test, HostileLinesGetAnAnswer) {
  const std::u16string alphabet = u"абвгдеёжзийклмнопрстуфхцчшщъыьэюя АЯЁ ,.!?:;-\"'()[]{}<>/\\|_`~@#$%^&*+=0123456789 "
                                  u"abcxyz\t\n\x01\x7f\x0400\x0450\xd800\xdfff\x2014";
  const std::vector<std::u16string> words = {u"лампа", u"лампу", u"не", u"конечно", u"в", u"столе",
                                             u"ключ",  u"где",   u"?",  u",",       u"яд", u"незапертая"};
  std::mt19937 random(11);
  for (int n = 0; n < 400; ++n) {
    std::u16string line;
    int length = int(random() % 80);
    for (int c = 0; c < length; ++c) {
      if (n % 2)
        line += alphabet[random() % alphabet.size()];
      else
        line += words[random() % words.size()] + u" ";
    }
    op_value result;
    std::string failure = "<none>";
    try {
      result = Parse(line.c_str());
    } catch (const char16_t* message) {
      failure = utf8(message);
    } catch (const wstring& message) {
      failure = utf8(message.Text());
    } catch (const char* message) {
      failure = message;
    }
    EXPECT_EQ(failure, "<none>") << utf8(line);
    EXPECT_TRUE(parsed.Chosen()) << utf8(line);
  }
}

}  // namespace
