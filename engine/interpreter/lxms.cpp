#include "lxms.h"

#include "case_map.h"
#include "random_source.h"

namespace {

struct spelling {
  const char16_t* source;
  const char16_t* code;
};

// Operators written with more than one character, or written differently
// from their code; tried in this order.
const spelling spellings[] = {
    {u"==", u"CMP"}, {u"!=", u"C!"}, {u"<>", u"C!"}, {u">=", u"<!"}, {u"<=", u">!"},
    {u"&&", u"&&"},  {u"||", u"||"}, {u"-", u"m"},   {u"$", u"$"},   {u"+=", u"=+"},
    {u"-=", u"=-"},  {u"*=", u"=*"}, {u"/=", u"=/"}, {u"++", u"=p"}, {u"--", u"=m"},
};

// Replaces a source spelling by its operator code.
bool spell(wstring& text) {
  for (const spelling& s : spellings) {
    if (text == s.source) {
      text = s.code;
      return true;
    }
  }
  return false;
}

// The first keyword that the word names in English, in Russian or by its
// second name, the word's first letter taken in lower case; -1 for none.
int find_keyword(const wstring& word) {
  wstring key = word;
  key[0] = lower_case(key[0]);
  for (int code = 0; code < kw::count; ++code) {
    const kw::record& r = kw::at(code);
    if (key == r.english || key == r.russian || key == r.second_name) return code;
  }
  return -1;
}

bool in_range(int code, int first, int last) { return code >= first && code <= last; }

// "." joins an operand to a property name and so does not count.
bool counts_as_operator(const lxms_data& item) {
  return (item.cls == u'+' || item.cls == u'-') && item.text != u".";
}

bool is_separator(char16_t sign, char16_t next) { return (sign == u'|' || sign == u'&') && next != sign; }

}  // namespace

// ---------------------------------------------------------------- lxms_data

wstring lxms_data::Rest() const {
  if (!expression_) return wstring();
  wstring rest = expression_->Mid(rest_start_, expression_->Length());
  rest.Trim();
  return rest;
}

void lxms_data::MakeBinaryOperator() {
  cls = u'+';
  if (keyword == kw::rel_and || keyword == kw::rel_inside || keyword == kw::rel_outside ||
      keyword == kw::rel_part)
    text.ToUpper();
}

// ---------------------------------------------------------------- lxms

lxms::lxms() : tokenizer(ExpressionTable()) { Reset(); }

wchar_set lxms::ExpressionTable() {
  class_table t;
  t.Range(u'_', 0x0000, 0x0020)
      .Chars(u'+', u"!%&'*+,-./<=>\\^|~")
      .Char(u'\'', u'"')
      .Chars(u'@', u"#$:@_`")
      .Chars(u'(', u"([{")
      .Chars(u')', u")]}")
      .Range(u'N', u'0', u'9')
      .Chars(u',', u";?")
      .Range(u'L', u'A', u'Z')
      .Range(u'L', u'a', u'z')
      .Char(u'?', 0x007F)
      .Cyrillic(u'R');
  return wchar_set(t.Text(), u"(){}[]");
}

void lxms::Reset() {
  alternatives_ = std::make_shared<c_array<lxms_line>>();
  alternatives_->Insert(0, lxms_line());
  list_sign_ = 0;
  current_ = -1;
  random_ = -1;
  expression_.reset();
}

void lxms::Parse(const wstring& expression) {
  Reset();
  expression_ = std::make_shared<const wstring>(expression);
  try {
    Scan(expression_->Text());
  } catch (...) {
    Reset();
    throw;
  }
}

bool lxms::Next() {
  int count = Count();
  if (list_sign_ == u'&' && random_ < 0) {
    random_ = int(random_source::Next() % uint32_t(count));
    return true;
  }
  if (current_ < count) ++current_;
  if (current_ == random_) ++current_;
  return current_ < count;
}

const lxms_line& lxms::Line() const {
  if (current_ >= 0) return Alternative(current_);
  if (random_ >= 0) return Alternative(random_);
  throw u"lxms::Line() не итерировано!";
}

lxms_line& lxms::ChangeAlternative(int i) {
  if (alternatives_.use_count() > 1) alternatives_ = std::make_shared<c_array<lxms_line>>(*alternatives_);
  return (*alternatives_)[i];
}

