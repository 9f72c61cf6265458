// Values of the game language and the keyword table.

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "expression_evaluator.h"
#include "key_matrix.h"
#include "keyword_table.h"
#include "test_support.h"
#include "value.h"
#include "value_world.h"
#include "world.h"

namespace {

struct fake_entity;

// Values hold real entities, so a real world keeps one behind each fake
// entity (all plain objects of made-up names); the fake world answers for
// them by address.
class backing_world {
 public:
  static backing_world& instance() {
    static backing_world backing;
    return backing;
  }
  object* Make(fake_entity& fake) {
    wstring name(u"сущность_");
    name += wstring(double(++made_));
    object* made = home_.Create(nullptr, kw::type_object, true, name);
    fakes_[made] = &fake;
    return made;
  }
  void Destroy(object* entity) {
    fakes_.erase(entity);
    home_.Destroy(entity);
  }
  fake_entity& Of(const object* entity) const { return *fakes_.at(entity); }

 private:
  world home_{u"value_test"};
  int made_ = 0;
  std::map<const object*, fake_entity*> fakes_;
};

// A world entity as the fake world keeps it.
struct fake_entity {
  std::u16string name = u"";
  int type = kw::type_object;
  bool alive = true;
  std::vector<std::pair<std::u16string, std::u16string>> forms = {};  // key, text
  std::vector<fake_entity*> words = {};
  std::u16string method_answer = u"";  // what "_get_form" answers; empty: no text
  std::unique_ptr<value> title = nullptr;
  std::u16string keys = u"";
  object* real = nullptr;

  object* get() {
    if (!real) real = backing_world::instance().Make(*this);
    return real;
  }
  // A gone entity's value outlives it: the entity is made and destroyed.
  value as_value() {
    value v = value::Entity(type, get());
    if (!alive) {
      backing_world::instance().Destroy(real);
      real = nullptr;
    }
    return v;
  }
};

fake_entity& entity_of(const object* entity) { return backing_world::instance().Of(entity); }

context* fake_context(int& place) { return reinterpret_cast<context*>(&place); }

class fake_world : public value_world {
 public:
  code_runner* Runner() const override { return nullptr; }
  wstring EntityName(const object* e) const override { return entity_of(e).name.c_str(); }
  int EntityType(const object* e) const override { return entity_of(e).type; }
  bool GetForm(const object* e, const key_matrix& keys, wstring& text, int& best) const override {
    bool found = false;
    for (auto& [key, form] : entity_of(e).forms) {
      int score = keys.Score(key.c_str());
      if (score <= best) continue;
      best = score;
      text = form.c_str();
      found = true;
    }
    return found;
  }
  c_array<object*, object*> LinkedWords(const object* e) const override {
    c_array<object*, object*> words;
    for (fake_entity* word : entity_of(e).words) words.Insert(words.Count(), word->get());
    return words;
  }
  object* FindWord(const wstring& name) const override {
    for (fake_entity* word : words)
      if (name == word->name.c_str()) return word->get();
    return nullptr;
  }
  bool GetTitle(const object* e, value& title) const override {
    if (!entity_of(e).title) return false;
    title = *entity_of(e).title;
    return true;
  }
  bool CallGetForm(object* holder, const value& subject, context*, wstring& text) override {
    method_subjects.push_back(subject);
    if (entity_of(holder).method_answer.empty()) return false;
    text = entity_of(holder).method_answer.c_str();
    return true;
  }
  bool GetExitText(context* ctx, int direction, wstring& text) override {
    if (ctx != in_location) return false;
    text = u"выход: ";
    text += kw::at(direction).english;
    return true;
  }
  void AddEntityKeys(const object* e, key_matrix& keys) const override { keys.AddKey(entity_of(e).keys.c_str()); }

