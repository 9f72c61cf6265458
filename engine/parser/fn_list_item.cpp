#include "fn_list_item.h"

#include "block.h"
#include "keyword_table.h"
#include "world.h"

namespace {

void add_name_unless_own(c_index<wstring, wstring>& names, const fn_args& own, const wstring& name) {
  int pos;
  if (!name.IsEmpty() && !own.HasName(name)) names.Add(name, pos);
}

}  // namespace

void fn_list_item::NewFn(int kind, const wstring& args_text, const wstring& parent_args, value& result,
                         const wstring* body) {
  if (args_text.IsEmpty()) throw u"fn_list_item::NewFn() empty Args!";
  lists& own = Writable();
  fn_args args(args_text, *this);
  fn_it* existing = own.functions.Get(args);
  if (existing && (!existing->library || home_.loading)) {
    result = value::Result(kw::result_no, u"такая функция уже есть!");
    return;
  }
  if (existing && existing->kind != kind) throw u"попытка переопределить тип библиотечной функции!";
  definition made = Define(args, parent_args, body);
  // Defining adds types only, so the function found stays where it is.
  fn_it& fn = existing ? *existing : Add(args, kind);
  fn.library = !existing && home_.loading;
  fn.declaration = args_text;
  fn.body = std::move(made.body);
  fn.second_text = std::move(made.second_text);
  fn.extra_names = std::move(made.extra_names);
  result = value::Result(kw::result_ok, body ? u"функция добавлена" : u"добавлен синоним функции");
}

fn_list_item::definition fn_list_item::Define(const fn_args& args, const wstring& parent_args,
                                              const wstring* body) {
  if (body) return definition{std::make_shared<block>(*body), wstring(), {}};
  if (parent_args.IsEmpty()) throw u"fn_list_item::NewFn() ожидались ParentArgs или Body!";
  return SynonymOf(args, parent_args);
}

fn_list_item::definition fn_list_item::SynonymOf(const fn_args& args, const wstring& parent_args) {
  const fn_it* primary = Writable().functions.Get(fn_args(parent_args, *this));
  if (!primary) throw u"первичная функция не найдена!";
  definition made{std::make_shared<block>(*primary->body),
                  primary->second_text.IsEmpty() ? primary->declaration : primary->second_text, {}};
  for (const fn_arg& arg : primary->args) add_name_unless_own(made.extra_names, args, arg.name);
  // A synonym of a synonym runs the same body, which reads those names too.
  for (const wstring& name : primary->extra_names) add_name_unless_own(made.extra_names, args, name);
  return made;
}

fn_it& fn_list_item::Add(const fn_args& args, int kind) {
  lists& own = Writable();
  // Every numbered type has its entry; an argument without a type has none.
  for (const fn_arg& arg : args)
    if (!own.fn_ag_index.Get(arg.type)) throw u"fn_list_item::NewFn() - ошибка в структуре аргументов!";
  int pos;
  for (const fn_arg& arg : args) own.fn_ag_index.Get(arg.type)->functions.Add(args, pos);
  own.functions.Add(args, pos);
  fn_it& fn = own.functions[pos];
  fn.kind = kind;
  return fn;
}

int fn_list_item::TypeNumber(const wstring& name) {
  int pos;
  if (lists_->types.Find(name.Text(), pos)) return lists_->types[pos].type;
  lists& own = Writable();
  const int type = own.types.Count();
  own.types.Insert(pos, name.Text()).type = type;
  own.fn_ag_index.Add(type, pos);
  own.fn_ag_index[pos].name = name;
  return type;
}

void fn_list_item::CopyFrom(const fn_list_item& original) { lists_ = original.lists_; }

void fn_list_item::Clear() { lists_ = std::make_shared<lists>(); }

fn_list_item::lists& fn_list_item::Writable() {
  if (lists_.use_count() > 1) lists_ = std::make_shared<lists>(*lists_);
  return *lists_;
}
