#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "code_world.h"
#include "fn_list_item.h"
#include "keyword_table.h"
#include "test_support.h"

namespace {

std::string text(const wstring& s) { return encode_utf8(s.Text(), size_t(s.Length())); }

// A result word with its message, as "ок: функция добавлена".
std::string answer(const value& v) {
  if (v.Type() != kw::type_bool) return "<no result word>";
  return utf8(kw::at(v.Code()).russian) + ": " + text(v.Text());
}

struct registry {
  std::string Declare(int kind, const char16_t* args, const char16_t* body, const char16_t* parent = u"") {
    value result;
    const wstring body_text(body ? body : u"");
    w.home.functions.NewFn(kind, args, parent, result, body ? &body_text : nullptr);
    return answer(result);
  }
  std::string Refusal(int kind, const char16_t* args, const char16_t* body, const char16_t* parent = u"") {
    return wide_message([&] { Declare(kind, args, body, parent); });
  }
  const fn_it* Find(const char16_t* description) {
    const fn_args args(description, f);
    int pos;
    return f.Functions().Find(args, pos) ? &f.Functions()[pos] : nullptr;
  }
  int Type(const char16_t* name) {
    int pos;
    return f.Types().Find(name, pos) ? f.Types()[pos].type : -1;
  }
  // The declaration texts of the functions listed under a type.
  std::vector<std::string> Listed(const char16_t* type_name) {
    std::vector<std::string> declarations;
    int pos;
    if (!f.FnAgIndex().Find(Type(type_name), pos)) return {"<no entry>"};
    for (const fn_args& args : f.FnAgIndex()[pos].functions) {
      int at;
      declarations.push_back(f.Functions().Find(args, at) ? text(f.Functions()[at].declaration) : "<missing>");
    }
    return declarations;
  }
  std::string Description(const char16_t* description) {
    return wide_message([&] { fn_args args(description, f); });
  }

  code_world w;
  fn_list_item& f = w.home.functions;
};

std::vector<std::string> extra_names(const fn_it& fn) {
  std::vector<std::string> names;
  for (const wstring& name : fn.extra_names) names.push_back(text(name));
  return names;
}

}  // namespace

TEST(FunctionArguments, DescriptionItemsAndBrackets) {
  registry r;
  const fn_args args(u"Взять, Предмет Вещь #пВ;\n[Ёлка\tМ] , число#рП,[строка]\r", r.f);
  ASSERT_EQ(args.Count(), 5);
  const char* types[] = {"взять", "предмет", "елка", "число", "строка"};
  const char* names[] = {"", "вещь", "м", "", ""};
  const char* keys[] = {"", "пВ", "", "рП", ""};
  const bool required[] = {true, true, false, true, false};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(args[i].type, i);
    EXPECT_EQ(text(r.f.FnAgIndex()[i].name), types[i]);
    EXPECT_EQ(text(args[i].name), names[i]);
    EXPECT_EQ(text(args[i].key), keys[i]);
    EXPECT_EQ(args[i].required, required[i]);
  }
  EXPECT_EQ(r.Type(u"елка"), 2);
  // A third item is the key without "#" too; "]" ends an item; a known
  // type keeps its number; markers are kept in keys.
  const fn_args more(u"предмет п пВ, [число]н, строка #*в!", r.f);
  EXPECT_EQ(more[0].type, 1);
  EXPECT_EQ(text(more[0].key), "пВ");
  EXPECT_EQ(text(more[1].name), "н");
  EXPECT_FALSE(more[1].required);
  EXPECT_EQ(text(more[2].key), "*в!");
  EXPECT_EQ(r.f.Types().Count(), 5);
  EXPECT_EQ(r.f.FnAgIndex().Count(), 5);
}