  std::vector<fake_entity*> words;
  std::vector<value> method_subjects;
  context* in_location = nullptr;
};

// Answers "x" with 5, refuses "bad", and gives any other expression back as
// a string.
class fake_evaluator : public expression_evaluator {
 public:
  bool Evaluate(const wstring& expression, context*, value& result) override {
    if (expression == u"bad") return false;
    result = expression == u"x" ? value::Number(5) : value::String(expression);
    return true;
  }
};

value keyed(value v, const char16_t* key) {
  v.SetKeyText(key);
  return v;
}

value list_of(int list_type, std::vector<value> items) {
  value list;
  for (const value& item : items) list.AddToList(list_type, item, false);
  return list;
}

std::vector<wstring> texts_of(const value& list) {
  std::vector<wstring> texts;
  for (const value& item : list.Items()) texts.push_back(item.ShortText(nullptr));
  return texts;
}

std::vector<wstring> expected_texts(std::initializer_list<const char16_t*> texts) { return {texts.begin(), texts.end()}; }

wstring text_of(const value& v, value_world* world = nullptr, const char16_t* keys = nullptr,
                unsigned flags = 0, bool* missing = nullptr) {
  key_matrix requested(keys);
  bool missing_form = false;
  wstring text = v.ToString(world, nullptr, keys ? &requested : nullptr, flags, missing_form);
  if (missing) *missing = missing_form;
  return text;
}

TEST(KeywordTable, RecordsAndTypeKeys) {
  EXPECT_EQ(int(kw::count), 87);
  const char16_t* results[][2] = {{u"no", u"нет"},      {u"unclear", u"непонятно"}, {u"unknown", u"неизвестно"},
                                  {u"illegal", u"нельзя"}, {u"fail", u"ошибка"},        {u"yes", u"да"},
                                  {u"ok", u"ок"}};
  for (int code = 30; code <= 36; ++code) {
    EXPECT_EQ(wstring(kw::at(code).english), results[code - 30][0]);
    EXPECT_EQ(wstring(kw::at(code).russian), results[code - 30][1]);
  }
  EXPECT_EQ(wstring(kw::at(56).second_name), u"cnt");
  EXPECT_EQ(wstring(kw::at(57).english), u"synonym");
  EXPECT_EQ(wstring(kw::at(57).second_name), u"cnt");
  EXPECT_EQ(wstring(kw::at(kw::type_null).key_text), u"0v");
  EXPECT_EQ(wstring(kw::at(kw::type_or_list).second_name), u"||");
  EXPECT_EQ(wstring(kw::at(kw::dir_southwest).russian), u"юго-запад");
  EXPECT_EQ(wstring(kw::at(kw::rel_not).english), u"!");
  EXPECT_EQ(wstring(kw::at(86).russian), u"часть");
  EXPECT_EQ(narrow_message([] { kw::at(87); }), "kw::at() invalid keyword code!");
  EXPECT_EQ(narrow_message([] { kw::at(-1); }), "kw::at() invalid keyword code!");
  EXPECT_EQ(wstring(kw::type_key_text(kw::type_object)), u"ooovЕч");
  EXPECT_EQ(wstring(kw::type_key_text(kw::type_context)), u"");
}

TEST(Value, MadeFromCodes) {
  EXPECT_EQ(value::Keyword(kw::result_yes).Type(), kw::type_bool);
  EXPECT_EQ(value::Keyword(kw::dir_north).Type(), kw::type_course);
  EXPECT_EQ(value::Keyword(kw::prp_name).Type(), kw::type_keyword);
  EXPECT_TRUE(value().IsNull());
  EXPECT_TRUE(value::Keyword(kw::type_null).IsNull());
  EXPECT_EQ(narrow_message([] { value::Keyword(87); }), "kw::at() invalid keyword code!");
  EXPECT_EQ(wide_message([] { value::Entity(kw::type_and_list, nullptr); }), "value::Entity() invalid Type!");
  EXPECT_EQ(wide_message([] { value::Result(kw::prp_name, u""); }), "value::Result() invalid Code!");

  value list = list_of(kw::type_and_list, {value::Number(1), value::Number(2)});
  value copy = list;
  copy.AddToList(kw::type_and_list, value::Number(3), false);
  EXPECT_EQ(list.Items().Count(), 2);  // the copy's element is not the list's
  value moved = std::move(copy);
  EXPECT_TRUE(copy.IsNull());
  EXPECT_EQ(moved.Items().Count(), 3);
}

TEST(Value, OrderAcrossTypesKeysAndPayloads) {
  value number = value::Number(3), text = value::String(u"3");
  EXPECT_FALSE(number == text);
  EXPECT_TRUE(number < text);  // type 1 before type 3
  EXPECT_TRUE(text > number);

  value nominative = keyed(value::Number(9), u"Ип"), genitive = keyed(value::Number(1), u"Рп");
  EXPECT_FALSE(keyed(value::Number(9), u"Рп") == nominative);
  EXPECT_TRUE(nominative < genitive);  // the key decides before the payload
  EXPECT_TRUE(value::Number(-2) < value::Number(1));
  EXPECT_TRUE(value::Keyword(kw::result_no) < value::Keyword(kw::result_yes));
  EXPECT_TRUE(value::String(u"Б") > value::String(u"Аб"));
  EXPECT_TRUE(value::Result(kw::result_fail, u"a") == value::Result(kw::result_fail, u"b"));

  value short_list = list_of(kw::type_and_list, {value::Number(1), value::Number(2)});
  value long_list = list_of(kw::type_and_list, {value::Number(1), value::Number(2), value::Number(0)});
  value other_list = list_of(kw::type_and_list, {value::Number(1), value::Number(3)});
  EXPECT_TRUE(short_list < long_list);
  EXPECT_TRUE(long_list < other_list);
  EXPECT_TRUE(short_list == list_of(kw::type_and_list, {value::Number(1), value::Number(2)}));

  int here = 0, there = 0;
  value a = value::Context(fake_context(here)), b = value::Context(fake_context(there));
  EXPECT_EQ(wide_message([&] { (void)(a == b); }), "value::operator==() Context!");
  EXPECT_EQ(wide_message([&] { (void)(a < b); }), "value::operator<() Context!");
  EXPECT_EQ(wide_message([&] { (void)(a > b); }), "value::operator>() Context!");
  EXPECT_TRUE(keyed(a, u"Ип") < keyed(b, u"Рп"));  // different keys decide without the payload
}

TEST(Value, ListAdditionKeepsFirstPlaces) {
  EXPECT_EQ(wide_message([] { value().AddToList(kw::type_string, value::Number(1), false); }),
            "value::AddToList() invalid ListType");

  value v = value::Number(1);
  v.AddToList(kw::type_and_list, value(), false);
  EXPECT_TRUE(v == value::Number(1));
  v.AddToList(kw::type_and_list, value::Number(1), false);
  EXPECT_EQ(v.Type(), kw::type_number);  // an equal value is not added
  value empty;
  empty.AddToList(kw::type_or_list, keyed(value::String(u"a"), u"Ип"), false);
  EXPECT_TRUE(empty == keyed(value::String(u"a"), u"Ип"));

  value left = list_of(kw::type_and_list, {value::String(u"b"), value::String(u"a"), value::String(u"c")});
  value right = list_of(kw::type_and_list, {value::String(u"c"), value::String(u"d"), value::String(u"b"),
                                            value::String(u"e")});
  left.AddToList(kw::type_and_list, right, false);
  EXPECT_EQ(texts_of(left), expected_texts({u"b", u"a", u"c", u"d", u"e"}));
  EXPECT_EQ(left.Items().Count(), 5);

  value nested = list_of(kw::type_or_list, {value::Number(1), value::Number(2)});
  nested.AddToList(kw::type_and_list, value::Number(3), false);
  ASSERT_EQ(nested.Type(), kw::type_and_list);
  EXPECT_EQ(nested.Items()[0].Type(), kw::type_or_list);

  value same_number = keyed(value::Number(1), u"Ип");
  same_number.AddToList(kw::type_and_list, keyed(value::Number(1), u"Рп"), false);
  EXPECT_EQ(same_number.Items().Count(), 2);  // keys tell them apart
  value keyless = keyed(value::Number(1), u"Ип");
  keyless.AddToList(kw::type_and_list, keyed(value::Number(1), u"Рп"), true);
  EXPECT_EQ(keyless.Items().Count(), 1);
  EXPECT_EQ(keyless.Items()[0].KeyText(), u"");
}

TEST(Value, ResultWordsCombine) {
  using namespace kw;
  EXPECT_EQ(result_and(result_yes, result_ok), result_yes);
  EXPECT_EQ(result_and(result_ok, result_illegal), result_no);
  EXPECT_EQ(result_and(result_unknown, result_fail), result_no);
  EXPECT_EQ(result_and(result_unknown, result_yes), result_unknown);
  EXPECT_EQ(result_and(result_unclear, result_yes), result_unknown);
  EXPECT_EQ(result_or(result_no, result_fail), result_no);
  EXPECT_EQ(result_or(result_no, result_ok), result_yes);
  EXPECT_EQ(result_or(result_unknown, result_yes), result_yes);
  EXPECT_EQ(result_or(result_illegal, result_unclear), result_unknown);

  value truth = value::Result(result_fail, u"заперто");
  truth.AddToList(type_or_list, value::Keyword(result_ok), false);
  EXPECT_EQ(truth.Code(), result_yes);
  EXPECT_EQ(truth.Text(), u"");
  truth.AddToList(type_and_list, value::Keyword(result_unknown), false);
  EXPECT_EQ(truth.Code(), result_unknown);
  EXPECT_EQ(wide_message([&] { truth.AddToList(type_and_list, value::Number(1), false); }),
            "Добавление в список данных логического типа!");
}

TEST(Value, FarawayElementsLeaveLists) {
  auto reached = [](std::initializer_list<const char16_t*> marks) {
    value list;
    char16_t name = u'a';
    for (const char16_t* mark : marks) list.AddToList(kw::type_and_list, keyed(value::String(std::u16string(1, name++).c_str()), mark), false);
    list.DelFarawayFromList();
    return list;
  };
  value one_near = reached({u"!м", u"Дм", u""});
  EXPECT_EQ(one_near.Type(), kw::type_string);
  EXPECT_EQ(one_near.Text(), u"b");
  value one_far = reached({u"", u"!м", u""});
  EXPECT_EQ(one_far.Text(), u"b");

  EXPECT_EQ(texts_of(reached({u"", u"", u""})).size(), 3u);
  EXPECT_EQ(texts_of(reached({u"Дм", u"Вм"})).size(), 2u);
  EXPECT_EQ(texts_of(reached({u"!м", u"!м"})).size(), 2u);

  value near_ones = reached({u"Дм", u"!м", u"", u"Вм"});
  EXPECT_EQ(texts_of(near_ones), expected_texts({u"a", u"d"}));
  EXPECT_EQ(near_ones.Items().Count(), 2);
  EXPECT_EQ(texts_of(reached({u"!м", u"", u"!м"})), expected_texts({u"a", u"c"}));

  value number = value::Number(4);
  number.DelFarawayFromList();
  EXPECT_TRUE(number == value::Number(4));
}

TEST(Value, ShortTexts) {
  fake_world world;
  fake_entity fruit{.name = u"фрукт", .type = kw::type_class}, table{.name = u"стол", .type = kw::type_word},
      gone{.name = u"ваза", .alive = false};
  const std::pair<value, const char16_t*> cases[] = {
      {value::Keyword(kw::result_yes), u"да"},
      {value::Keyword(kw::dir_north), u"север"},
      {value::Number(-7), u"-7"},
      {value::Keyword(kw::prp_name), u"name"},
      {value::String(u"текст"), u"текст"},
      {list_of(kw::type_and_list, {value::Number(1), value::Number(2)}), u"и-список"},
      {list_of(kw::type_or_list, {value::Number(1), value::Number(2)}), u"или-список"},
      {value::Context(nullptr), u"контекст"},
      {fruit.as_value(), u"@фрукт"},
      {table.as_value(), u"$стол"},
      {gone.as_value(), u"ЗАБЫТО"},
  };
  for (const auto& [v, expected] : cases) EXPECT_EQ(v.ShortText(&world), expected);
  EXPECT_EQ(wide_message([&] { fruit.as_value().ShortText(nullptr); }), "value::ShortText() no World!");
}

TEST(Value, KeysOfEveryType) {
  fake_world world;
  fake_entity thing{.keys = u"жр"};
  auto key_of = [&](value v) {
    v.BuildKey(&world);
    return v.KeyText();
  };
  EXPECT_EQ(key_of(value::Keyword(kw::result_yes)), u"c!bv");
  EXPECT_EQ(key_of(value::Number(1)), u"c!nv");
  EXPECT_EQ(key_of(value::Keyword(kw::prp_name)), u"$p");
  EXPECT_EQ(key_of(value()), u"0v");
  EXPECT_EQ(key_of(value::String(u"a")), u"sv");
  EXPECT_EQ(key_of(value::Keyword(kw::dir_up)), u"kpkv");
  EXPECT_EQ(key_of(thing.as_value()), u"ooovжрЕч");
  const std::pair<int, const char16_t*> entity_keys[] = {
      {kw::type_attribute, u"c!aoavжр"}, {kw::type_relation, u"c!roжр"}, {kw::type_act, u"c!ooovжр"},
      {kw::type_class, u"c!cocvжр"}, {kw::type_location, u"oolvжр"}, {kw::type_word, u"wowvжр"},
      {kw::type_preposition, u"c!-o-vжр"}};
  for (auto [type, expected] : entity_keys) EXPECT_EQ(key_of(value::Entity(type, thing.get())), expected) << type;
  EXPECT_EQ(key_of(list_of(kw::type_and_list, {value::Number(1), value::Number(2)})), u"&vМч");
  EXPECT_EQ(key_of(list_of(kw::type_or_list, {value::Number(1), value::Number(2)})), u"|v");
  EXPECT_EQ(key_of(value::Context(nullptr)), u"");

  // Earlier keys win: the value's own over its entity's, the entity's over the type's.
  EXPECT_EQ(key_of(keyed(value::Number(1), u"xv")), u"c!xv");
  EXPECT_EQ(key_of(keyed(thing.as_value(), u"мр")), u"ooovмрЕч");
  fake_entity cased{.keys = u"Дч"};
  EXPECT_EQ(key_of(cased.as_value()), u"ooovДч");
  EXPECT_EQ(wide_message([&] { thing.as_value().BuildKey(nullptr); }), "value::BuildKey() no World!");
}

TEST(Value, TextsOfPayloadTypes) {
  EXPECT_EQ(text_of(value::Keyword(kw::result_yes)), u"да");
  EXPECT_EQ(text_of(value::Result(kw::result_fail, u"дверь заперта")), u"ошибка, дверь заперта");
  EXPECT_EQ(text_of(value::Number(-12)), u"-12");
  EXPECT_EQ(text_of(value()), u"");
  EXPECT_EQ(text_of(value::Keyword(kw::prp_name)), u"имя");
  EXPECT_EQ(text_of(value::String(u"слово")), u"слово");
  EXPECT_EQ(text_of(value::Keyword(kw::dir_up)), u"направление вверх");
  EXPECT_EQ(text_of(value::Keyword(kw::dir_northeast)), u"направление на северо-восток");
  EXPECT_EQ(wide_message([] { text_of(value::Context(nullptr)); }), "value::ToString() не определено!");

  fake_world world;
  fake_entity name_word{.name = u"имя", .type = kw::type_word, .forms = {{u"Рп", u"имени"}}};
  world.words.push_back(&name_word);
  EXPECT_EQ(text_of(value::Keyword(kw::prp_name), &world, u"Рп"), u"имени");
  EXPECT_EQ(text_of(value::Keyword(kw::prp_name), &world, u"Дп"), u"имя");

  int place = 0;
  world.in_location = fake_context(place);
  bool missing = true;
  EXPECT_EQ(value::Keyword(kw::dir_north).ToString(&world, fake_context(place), nullptr, 0, missing), u"выход: north");
  EXPECT_FALSE(missing);
}

TEST(Value, TextsOfEntities) {
  fake_world world;
  fake_entity apple{.name = u"яблоко", .forms = {{u"ИпЕч", u"яблоко"}, {u"РпЕч", u"яблока"}, {u"ИпМч", u"яблоки"}}};
  fake_entity fruit{.name = u"фрукт", .type = kw::type_class};
  bool missing = false;
  EXPECT_EQ(text_of(apple.as_value(), &world, u"Рп"), u"яблока");
  EXPECT_EQ(text_of(apple.as_value(), &world), u"яблоко");
  EXPECT_EQ(text_of(apple.as_value(), &world, u"*д", 0, &missing), u"<font color='red'>нет формы #*д для яблоко</font>");
  EXPECT_TRUE(missing);
  EXPECT_EQ(text_of(fruit.as_value(), &world, u"!д", 0, &missing), u"<font color='red'>нет формы #!д для @фрукт</font>");
  EXPECT_EQ(text_of(fruit.as_value(), &world, u"Дп", 0, &missing), u"фрукт");
  EXPECT_FALSE(missing);

  // The polite plural asks the plural form.
  EXPECT_EQ(text_of(apple.as_value(), &world, u"ИпКфВыЕч"), u"яблоки");
  EXPECT_EQ(text_of(apple.as_value(), &world, u"ИпКфЕч"), u"яблоко");

  fake_entity table_word{.name = u"стол", .type = kw::type_word, .forms = {{u"Дп", u"столу"}}};
  fake_entity table{.name = u"стол_1", .words = {&table_word}};
  EXPECT_EQ(text_of(table.as_value(), &world, u"Дп"), u"столу");
  table.title = std::make_unique<value>(value::String(u"старый стол"));
  EXPECT_EQ(text_of(table.as_value(), &world, u"Дп", text_title), u"старый стол");
  table_word.method_answer = u"столом";
  EXPECT_EQ(text_of(table.as_value(), &world, u"Тп"), u"столом");
  ASSERT_EQ(world.method_subjects.size(), 1u);
  EXPECT_TRUE(world.method_subjects[0] == table.as_value());
  EXPECT_EQ(text_of(table_word.as_value(), &world, u"Тп"), u"столом");
  table_word.method_answer.clear();
  EXPECT_EQ(text_of(table_word.as_value(), &world, u"*т"), u"<font color='red'>нет формы #*т для $стол</font>");

  fake_entity you{.name = u"ты", .type = kw::type_word, .forms = {{u"2лДп", u"тебе"}}};
  world.words.push_back(&you);
  EXPECT_EQ(text_of(apple.as_value(), &world, u"2лДп", text_person), u"тебе");
  EXPECT_EQ(text_of(apple.as_value(), &world, u"2лРп"), u"яблока");

  fake_entity basket{.name = u"корзина", .forms = {{u"Рп", u"корзины"}}};
  value owned = apple.as_value();
  owned.SetOwner(basket.get());
  EXPECT_EQ(text_of(owned, &world, u"Рп", text_owner), u"корзины");
  EXPECT_EQ(text_of(owned, &world, u"Рп"), u"яблока");

  value counted = value::Number(3);
  counted.SetAssociated(apple.get());
  EXPECT_EQ(text_of(counted, &world, u"Рп"), u"3 яблока");

  fake_entity gone_word{.name = u"x", .type = kw::type_word, .alive = false};
  fake_entity gone_prep{.name = u"x", .type = kw::type_preposition, .alive = false};
  fake_entity prep{.name = u"на", .type = kw::type_preposition};
  fake_entity gone{.name = u"x", .alive = false};
  EXPECT_EQ(text_of(gone_word.as_value(), &world), u"забытое слово");
  EXPECT_EQ(text_of(gone_prep.as_value(), &world), u"забытый предлог");
  EXPECT_EQ(text_of(prep.as_value(), &world), u"на");
  EXPECT_EQ(text_of(gone.as_value(), &world), u"нечто забытое");
  EXPECT_EQ(wide_message([&] { text_of(apple.as_value()); }), "value::ToString() no World!");

  fake_entity mirror{.name = u"зеркало"};
  mirror.title = std::make_unique<value>(mirror.as_value());
  EXPECT_EQ(wide_message([&] { text_of(mirror.as_value(), &world, nullptr, text_title); }),
            "value::ToString() слишком глубокая вложенность!");
}

TEST(Value, TextsOfLists) {
  auto strings = [](int list_type, std::initializer_list<const char16_t*> texts) {
    value list;
    for (const char16_t* text : texts) list.AddToList(list_type, value::String(text), false);
    return list;
  };
  EXPECT_EQ(text_of(strings(kw::type_and_list, {u"нож", u"ключ", u"хлеб"})), u"нож, ключ и хлеб");
  EXPECT_EQ(text_of(strings(kw::type_or_list, {u"нож", u"ключ", u"хлеб"})), u"нож, ключ или хлеб");
  EXPECT_EQ(text_of(strings(kw::type_or_list, {u"нож", u"ключ"})), u"нож или ключ");
  EXPECT_EQ(text_of(strings(kw::type_and_list, {u"нож", u"ключ", u"хлеб"}), nullptr, u"Пг"), u"нож ключ хлеб");

  fake_world world;
  fake_entity key1{.name = u"ключ"}, key2{.name = u"ключ"}, stone{.name = u"камень"};
  value things = list_of(kw::type_and_list, {key1.as_value(), stone.as_value(), key2.as_value()});
  EXPECT_EQ(text_of(things, &world), u"ключ и камень");  // equal texts kept once
  EXPECT_EQ(text_of(things, &world, u"Рг"), u"ключ (1), камень и ключ (2)");

  // The elements are asked without the list's number.
  fake_entity apple{.name = u"яблоко", .forms = {{u"ИпЕч", u"яблоко"}, {u"ИпМч", u"яблоки"}}};
  value fruit = list_of(kw::type_and_list, {apple.as_value(), value::String(u"груша")});
  EXPECT_EQ(text_of(fruit, &world, u"ИпМч"), u"яблоко и груша");
  bool missing = false;
  EXPECT_EQ(text_of(fruit, &world, u"*д", 0, &missing), u"<font color='red'>нет формы #*д для яблоко</font> и груша");
  EXPECT_TRUE(missing);
}

TEST(Value, CalculatedStrings) {
  fake_evaluator evaluator;
  auto calculated = [&](const char16_t* text, const char16_t* key, expression_evaluator* with) {
    return keyed(value::String(text), key).CalcString(nullptr, with, nullptr);
  };
  EXPECT_EQ(calculated(u"у тебя {x} монет", u"", &evaluator), u"у тебя 5 монет");
  EXPECT_EQ(calculated(u"a \\{x} b {x}", u"", &evaluator), u"a \\{x} b 5");
  EXPECT_EQ(calculated(u"a {x", u"", &evaluator), u"a {x");
  EXPECT_EQ(calculated(u"{f(##)}", u"Рп", &evaluator), u"f(#Рп)");
  EXPECT_EQ(calculated(u"{f(##)}", u"", &evaluator), u"f(#)");
  EXPECT_EQ(calculated(u"1 {bad} 2", u"", &evaluator), u"ошибка синтаксиса в вычисляемой строке: bad");
  EXPECT_EQ(calculated(u"1 {f(##)} 2", u"Рп", nullptr), u"ошибка синтаксиса в вычисляемой строке: f(#Рп)");

  EXPECT_EQ(calculated(u"дверь !не! заперта, !ни! души", u"НеРп", &evaluator), u"дверь не заперта, ни души");
  EXPECT_EQ(calculated(u"дверь !не!заперта", u"Рп", &evaluator), u"дверь заперта");
  EXPECT_EQ(calculated(u"{x}!не!", u"Не", &evaluator), u"5не");
  EXPECT_EQ(wide_message([&] { value::Number(1).CalcString(nullptr, &evaluator, nullptr); }),
            "value::CalcString() not a String!");
}

}  // namespace
