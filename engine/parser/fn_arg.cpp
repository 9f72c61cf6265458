#include "fn_arg.h"

#include "fn_list_item.h"

namespace {

bool is_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

bool is_forbidden(char16_t c) {
  for (const char16_t* f = u"$%&'+./<=>?^`{|}~"; *f; ++f)
    if (*f == c) return true;
  return false;
}

// Reads a description character by character into an argument list.
// Items of an argument take the slots type, name and key in turn; "#"
// jumps to the key slot, so a third item is the key with or without it.
class description_reader {
 public:
  description_reader(fn_args& args, fn_list_item& types) : args_(args), types_(types) {}

  void Read(const wstring& text) {
    for (int i = 0; i < text.Length(); ++i) Take(text[i]);
    EndArgument();
  }

 private:
  enum slot { type_slot, name_slot, key_slot, beyond };

  void Take(char16_t c) {
    if (c == u',' || c == u';')
      EndArgument();
    else if (is_blank(c))
      EndItem();
    else if (c == u']')
      CloseBracket();
    else if (c == u'#')
      StartKey();
    else if (c == u'[')
      OpenBracket();
    else if (is_forbidden(c))
      throw u"недопустимый символ в описании аргумента функции!";
    else {
      item_ += c;
      at_start_ = false;
    }
  }

  void OpenBracket() {
    if (!at_start_) throw u"лишняя скобка [ в описании аргумента функции!";
    arg_.required = false;
    at_start_ = false;
  }

  // Brackets do not pair: "]" only ends an item.
  void CloseBracket() {
    EndItem();
    at_start_ = false;
  }

  void StartKey() {
    EndItem();
    if (slot_ == type_slot) throw u"ожидался тип аргумента!";
    if (key_seen_ || slot_ == beyond) throw u"лишний ключ в описании аргумента функции!";
    key_seen_ = true;
    slot_ = key_slot;
    at_start_ = false;
  }

  void EndItem() {
    if (item_.IsEmpty()) return;
    switch (slot_) {
      case type_slot:
        item_.ToLower(true);
        type_name_ = item_;
        break;
      case name_slot:
        item_.ToLower(true);
        arg_.name = item_;
        break;
      case key_slot:
        arg_.key = item_;
        break;
      case beyond:
        throw u"лишние элементы в описании аргументов функции!";
    }
    slot_ = slot(slot_ + 1);
    item_ = wstring();
  }

  void EndArgument() {
    EndItem();
    // An argument without a type gets no number: its declaration is refused.
    if (!type_name_.IsEmpty()) arg_.type = types_.TypeNumber(type_name_);
    args_.Insert(args_.Count(), arg_);
    arg_ = fn_arg();
    type_name_ = wstring();
    slot_ = type_slot;
    key_seen_ = false;
    at_start_ = true;
  }

  fn_args& args_;
  fn_list_item& types_;
  fn_arg arg_;
  wstring type_name_;
  wstring item_;
  slot slot_ = type_slot;
  bool key_seen_ = false;
  // Only blanks so far in this argument: "[" may open it.
  bool at_start_ = true;
};

}  // namespace

fn_args::fn_args(const wstring& description, fn_list_item& types) {
  description_reader(*this, types).Read(description);
}

int fn_args::CompareKey(const fn_args& other) const {
  if (Count() != other.Count()) return Count() < other.Count() ? -1 : 1;
  for (int i = 0; i < Count(); ++i) {
    const fn_arg& a = (*this)[i];
    const fn_arg& b = other[i];
    if (a.type != b.type) return a.type < b.type ? -1 : 1;
    if (int order = a.key.Compare(b.key.Text())) return order;
  }
  return 0;
}

bool fn_args::HasName(const wstring& name) const {
  for (const fn_arg& arg : *this)
    if (arg.name == name) return true;
  return false;
}
