// Entities: creation and its index rules, destruction, word forms, classes
// and likeness, code sections and the JSON writers.

#include <gtest/gtest.h>

#include "key_matrix.h"
#include "keyword_table.h"
#include "list_sets.h"
#include "location.h"
#include "obj_word.h"
#include "scripted_runner.h"
#include "test_support.h"
#include "world.h"

namespace {

class entities : public ::testing::Test {
 protected:
  object* Make(int type, const char16_t* name, context* where = nullptr, bool inside = true) {
    return home.Create(where, type, inside, name);
  }
  object* Class(const wstring& name) { return Make(kw::type_class, name.Text()); }
  static value As(object* entity, const char16_t* keys = u"") {
    value v = value::Entity(entity->Type(), entity);
    v.SetKeyText(keys);
    return v;
  }
  static bool Direct(const object* entity, const object* cls) {
    int pos;
    return entity->classes.Find(cls->Id(), pos);
  }

  world home{u"игра"};
};

// A name made of the stem and two letters counting n.
wstring numbered(const char16_t* stem, int n) {
  wstring name = stem;
  name += char16_t(u'а' + n / 32);
  name += char16_t(u'а' + n % 32);
  return name;
}

TEST_F(entities, CreationFollowsTheIndexRules) {
  object* in = Make(kw::type_preposition, u"в");
  object* word = Make(kw::type_word, u"стол");
  word->own_keys = u"Мр";
  object* first = Make(kw::type_object, u"Ёлка");
  Make(kw::type_class, u"ящик");
  int before = home.ids.Count();
  EXPECT_EQ(wide_message([&] { Make(kw::type_object, u""); }), "object::object() invalid name!");
  EXPECT_EQ(wide_message([&] { Make(kw::type_class, u"В"); }), "имя не должно совпадать с предлогом!");
  EXPECT_EQ(wide_message([&] { Make(kw::type_preposition, u"стол"); }), "предлог не должен совпадать с именем слова!");
  EXPECT_EQ(wide_message([&] { Make(kw::type_preposition, u"елка"); }), "предлог не должен совпадать с именем объекта!");
  // Refusals after the name checks still use up an identifier.
  object* second = Make(kw::type_object, u"второй");
  EXPECT_EQ(second->Id(), first->Id() + 2);
  EXPECT_EQ(wide_message([&] { Make(kw::type_preposition, u"в"); }), "object::object() - повторное объявление предлога!");
  EXPECT_EQ(wide_message([&] { Make(kw::type_word, u"Стол"); }), "object::object() - не уникальное имя слова!");
  EXPECT_EQ(wide_message([&] { Make(kw::type_class, u"ЯЩИК"); }), "object::object() - не уникальное имя класса!");
  EXPECT_EQ(wide_message([&] { Make(kw::type_location, u"елка"); }), "object::object() - не уникальное имя объекта!");
  EXPECT_EQ(Make(kw::type_object, u"третий")->Id(), second->Id() + 5);
  EXPECT_EQ(home.ids.Count(), before + 2);

  EXPECT_EQ(static_cast<object*>(home.FindPreposition(u"в")), in);
  EXPECT_EQ(home.FindObject(u"елка"), first);
  EXPECT_EQ(home.FindObject(u"стол"), nullptr);
  EXPECT_EQ(home.names.Get(u"стол"), nullptr);
  // Objects named by a word, or by a word and "_" or ":", take its link
  // and keys; a class takes the link only.
  for (const char16_t* name : {u"стол", u"стол_кухонный", u"стол:2", u"_стол"}) {
    object* named = Make(kw::type_object, name);
    EXPECT_EQ(named->linked_words.Count(), name[0] == u'_' ? 0 : 1) << utf8(name);
    EXPECT_EQ(named->own_keys, name[0] == u'_' ? u"" : u"Мр") << utf8(name);
  }
  object* cls = Make(kw::type_class, u"стол_класс");
  EXPECT_TRUE(set_contains(cls->linked_words, word->Id()));
  EXPECT_TRUE(cls->own_keys.IsEmpty());
  EXPECT_EQ(Make(kw::type_word, u"стол_2")->linked_words.Count(), 0);
  // An object declared after a class of its name is of that class.
  object* box = Make(kw::type_object, u"Ящик");
  EXPECT_TRUE(box->IsOfClass(home.FindClass(u"ящик")->Id()));
  EXPECT_EQ(home.names.Get(u"ящик")->entities.Count(), 2);
}

TEST_F(entities, NewEntitiesStandInTheNearestEntityOrLocation) {
  object* box = Make(kw::type_object, u"коробка");
  context in_box(&home, kw::type_context, box);
  object* ball = Make(kw::type_object, u"мяч", &in_box, true);
  object* lid = Make(kw::type_object, u"крышка", &in_box, false);
  EXPECT_EQ(box->Parent(), &home);
  EXPECT_EQ(ball->Parent(), box);
  EXPECT_TRUE(set_contains(box->inside, ball));
  EXPECT_TRUE(set_contains(box->outside, lid));
  EXPECT_EQ(Make(kw::type_word, u"мяч", &in_box)->Parent(), &home);
  object* hall = Make(kw::type_location, u"зал");
  context in_hall(&home, kw::type_context, hall);
  EXPECT_EQ(Make(kw::type_object, u"стул", &in_hall)->Parent(), hall);
  object* alcove = Make(kw::type_location, u"ниша", &in_hall);
  EXPECT_EQ(alcove->Parent(), &home);
  EXPECT_TRUE(set_contains(hall->inside, alcove));
}

TEST_F(entities, DestroyedEntitiesLeaveNoTrace) {
  object* cls = Class(u"вещь");
  object* box = Make(kw::type_object, u"коробка");
  context in_box(&home, kw::type_context, box);
  object* ball = Make(kw::type_object, u"мяч", &in_box);
  box->SetClass(As(cls));
  box->AddForm(u"Ип", u"коробка");
  int32_t id = box->Id();
  const value held = As(box);
  home.Destroy(box);
  home.Destroy(nullptr);
  EXPECT_EQ(held.GetEntity(), nullptr);
  EXPECT_EQ(home.FindById(id), nullptr);
  EXPECT_EQ(home.FindObject(u"коробка"), nullptr);
  EXPECT_EQ(home.names.Get(u"коробка"), nullptr);
  EXPECT_EQ(home.word_forms.Get(u"коробка"), nullptr);
  EXPECT_EQ(cls->heirs.Count(), 0);
  EXPECT_EQ(ball->Parent(), &home);
  // Locations list each other both ways; neither list keeps the gone one.
  object* hall = Make(kw::type_location, u"зал");
  context in_hall(&home, kw::type_context, hall);
  home.Destroy(Make(kw::type_location, u"ниша", &in_hall));
  EXPECT_EQ(hall->inside.Count(), 0);
}

TEST_F(entities, FormsKeepTheirFirstTextAndTheBestFitWins) {
  object* table = Make(kw::type_object, u"стол");
  wstring text;
  int best = 0;
  EXPECT_EQ(wide_message([&] { table->GetForm(nullptr, text, best); }), "object::GetForm() нет ключа!");
  key_matrix genitive(u"Рп");
  EXPECT_FALSE(table->GetForm(&genitive, text, best));
  table->own_keys = u"Мр";
  table->AddForm(u"##ИпЕч", u"Стол");
  table->AddForm(u"ИпЕч", u"столик");
  table->AddForm(u"ИпМч", u"столы");
  table->AddForm(u"Рп", u"стола");
  EXPECT_EQ(table->forms[0].text, u"Стол");
  ASSERT_NE(home.word_forms.Get(u"стол"), nullptr);
  EXPECT_EQ(home.word_forms.Get(u"стол")->owners[0].key, u"ИпЕч");
  EXPECT_EQ(home.word_forms.Get(u"столик"), nullptr);

  EXPECT_TRUE(table->GetForm(&genitive, text, best));
  EXPECT_EQ(text, u"стола");
  EXPECT_EQ(best, 100);
  EXPECT_FALSE(table->GetForm(&genitive, text, best));  // not above the best
  // Of equal scores the first wins; the default key fills in the rest.
  key_matrix nominative(u"Ип"), plain;
  best = 0;
  EXPECT_TRUE(table->GetForm(&nominative, text, best));
  EXPECT_EQ(text, u"Стол");
  EXPECT_FALSE(table->GetForm(&plain, text, best = 0));
  table->default_key = u"Мч";
  EXPECT_TRUE(table->GetForm(&nominative, text, best = 0));
  EXPECT_EQ(text, u"столы");
  // Asking for a form ("!") scores it with the own keys: п +3, р -1.
  key_matrix asking(u"Рп!ч");
  EXPECT_TRUE(table->GetForm(&asking, text, best = 0));
  EXPECT_EQ(best, 102);
  table->own_keys = u"Жп";
  EXPECT_FALSE(table->GetForm(&asking, text, best = 0));
}

TEST_F(entities, GivingAndTakingClasses) {
  object *a = Class(u"a"), *b = Class(u"b"), *c = Class(u"c");
  c->SetClass(As(b));
  object* thing = Make(kw::type_object, u"вещь");
  value ab = As(a);
  ab.AddToList(kw::type_and_list, As(b), false);
  EXPECT_TRUE(thing->SetClass(ab));
  // A more specific class replaces its ancestor.
  EXPECT_TRUE(thing->SetClass(As(c)));
  EXPECT_EQ(thing->main_class, a->Id());
  EXPECT_FALSE(Direct(thing, b));
  EXPECT_FALSE(set_contains(b->heirs, thing->Id()));
  EXPECT_TRUE(thing->IsOfClass(b->Id()));
  // Taking a class; the main class stays.
  EXPECT_EQ(wide_message([&] { thing->SetClass(As(a, u"Не")); }), "нельзя отменить основной класс!");
  EXPECT_TRUE(thing->SetClass(As(c, u"Не")));
  EXPECT_FALSE(Direct(thing, c));
  EXPECT_FALSE(thing->SetClass(As(c, u"Не")));
  ab.SetKeyText(u"Не");
  EXPECT_EQ(wide_message([&] { thing->SetClass(ab); }), "отрицательный список в качестве класса!");
  // Nor may an ancestor of the main class be replaced; nothing changes.
  object* other = Make(kw::type_object, u"другая");
  other->SetClass(As(b));
  EXPECT_EQ(wide_message([&] { other->SetClass(As(c)); }), "нельзя отменить основной класс!");
  EXPECT_EQ(other->classes.Count(), 1);
  // A class records an exclusion both ways.
  EXPECT_TRUE(c->SetClass(As(a, u"Не")));
  EXPECT_TRUE(set_contains(c->excluded_classes, a->Id()));
  EXPECT_TRUE(set_contains(a->excluded_classes, c->Id()));
  c->SetClass(As(a));
  // An ancestor given after its descendant stays direct but not effective.
  object* late = Make(kw::type_object, u"поздняя");
  late->SetClass(As(c));
  late->SetClass(As(b));
  EXPECT_TRUE(Direct(late, b));
  EXPECT_EQ(late->effective_classes.Count(), 1);
  // Now that c has an heir, taking a class warns of it.
  EXPECT_EQ(wide_message([&] { c->SetClass(As(a, u"Не")); }), "класс уже имеет наследников, которые требуют проверки!");

  // Attributes are classes only of attributes; other values are none.
  object *red = Make(kw::type_attribute, u"красный"), *bright = Make(kw::type_attribute, u"яркий");
  EXPECT_FALSE(thing->SetClass(As(red)));
  EXPECT_TRUE(bright->SetClass(As(red)));
  EXPECT_FALSE(thing->SetClass(value::Number(1)));
  value gone = As(Class(u"gone"));
  home.Destroy(gone.GetEntity());
  EXPECT_FALSE(thing->SetClass(gone));
  object loose(&home, kw::type_class, true, u"вольный");  // not handed to the world
  EXPECT_EQ(wide_message([&] { thing->SetClass(As(&loose)); }), "object::SetClass() ошибка в списке объектов!");
}

TEST_F(entities, ClassChainsAreFollowedAHundredStepsUp) {
  std::vector<object*> chain;
  for (int i = 0; i <= 101; ++i) chain.push_back(Class(numbered(u"звено", i)));
  for (int i = 1; i < 101; ++i) chain[i]->SetClass(As(chain[i + 1]));
  object* thing = Make(kw::type_object, u"вещь");
  thing->SetClass(As(chain[1]));
  EXPECT_TRUE(thing->IsOfClass(thing->Id()));
  EXPECT_TRUE(thing->IsOfClass(chain[100]->Id()));
  EXPECT_FALSE(thing->IsOfClass(chain[101]->Id()));
  EXPECT_TRUE(chain[1]->IsOfClass(chain[101]->Id()));
  // A cycle of classes ends too.
  chain[101]->SetClass(As(chain[1]));
  EXPECT_FALSE(chain[50]->IsOfClass(chain[0]->Id()));
  EXPECT_TRUE(chain[101]->IsOfClass(chain[50]->Id()));
}

TEST_F(entities, LikenessAndPriority) {
  object *model = Class(u"образец"), *other = Class(u"иной"), *kind = Class(u"вид");
  EXPECT_TRUE(kind->SetLike(As(model)));
  EXPECT_EQ(kind->main_class, model->Id());
  EXPECT_EQ(wide_message([&] { kind->SetLike(As(other)); }), "не допускается присвоение более одного подобия!");
  EXPECT_EQ(wide_message([&] { kind->SetLike(As(other, u"Не")); }), "object::SetLike() отрицательное подобие!");
  object* thing = Make(kw::type_object, u"вещь");
  thing->SetClass(As(kind));
  EXPECT_TRUE(thing->IsLike(model->Id()));
  EXPECT_FALSE(thing->IsLike(other->Id()));
  // Through a direct class it is not likeness.
  thing->SetClass(As(model));
  EXPECT_FALSE(thing->IsLike(model->Id()));
  object* copy = Make(kw::type_object, u"копия");
  copy->SetClass(As(other));
  EXPECT_TRUE(copy->SetLike(As(model)));
  EXPECT_EQ(copy->main_class, other->Id());
  EXPECT_FALSE(Make(kw::type_object, u"неудача")->SetLike(value::Number(3)));

  // Later classes have priority; a class claiming both decides itself.
  object *a = Class(u"a"), *b = Class(u"b"), *x = Class(u"x"), *y = Class(u"y");
  thing->SetClass(As(a));
  thing->SetClass(As(b));
  EXPECT_TRUE(thing->CalcClsPriority(b->Id(), a->Id()));
  EXPECT_FALSE(thing->CalcClsPriority(a->Id(), b->Id()));
  EXPECT_EQ(wide_message([&] { thing->CalcClsPriority(x->Id(), y->Id()); }),
            "object::CalcClsPriority() не может такого быть!");
  object* both = Class(u"оба");
  both->SetClass(As(x));
  both->SetClass(As(y));
  object* heir = Make(kw::type_object, u"наследник");
  heir->SetClass(As(both));
  EXPECT_TRUE(heir->CalcClsPriority(y->Id(), x->Id()));
  EXPECT_FALSE(heir->CalcClsPriority(x->Id(), y->Id()));
}

TEST_F(entities, CodeKeepsItsSourceAndDeclaresSections) {
  object* door = Make(kw::type_object, u"дверь");
  door->SetCode(u"  \r\n ");
  EXPECT_TRUE(door->SourceText().IsEmpty());
  door->SetCode(u"открыта = нет\r\n== Осмотр ==\n-- взять  Ёлку --\n**\n***\n* *");
  door->SetCode(u"x");
  door->SetCode(u"==*=");
  EXPECT_EQ(door->SourceText(), u"открыта = нет\r\n== Осмотр ==\n-- взять  Ёлку --\n**\n***\n* *\nx\n==*=");
  EXPECT_EQ(door->Variables().Count(), 3);
  variable* inspect = door->FindVariable(u"осмотр");
  ASSERT_NE(inspect, nullptr);
  EXPECT_TRUE(inspect->is_computed && inspect->is_property);
  EXPECT_NE(door->FindVariable(u"взять__елку"), nullptr);
  EXPECT_NE(door->FindVariable(u"*"), nullptr);
  // An interpreter cuts the lines; code added after a labelled section lies
  // in that section and does not run.
  scripted_runner runner;
  home.SetRunner(&runner);
  door->SetCode(u"y\n** цвет лампы");
  EXPECT_NE(door->FindVariable(u"цвет_лампы"), nullptr);
  EXPECT_TRUE(runner.sources.empty());
  // Added to the unlabelled beginning, only the added code runs, in the
  // entity.
  object* lamp = Make(kw::type_object, u"лампа");
  lamp->SetCode(u"x = 1");
  lamp->SetCode(u"y = 2\n-- зажечь --\nz = 3");
  lamp->SetCode(u"w = 4");
  ASSERT_EQ(runner.sources.size(), 2u);
  EXPECT_EQ(utf8(runner.sources[0]), "x = 1");
  EXPECT_EQ(utf8(runner.sources[1]), "y = 2\n-- зажечь --\nz = 3");
  EXPECT_EQ(runner.source_contexts[1], lamp);
  home.SetRunner(nullptr);
}

TEST_F(entities, JsonTrees) {
  object* hall = Make(kw::type_location, u"зал");
  context in_hall(&home, kw::type_context, hall);
  object* table = Make(kw::type_object, u"стол", &in_hall);
  context on_table(&home, kw::type_context, table);
  Make(kw::type_object, u"чаш\"ка", &on_table, false);
  Make(kw::type_object, u"ящик", &on_table, true);
  Make(kw::type_location, u"ниша", &in_hall);
  wstring out;
  hall->WriteObjectTree(out, 1, false);
  EXPECT_EQ(utf8(out.Text()),
            "[1,\"location\",\"зал\",\"\"],[2,\"object\",\"стол\",\"внутр.\"],[3,\"object\",\"чаш\\\"ка\",\"внеш.\"],"
            "[3,\"object\",\"ящик\",\"внутр.\"],[2,\"location\",\"ниша\",\"\"],[3,\"location\",\"зал\",\"\"]");
  out = wstring();
  table->WriteObjectTree(out, 5, true);
  table->WriteObjectTree(out, 10, false);
  table->WriteObjectTree(out, 11, false);
  EXPECT_EQ(utf8(out.Text()), "[5,\"object\",\"стол\",\"\"][10,\"object\",\"стол\",\"внутр.\"]");

  std::vector<object*> chain;
  for (int i = 0; i < 12; ++i) chain.push_back(Class(numbered(u"к", i)));
  for (int i = 0; i < 11; ++i) chain[i]->SetClass(As(chain[i + 1]));
  out = wstring();
  chain[9]->WriteClassTree(out, 9);
  EXPECT_EQ(utf8(out.Text()),
            "{\"Deep\":9,\"Type\":\"class\",\"Name\":\"@кай\"},{\"Deep\":10,\"Type\":\"class\",\"Name\":\"@как\"},"
            "{\"Error\":\"Deep\"}");
  out = wstring();
  chain[0]->WriteClassTree(out, 0);
  std::string tree = utf8(out.Text());
  EXPECT_TRUE(tree.starts_with("{\"Deep\":0,\"Type\":\"class\",\"Name\":\"@каа\"},")) << tree;
  EXPECT_TRUE(tree.ends_with("\"@как\"},{\"Error\":\"Deep\"}")) << tree;
}

TEST_F(entities, PropertyListShowsExitsAndEveryVisibleProperty) {
  object* thing_class = Class(u"вещь");
  Make(kw::type_attribute, u"цвет");
  auto* hall = static_cast<location*>(Make(kw::type_location, u"зал"));
  object* yard = Make(kw::type_location, u"двор");
  hall->Exit(kw::dir_north).target = yard->Id();
  hall->Exit(kw::dir_down).target = Make(kw::type_location, u"подвал")->Id();
  hall->Exit(kw::dir_down).text = u"вниз ведёт лестница";
  hall->Exit(kw::dir_east).blocked_text = u"стена";
  home.Destroy(home.FindObject(u"подвал"));
  hall->SetClass(As(thing_class));
  thing_class->SetVariable(u"вес", value::Number(3), true, false);
  thing_class->SetVariable(u"Название", value::String(u"вещь"), true, false);
  hall->SetVariable(u"Название", value::String(u"большой зал"), true, false);
  hall->SetVariable(u"цвет", value::Keyword(kw::result_yes), true, false);
  value lamp = As(Make(kw::type_object, u"лампа"));
  lamp.SetOwner(yard);
  hall->SetVariable(u"лампа", lamp, true, false);
  hall->SetVariable(u"путь", value::Keyword(kw::dir_west), true, false);
  hall->SetVariable(u"пусто", value(), true, false);
  hall->SetCode(u"x\n== осмотр ==");
  value gone = As(Class(u"старый"));
  home.Destroy(gone.GetEntity());
  hall->SetVariable(u"старый", gone, true, false);
  wstring out;
  hall->WritePropertyList(out);
  EXPECT_EQ(utf8(out.Text()),
            "[\"sys\",\"type\",\"string\",\"\",\"\",\"location\"],[\"sys\",\"name\",\"string\",\"\",\"\",\"зал\"],"
            "[\"sys\",\"вниз\",\"course\",\"\",\"\",\"не найдена!\",\"вниз ведёт лестница\",\"--\"],"
            "[\"sys\",\"север\",\"course\",\"\",\"\",\"двор\",\"--\",\"--\"],"
            "[\"sys\",\"восток\",\"course\",\"\",\"\",\"--\",\"--\",\"стена\"],"
            "[\"prp\",\"лампа\",\"object\",\"зал\",\"двор\",\"лампа\"],"
            "[\"prp\",\"название\",\"string\",\"зал\",\"\",\"большой зал\"],[\"prp\",\"осмотр\",\"calc\",\"зал\",\"\"],"
            "[\"prp\",\"пусто\",\"null\",\"зал\",\"\"],[\"prp\",\"путь\",\"course\",\"зал\",\"\",\"запад\"],"
            "[\"prp\",\"старый\",\"class\",\"зал\",\"\",\"ЗАБЫТО\"],[\"prp\",\"цвет\",\"bool\",\"зал\",\"цвет\",\"да\"],"
            "[\"prp\",\"вес\",\"number\",\"@вещь\",\"\",\"3\"]");
}

}  // namespace
