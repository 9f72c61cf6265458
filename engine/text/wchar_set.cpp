#include "wchar_set.h"

// ---------------------------------------------------------------- class_table

class_table& class_table::Chars(char16_t cls, std::u16string_view chars) {
  for (char16_t c : chars) {
    int index = wchar_set::TableIndex(c);
    if (index < 0) throw u"class_table::Chars() символ вне таблицы!";
    letters_[index] = cls;
  }
  return *this;
}

class_table& class_table::Range(char16_t cls, char16_t first, char16_t last) {
  for (char32_t c = first; c <= last; ++c) {
    int index = wchar_set::TableIndex(char16_t(c));
    if (index < 0) throw u"class_table::Range() символ вне таблицы!";
    letters_[index] = cls;
  }
  return *this;
}

class_table& class_table::Cyrillic(char16_t letter_cls) {
  return Chars(letter_cls, u"Ёё")
      .Range(letter_cls, u'А', u'я')
      .Char(u'?', 0x0400)
      .Range(u'?', 0x0402, 0x040F)
      .Char(u'?', 0x0450);
}

bool class_table::Complete() const {
  for (int i = 0; i < wchar_set::table_size; ++i)
    if (letters_[i] == 0) return false;
  return true;
}

// ---------------------------------------------------------------- wchar_set

wchar_set::wchar_set(const char16_t* class_table, const char16_t* bracket_pairs)
    : bracket_pairs_(bracket_pairs) {
  if (wide_length(class_table) != table_size)
    throw u"wchar_set::wchar_set() таблица классов должна содержать 210 букв!";
  for (int i = 0; i < table_size; ++i) classes_[i] = class_table[i];
  classes_[table_size] = 0;
}

wchar_set wchar_set::GameCode() {
  class_table t;
  t.Range(u'_', 0x0000, 0x0020)
      .Chars(u',', u"!,.:;?")
      .Chars(u'\'', u"\"")
      .Chars(u'+', u"#$%&'*+-/=@\\^|~")
      .Chars(u'(', u"([{")
      .Chars(u')', u")]}")
      .Chars(u'<', u"<")
      .Chars(u'>', u">")
      .Range(u'N', u'0', u'9')
      .Range(u'L', u'A', u'Z')
      .Range(u'L', u'a', u'z')
      .Chars(u'@', u"_`")
      .Char(u'?', 0x007F)
      .Cyrillic(u'R');
  return wchar_set(t.Text(), u"(){}[]<>");
}

wchar_set wchar_set::Output() {
  class_table t;
  t.Char(u'_', 0x0000)
      .Range(u',', 0x0001, 0x0020)
      .Chars(u',', u"!,.:;?_")
      .Chars(u'+', u"\"#$%&'()*+-/=\\^{|}~")
      .Char(u'+', 0x007F)
      .Chars(u'(', u"[")
      .Chars(u')', u"]")
      .Chars(u'<', u"<")
      .Chars(u'>', u">")
      .Range(u'N', u'0', u'9')
      .Chars(u'L', u"@`")
      .Range(u'L', u'A', u'Z')
      .Range(u'L', u'a', u'z')
      .Cyrillic(u'L');
  return wchar_set(t.Text(), u"<>[]");
}

char16_t wchar_set::GetCloseBracket(char16_t c) const {
  switch (TableClass(c)) {
    case u'\'':
    case u'`':
      return c;
    case u'(':
    case u'{':
    case u'<': {
      const char16_t* pairs = bracket_pairs_.Text();
      int n = bracket_pairs_.Length();
      for (int i = 0; i + 1 < n; i += 2)
        if (pairs[i] == c) return pairs[i + 1];
      throw u"wchar_set::GetCloseBracket() закрывающая скобка не найдена!";
    }
    default:
      return 0;
  }
}