TEST(FunctionArguments, DescriptionMessages) {
  registry r;
  EXPECT_EQ(r.Description(u"#пВ предмет"), "ожидался тип аргумента!");
  EXPECT_EQ(r.Description(u"[ #к"), "ожидался тип аргумента!");
  EXPECT_EQ(r.Description(u"предмет п, #к"), "ожидался тип аргумента!");
  EXPECT_EQ(r.Description(u"предмет п #а #б"), "лишний ключ в описании аргумента функции!");
  EXPECT_EQ(r.Description(u"предмет п пВ #б"), "лишний ключ в описании аргумента функции!");
  EXPECT_EQ(r.Description(u"предмет п #к лишнее"), "лишние элементы в описании аргументов функции!");
  EXPECT_EQ(r.Description(u"предмет п к лишнее"), "лишние элементы в описании аргументов функции!");
  EXPECT_EQ(r.Description(u"предмет #к п"), "лишние элементы в описании аргументов функции!");
  EXPECT_EQ(r.Description(u"предмет [п"), "лишняя скобка [ в описании аргумента функции!");
  EXPECT_EQ(r.Description(u"[[предмет"), "лишняя скобка [ в описании аргумента функции!");
  EXPECT_EQ(r.Description(u"[предмет] [п"), "лишняя скобка [ в описании аргумента функции!");
  EXPECT_EQ(r.Description(u"предмет, ] [п"), "лишняя скобка [ в описании аргумента функции!");
  for (const char16_t* c = u"$%&'+./<=>?^`{|}~"; *c; ++c) {
    const std::u16string in_type = std::u16string(u"пред") + *c + u"мет";
    const std::u16string in_key = std::u16string(u"предмет п #к") + *c;
    EXPECT_EQ(r.Description(in_type.c_str()), "недопустимый символ в описании аргумента функции!") << utf8(in_type);
    EXPECT_EQ(r.Description(in_key.c_str()), "недопустимый символ в описании аргумента функции!") << utf8(in_key);
  }
  // Arguments that ended before the error have their types.
  EXPECT_EQ(r.Description(u"яблоко, груша.сорт"), "недопустимый символ в описании аргумента функции!");
  // Only "предмет п, #к" ended an argument before: "предмет" is type 0.
  EXPECT_EQ(r.Type(u"предмет"), 0);
  EXPECT_EQ(r.Type(u"яблоко"), 1);
  EXPECT_EQ(r.Type(u"груша"), -1);
  EXPECT_EQ(r.f.Types().Count(), 2);
}

TEST(FunctionArguments, IdentityAndOrder) {
  registry r;
  const fn_args a(u"взять, предмет п #пВ, [место м]", r.f);
  EXPECT_EQ(a.CompareKey(fn_args(u"Взять,[предмет]#пВ; место другое", r.f)), 0);
  EXPECT_NE(a.CompareKey(fn_args(u"взять, предмет п #пв, место м", r.f)), 0);
  EXPECT_LT(fn_args(u"место", r.f).CompareKey(a), 0);
  // Types order by number, not by name: "яблоко" came first.
  const char16_t* declared[] = {u"яблоко #б, яблоко", u"груша, яблоко", u"груша #а", u"груша",
                                u"яблоко #а, груша", u"яблоко #б",    u"яблоко",   u"яблоко #а"};
  for (const char16_t* args : declared) EXPECT_EQ(r.Declare(kw::fn_expression, args, u"1"), "ок: функция добавлена");
  std::vector<std::string> order;
  for (const fn_it& fn : r.f.Functions()) order.push_back(text(fn.declaration));
  const std::vector<std::string> expected = {"яблоко", "яблоко #а", "яблоко #б", "груша", "груша #а",
                                             "яблоко #а, груша", "яблоко #б, яблоко", "груша, яблоко"};
  EXPECT_EQ(order, expected);
}

