#include "keyword_table.h"

namespace kw {

namespace {

const record records[count] = {
    {u"bool", u"булево", u"$v", u""},
    {u"number", u"число", u"$v$p", u"num"},
    {u"keyword", u"спецслово", u"$v", u""},
    {u"string", u"строка", u"$v", u""},
    {u"course", u"направление", u"$v$p", u""},
    {u"object", u"объект", u"$v", u"obj"},
    {u"attribute", u"признак", u"$v$p", u"attr"},
    {u"relation", u"отношение", u"$v", u"rel"},
    {u"act", u"акт", u"$v", u""},
    {u"class", u"класс", u"$v$p", u"cls"},
    {u"location", u"локация", u"$v$p", u"loc"},
    {u"word", u"слово", u"$v$p", u""},
    {u"preposition", u"предлог", u"$v", u""},
    {u"and-list", u"и-список", u"$v", u"&&"},
    {u"or-list", u"или-список", u"$v", u"||"},
    {u"context", u"контекст", u"$v", u""},
    {u"null", u"пусто", u"0v", u"empty"},
    {u"type", u"тип", u"$p", u""},
    {u"name", u"имя", u"$p", u""},
    {u"key", u"клч", u"$p", u""},
    {u"lenght", u"длина", u"$p", u"len"},
    {u"comment", u"комментарий", u"$p", u"com"},
    {u"position", u"позиция", u"$p", u"pos"},
    {u"opened", u"откр", u"$p", u""},
    {u"transparent", u"проз", u"$p", u""},
    {u"defkey", u"ключ_по_умолчанию", u"$p", u""},
    {u"any", u"любое", u"$p", u""},
    {u"pos_x", u"позиция_икс", u"$p", u""},
    {u"pos_y", u"позиция_игрек", u"$p", u""},
    {u"pos_z", u"позиция_зет", u"$p", u""},
    {u"no", u"нет", u"", u""},
    {u"unclear", u"непонятно", u"", u""},
    {u"unknown", u"неизвестно", u"", u""},
    {u"illegal", u"нельзя", u"", u""},
    {u"fail", u"ошибка", u"", u""},
    {u"yes", u"да", u"", u""},
    {u"ok", u"ок", u"", u""},
    {u"up", u"вверх", u"cp$v", u""},
    {u"down", u"вниз", u"cp$v", u""},
    {u"north", u"север", u"cp$v", u""},
    {u"south", u"юг", u"cp$v", u""},
    {u"east", u"восток", u"cp$v", u""},
    {u"west", u"запад", u"cp$v", u""},
    {u"northeast", u"северо-восток", u"cp$v", u""},
    {u"northwest", u"северо-запад", u"cp$v", u""},
    {u"southeast", u"юго-восток", u"cp$v", u""},
    {u"southwest", u"юго-запад", u"cp$v", u""},
    {u"expression", u"выражение", u"ef", u""},
    {u"action", u"действие", u"af", u""},
    {u"fact", u"факт", u"ff", u""},
    {u"this", u"self", u"", u""},
    {u"exits", u"выходы", u"", u""},
    {u"pers", u"перс", u"", u""},
    {u"actor", u"актор", u"", u""},
    {u"speaker", u"говорящий", u"", u""},
    {u"addressee", u"адресат", u"", u""},
    {u"count", u"счётчик", u"", u"cnt"},
    {u"synonym", u"синоним", u"", u"cnt"},
    {u"if", u"если", u"", u""},
    {u"else", u"иначе", u"", u""},
    {u"for", u"цикл", u"", u""},
    {u"switch", u"switch", u"", u""},
    {u"case", u"case", u"", u""},
    {u"break", u"прервать", u"", u""},
    {u"continue", u"продолжить", u"", u""},
    {u"var", u"переменная", u"", u"variable"},
    {u"prp", u"свойство", u"", u"property"},
    {u"tmp", u"шаблон", u"", u"template"},
    {u"delete", u"удалить", u"", u"del"},
    {u"return", u"возвратить", u"", u"ret"},
    {u"check", u"проверка", u"", u""},
    {u"goto", u"иди_в", u"", u""},
    {u"plane", u"план", u"", u""},
    {u"!", u"не", u"", u"not"},
    {u"is", u"это", u"", u""},
    {u"like", u"подобно", u"", u""},
    {u"above", u"выше", u"", u""},
    {u"below", u"ниже", u"", u""},
    {u"north_of", u"севернее", u"", u""},
    {u"south_of", u"южнее", u"", u""},
    {u"east_of", u"восточнее", u"", u""},
    {u"west_of", u"западнее", u"", u""},
    {u"or", u"или", u"", u""},
    {u"and", u"и", u"", u""},
    {u"inside", u"внутри", u"", u"in"},
    {u"outside", u"снаружи", u"", u"out"},
    {u"part", u"часть", u"", u""},
};

const char16_t* const type_keys[type_null + 1] = {
    u"bvc!",    // bool
    u"nvc!",    // number
    u"$v",      // keyword
    u"sv",      // string
    u"kvkp",    // course
    u"ooovЕч",  // object
    u"aoavc!",  // attribute
    u"roc!",    // relation
    u"ooovc!",  // act
    u"cocvc!",  // class
    u"oolv",    // location
    u"wowv",    // word
    u"-o-vc!",  // preposition
    u"&vМч",    // and-list
    u"|v",      // or-list
    u"",        // context
    u"",        // null
};

// The groups of the table sit at fixed codes that game code and the
// interpreter rely on.
static_assert(result_no == 30 && result_ok == 36);
static_assert(dir_up == 37 && dir_southwest == 46);
static_assert(fn_expression == 47 && name_this == 50 && st_if == 58 && rel_not == 73);
static_assert(count == 87);

}  // namespace

const record& at(int code) {
  if (code < 0 || code >= count) throw "kw::at() invalid keyword code!";
  return records[code];
}

const char16_t* type_key_text(int type) {
  if (type < 0 || type > type_null) throw "kw::type_key_text() invalid type!";
  return type_keys[type];
}

}  // namespace kw
