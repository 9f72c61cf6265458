// Words and prepositions: a preposition's form before the next word, and
// the description that lists its forms and uses.

#include "obj_word.h"

#include "keyword_table.h"
#include "world.h"

namespace {

constexpr int max_fields = 6;
constexpr int max_key_length = 6;

// The fields of one record of a description.
struct description_record {
  wstring fields[max_fields];
  int count = 0;
};

bool is_field_separator(char16_t c) { return c == u' ' || c == u',' || c == u';' || c == u'\t'; }
bool ends_record(char16_t c) { return c == u'\r' || c == u'\n' || c == 0; }

// A pattern ending in "*" fits every word that begins with the rest.
bool fits_pattern(const wstring& pattern, const wstring& word) {
  int stem = pattern.Length() - 1;
  return stem >= 0 && pattern.Text()[stem] == u'*' && word.Left(stem) == pattern.Left(stem);
}

int value_type_named(const wstring& name) {
  for (int type = kw::type_bool; type <= kw::type_word; ++type)
    if (name == kw::at(type).english || name == kw::at(type).russian) return type;
  throw u"не найден тип значения!";
}

void add_form(obj_word& preposition, const wstring& form, const wstring& pattern) {
  wstring text = context::NormalisedName(form);
  wstring key = context::NormalisedName(pattern);
  preposition.World()->prepforms.Enter(text, &preposition);
  // Keyed by the next word rather than by grammatical keys, these forms stay
  // out of the world's word-form index that AddForm fills.
  int pos;
  if (preposition.forms.Add(key, pos)) preposition.forms[pos].text = text;
}

void add_use(obj_word& preposition, const description_record& record) {
  const wstring* field = record.fields;
  bool full = record.count == 5;
  if (full && field[4].Length() > max_key_length) throw "слишком длинный базовый ключ!";
  if (field[2].Length() > max_key_length) throw "слишком длинный результирующий ключ!";
  int type = value_type_named(field[0]);
  key_matrix keys(field[1].Text());
  obj_word::prep_data_item& use = preposition.uses.Insert(preposition.uses.Count(), type);
  use.keys = keys;
  use.result_key = field[2];
  if (full) {
    use.text = field[3];
    use.base_key = field[4];
  }
}

void store_field(description_record& record, wstring& field, bool at_record_end) {
  if (record.count == max_fields)
    throw at_record_end ? u"нарушен формат описания предлога 2" : u"нарушен формат описания предлога 1";
  record.fields[record.count++] = std::move(field);
  field = wstring();
}

// Reads the fields of the record at c and moves c past its end; false at
// the end of the text.
bool read_fields(const char16_t*& c, description_record& record) {
  if (!*c) return false;
  record = description_record();
  wstring field;
  for (;; ++c) {
    bool record_end = ends_record(*c);
    if (!record_end && !is_field_separator(*c)) {
      field += *c;
      continue;
    }
    if (!field.IsEmpty()) store_field(record, field, record_end);
    if (record_end) {
      if (*c) ++c;
      return true;
    }
  }
}

void read_record(obj_word& preposition, const description_record& record) {
  switch (record.count) {
    case 0:
      return;
    case 2:
      add_form(preposition, record.fields[0], record.fields[1]);
      return;
    case 3:
    case 5:
      add_use(preposition, record);
      return;
    default:
      throw u"нарушен формат описания предлога 3";
  }
}

}  // namespace

obj_word::obj_word(context* where, int type, bool inside, const wstring& name) : object(where, type, inside, name) {}

std::unique_ptr<object> obj_word::CopyFor(world& home) const {
  return std::unique_ptr<object>(new obj_word(home, *this));
}

wstring obj_word::GetPreposition(const wstring& next_word) const {
  if (next_word.IsEmpty()) throw "obj_word::GetPreposition() ожидалось слово!";
  wstring next = context::NormalisedName(next_word);
  int pos;
  if (forms.Find(next, pos)) return forms[pos].text;
  if (pos > 0 && fits_pattern(forms[pos - 1].key, next)) return forms[pos - 1].text;
  return Name();
}

void obj_word::SetDescription(const wstring& text) {
  World()->prepforms.Enter(NormalisedName(), this);
  wstring description(text);
  description.StripComments();
  description_record record;
  for (const char16_t* c = description.Text(); read_fields(c, record);) read_record(*this, record);
}