TEST(GameFunctions, DeclaringWhileLoading) {
  registry r;
  r.w.home.loading = true;
  EXPECT_EQ(r.Declare(kw::fn_action, u"взять, предмет п", u"--- execute ---\n1"), "ок: функция добавлена");
  EXPECT_EQ(r.Declare(kw::fn_action, u"Взять, [предмет] вещь", u"2"), "нет: такая функция уже есть!");
  EXPECT_EQ(r.Declare(kw::fn_fact, u"взять,предмет", u"3"), "нет: такая функция уже есть!");
  const fn_it* fn = r.Find(u"взять, предмет");
  ASSERT_NE(fn, nullptr);
  EXPECT_EQ(fn->kind, kw::fn_action);
  EXPECT_TRUE(fn->library);
  EXPECT_EQ(text(fn->declaration), "взять, предмет п");
  EXPECT_EQ(text(fn->body->Source()), "--- execute ---\n1");
  EXPECT_EQ(r.f.Functions().Count(), 1);
  // Listed once under each of its types.
  EXPECT_EQ(r.Declare(kw::fn_fact, u"предмет а, предмет б", u"1"), "ок: функция добавлена");
  EXPECT_EQ(r.Listed(u"взять"), std::vector<std::string>{"взять, предмет п"});
  EXPECT_EQ(r.Listed(u"предмет"), (std::vector<std::string>{"взять, предмет п", "предмет а, предмет б"}));
  // A function of the running game is no library function.
  r.w.home.loading = false;
  EXPECT_EQ(r.Declare(kw::fn_fact, u"положить", u""), "ок: функция добавлена");
  EXPECT_FALSE(r.Find(u"положить")->library);
  EXPECT_EQ(r.Declare(kw::fn_fact, u"положить", u"1"), "нет: такая функция уже есть!");
  // A world loaded afresh forgets functions and types.
  r.f.Clear();
  EXPECT_EQ(r.f.FnAgIndex().Count(), 0);
  EXPECT_EQ(r.Declare(kw::fn_fact, u"положить", u"2"), "ок: функция добавлена");
  EXPECT_EQ(r.f.Functions().Count(), 1);
  EXPECT_EQ(r.Type(u"положить"), 0);
}

TEST(GameFunctions, RunningGameRedefinesLibraryFunctionOnce) {
  registry r;
  r.w.home.loading = true;
  r.Declare(kw::fn_action, u"осмотреть, предмет п", u"A");
  EXPECT_EQ(r.Declare(kw::fn_action, u"глянуть", nullptr, u"осмотреть, предмет"), "ок: добавлен синоним функции");
  EXPECT_EQ(extra_names(*r.Find(u"глянуть")), std::vector<std::string>{"п"});
  r.w.home.loading = false;
  EXPECT_EQ(r.Refusal(kw::fn_fact, u"осмотреть, предмет x", u"B"), "попытка переопределить тип библиотечной функции!");
  EXPECT_TRUE(r.Find(u"осмотреть, предмет")->library);
  EXPECT_EQ(r.Declare(kw::fn_action, u"глянуть", u"B"), "ок: функция добавлена");
  const fn_it* look = r.Find(u"глянуть");
  EXPECT_FALSE(look->library);
  EXPECT_TRUE(look->extra_names.Count() == 0);
  EXPECT_EQ(text(look->body->Source()), "B");
  EXPECT_EQ(text(look->second_text), "");
  EXPECT_EQ(r.Declare(kw::fn_action, u"глянуть", u"C"), "нет: такая функция уже есть!");
  // A library function may also become a synonym.
  EXPECT_EQ(r.Declare(kw::fn_action, u"осмотреть, предмет x", nullptr, u"глянуть"), "ок: добавлен синоним функции");
  const fn_it* examine = r.Find(u"осмотреть, предмет");
  EXPECT_FALSE(examine->library);
  EXPECT_EQ(text(examine->body->Source()), "B");
  EXPECT_EQ(text(examine->declaration), "осмотреть, предмет x");
  EXPECT_EQ(r.f.Functions().Count(), 2);
}

