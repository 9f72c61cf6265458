#include "fn_it.h"

#include "interpreter.h"

namespace {

struct section_names {
  const char16_t* english;
  const char16_t* russian;
};

const section_names& names_of(fn_section section) {
  static const section_names names[] = {
      {u"parsing", u"парсинг"},
      {u"check", u"проверка"},
      {u"execute", u"выполнение"},
  };
  return names[int(section)];
}

}  // namespace

value fn_it::Run(interpreter& in, context& ctx, fn_section section, const value& default_result) const {
  std::shared_ptr<block> code = body;
  const section_names& names = names_of(section);
  return code->Execute(in, ctx, default_result, names.english, names.russian);
}