lxms_data* lxms::Previous() {
  lxms_line& line = CurrentLine();
  return line.Count() > 0 ? &line[-1] : nullptr;
}

bool lxms::OperandBeforePrevious() {
  lxms_line& line = CurrentLine();
  return line.Count() >= 2 && !counts_as_operator(line[-2]);
}

bool lxms::OnLexeme(const char16_t* start, int length, bool pure_russian, char16_t kind) {
  lxms_data item;
  item.cls = kind;
  item.text.Assign(start, length);
  item.cyrillic = pure_russian;
  item.expression_ = expression_;
  item.rest_start_ = int(start - expression_->Text()) + length;
  char16_t next = start[length];
  bool add = true;
  if (kind == u'L')
    add = ClassifyWord(item, next);
  else if (kind == u'+')
    add = ClassifyOperator(item, next);
  if (add) CurrentLine().Insert(CurrentLine().Count(), item);
  return false;
}

bool lxms::ClassifyWord(lxms_data& item, char16_t next) {
  switch (item.text[0]) {
    case u'#':
      item.cls = u'#';
      return true;
    case u'$':
      if (item.text.Length() > 1) {
        item.cls = u'$';
        return true;
      }
      // The sign alone is an operator like those of the operator class.
      item.cls = u'+';
      return ClassifyOperator(item, next);
    case u'@':
      if (item.text.Length() == 1) throw u"После @ ожидалось имя класса!";
      item.cls = u'@';
      return true;
    default:
      break;
  }
  // The word after "preposition" names one, whatever it spells.
  const lxms_data* previous = Previous();
  if (previous && previous->keyword == kw::type_preposition) return true;
  int code = find_keyword(item.text);
  return code < 0 || ClassifyKeyword(item, code);
}

bool lxms::ClassifyKeyword(lxms_data& item, int code) {
  lxms_data* previous = Previous();
  if (code == kw::st_check && previous) return true;
  item.keyword = uint8_t(code);
  item.text = kw::at(code).english;
  bool after_operator = previous && counts_as_operator(*previous);
  bool prefix_place = !previous || after_operator;
  if (code == kw::rel_not || (in_range(code, kw::st_var, kw::st_plane) && prefix_place)) {
    item.cls = u'-';
    // Its code letter is P, apart from p of prp.
    if (code == kw::st_plane) item.text.ToUpper();
    return true;
  }
  if (in_range(code, kw::rel_is, kw::rel_part) && previous) {
    if (previous->keyword == kw::rel_not && OperandBeforePrevious()) {
      item.MakeBinaryOperator();
      item.text[1] = u'!';
      *previous = item;
      return false;
    }
    if (!after_operator) {
      item.MakeBinaryOperator();
      return true;
    }
  }
  item.cls = in_range(code, kw::result_no, kw::dir_southwest) ? u'b' : u'k';
  return true;
}

bool lxms::ClassifyOperator(lxms_data& item, char16_t next) {
  lxms_data* previous = Previous();
  bool after_operator = previous && counts_as_operator(*previous);
  // Only signs written together spell one operator: "x - -1" is no "--".
  bool touching = previous && previous->rest_start_ == item.rest_start_ - item.text.Length();
  if (after_operator && touching) {
    wstring spelled = previous->text + item.text.Text();
    if (spell(spelled)) {
      previous->text = spelled;
      previous->rest_start_ = item.rest_start_;
      return false;
    }
  }
  // Checked before the prefix case, so that a sign with nothing before it
  // is an error rather than a prefix operator.
  if (is_separator(item.text[0], next)) {
    StartAlternative(item.text[0]);
    return false;
  }
  if (after_operator || !previous) {
    item.cls = u'-';
    spell(item.text);
  }
  return true;
}

void lxms::StartAlternative(char16_t sign) {
  if (CurrentLine().Count() == 0) throw u"Между знаками | или & должно быть выражение!";
  if (list_sign_ != 0 && list_sign_ != sign) throw u"В выражении нельзя смешивать знаки | и &!";
  list_sign_ = sign;
  alternatives_->Insert(alternatives_->Count(), lxms_line());
}