TEST(GameFunctions, Synonyms) {
  registry r;
  r.Declare(kw::fn_action, u"взять, предмет п, [место м]", u"--- execute ---\nп");
  EXPECT_EQ(r.Declare(kw::fn_fact, u"схватить, предмет вещь", nullptr, u"взять, предмет, место"),
            "ок: добавлен синоним функции");
  const fn_it* grab = r.Find(u"схватить, предмет");
  EXPECT_EQ(grab->kind, kw::fn_fact);
  EXPECT_EQ(extra_names(*grab), (std::vector<std::string>{"м", "п"}));
  EXPECT_EQ(text(grab->body->Source()), "--- execute ---\nп");
  EXPECT_NE(grab->body, r.Find(u"взять, предмет, место")->body);
  EXPECT_EQ(text(grab->second_text), "взять, предмет п, [место м]");
  // A synonym of a synonym keeps the names its primary lacked and the
  // text of the first primary.
  r.Declare(kw::fn_fact, u"хапнуть, предмет п", nullptr, u"схватить, предмет");
  EXPECT_EQ(extra_names(*r.Find(u"хапнуть, предмет")), (std::vector<std::string>{"вещь", "м"}));
  EXPECT_EQ(text(r.Find(u"хапнуть, предмет")->second_text), "взять, предмет п, [место м]");
  // A body wins over a primary; an empty body is a body.
  EXPECT_EQ(r.Declare(kw::fn_fact, u"держать", u"", u"нет, такой"), "ок: функция добавлена");
  // Refusals change no function.
  const int count = r.f.Functions().Count();
  EXPECT_EQ(r.Refusal(kw::fn_action, u"бросить, предмет", nullptr, u"бросить, предмет"), "первичная функция не найдена!");
  EXPECT_EQ(r.Refusal(kw::fn_action, u"бросить, предмет", nullptr), "fn_list_item::NewFn() ожидались ParentArgs или Body!");
  EXPECT_EQ(r.Refusal(kw::fn_action, u"", u"1"), "fn_list_item::NewFn() empty Args!");
  EXPECT_EQ(r.Refusal(kw::fn_action, u"бросить, ", u"1"), "fn_list_item::NewFn() - ошибка в структуре аргументов!");
  EXPECT_EQ(r.Refusal(kw::fn_action, u"бросить,,предмет", u"1"), "fn_list_item::NewFn() - ошибка в структуре аргументов!");
  EXPECT_EQ(r.Refusal(kw::fn_action, u" ", u"1"), "fn_list_item::NewFn() - ошибка в структуре аргументов!");
  EXPECT_EQ(r.Refusal(kw::fn_action, u"бросить, #к", u"1"), "ожидался тип аргумента!");
  EXPECT_EQ(r.f.Functions().Count(), count);
  EXPECT_EQ(r.Find(u"бросить, предмет"), nullptr);
  EXPECT_EQ(r.Listed(u"бросить"), std::vector<std::string>{});
}

TEST(GameFunctions, SectionsRunInEitherLanguage) {
  registry r;
  r.Declare(kw::fn_expression, u"english", u"var начало = 1\n---- parsing ----\n10\n---- check ----\n20\n---- execute ----\n30");
  r.Declare(kw::fn_expression, u"russian", u"---- парсинг ----\n11\n---- проверка ----\n21\n---- выполнение ----\n31");
  r.Declare(kw::fn_expression, u"only", u"---- execute ----\n32");
  const value fallback = value::Number(-1);
  auto run = [&](const char16_t* name, fn_section section) {
    r.w.in.StartCommand();
    return r.w.Text(r.Find(name)->Run(r.w.in, r.w.home, section, fallback));
  };
  EXPECT_EQ(run(u"english", fn_section::parsing), "10");
  EXPECT_EQ(run(u"english", fn_section::check), "20");
  EXPECT_EQ(run(u"english", fn_section::execute), "30");
  EXPECT_EQ(run(u"russian", fn_section::parsing), "11");
  EXPECT_EQ(run(u"russian", fn_section::check), "21");
  EXPECT_EQ(run(u"russian", fn_section::execute), "31");
  EXPECT_EQ(run(u"only", fn_section::check), "-1");
  EXPECT_EQ(run(u"only", fn_section::execute), "32");
  // The unlabelled beginning is no section.
  EXPECT_EQ(r.w.home.FindVariable(u"начало"), nullptr);
}

TEST(GameFunctions, RunOutlivesRedefinitionByItsOwnCode) {
  registry r;
  r.w.home.loading = true;
  // The redefinition replaces the running body; the functions declared
  // after it sort first and move this one in the list.
  r.Declare(kw::fn_expression, u"сам, число",
            u"---- execute ----\nexpression (сам, число) {---- execute ----\n2}\n"
            u"expression (а) {1}\nexpression (б) {1}\nvar после = 5\n7");
  r.w.home.loading = false;
  auto run = [&] {
    r.w.in.StartCommand();
    return r.w.Text(r.Find(u"сам, число")->Run(r.w.in, r.w.home, fn_section::execute, value()));
  };
  EXPECT_EQ(run(), "7");
  ASSERT_NE(r.w.home.FindVariable(u"после"), nullptr);
  EXPECT_EQ(r.w.Text(r.w.home.FindVariable(u"после")->content), "5");
  EXPECT_EQ(r.f.Functions().Count(), 3);
  EXPECT_EQ(run(), "2");
}
