// The full text of a value (ToString) and calculated strings.

#include <vector>

#include "code_runner.h"
#include "expression_evaluator.h"
#include "key_matrix.h"
#include "keyword_table.h"
#include "object.h"
#include "value.h"
#include "value_world.h"

namespace {

// Titles, associated entities and list elements nest texts in one another;
// a cycle among them must end in a message rather than exhaust the stack.
constexpr int max_text_depth = 64;

const char16_t* const forgotten_entity = u"нечто забытое";

// Whether the keys hold every marker-and-character pair of the text.
bool carries(const key_matrix& keys, const char16_t* pairs) {
  for (; pairs[0] && pairs[1]; pairs += 2)
    if (keys.GetMarker(pairs[1]) != pairs[0]) return false;
  return true;
}

wstring missing_form_text(const key_matrix& keys, const char16_t* name_prefix, const wstring& name) {
  wstring text = u"<font color='red'>нет формы #";
  text += keys.GetKey();
  text += u" для ";
  text += name_prefix;
  text += name;
  text += u"</font>";
  return text;
}

bool contains(const c_array<wstring, wstring>& texts, const wstring& text) {
  for (const wstring& t : texts)
    if (t == text) return true;
  return false;
}

// Appends " (n)" to each text that occurs more than once, n counting its
// occurrences from 1.
void number_equal_texts(c_array<wstring, wstring>& texts) {
  const c_array<wstring, wstring> original(texts);
  for (int i = 0; i < original.Count(); ++i) {
    int total = 0, nth = 0;
    for (int j = 0; j < original.Count(); ++j) {
      if (original[j] != original[i]) continue;
      ++total;
      if (j <= i) ++nth;
    }
    if (total < 2) continue;
    texts[i] += u" (";
    texts[i] += wstring(double(nth));
    texts[i] += u")";
  }
}

// "a, b и c", or "a b c" with single spaces.
wstring join(const c_array<wstring, wstring>& texts, const char16_t* last_joint, bool spaces) {
  wstring text;
  for (int i = 0; i < texts.Count(); ++i) {
    if (i > 0) text += spaces ? u" " : (i == texts.Count() - 1 ? last_joint : u", ");
    text += texts[i];
  }
  return text;
}

// Writes one value and whatever it nests, for one ToString call.
class text_writer {
 public:
  text_writer(value_world* world, context* ctx) : world_(world), ctx_(ctx) {}

  wstring Write(const value& v, const key_matrix* requested, unsigned flags, bool& missing) {
    if (depth_ == max_text_depth) throw u"value::ToString() слишком глубокая вложенность!";
    code_level level(world_ ? world_->Runner() : nullptr);
    ++depth_;
    key_matrix keys = RequestedKeys(v, requested);
    wstring text = TypeText(v, keys, flags, missing);
    --depth_;
    return text;
  }

 private:
  static key_matrix RequestedKeys(const value& v, const key_matrix* requested) {
    key_matrix keys = requested ? *requested : key_matrix();
    keys.AddKey(v.KeyText().Text());
    // The polite "вы" addresses one person in the plural.
    if (carries(keys, u"КфВыЕч") || carries(keys, u"МыЕч")) {
      keys.ClearKeys(u"ч");
      keys.SetKey(u'ч', u'М');
    }
    return keys;
  }

  wstring TypeText(const value& v, const key_matrix& keys, unsigned flags, bool& missing) {
    switch (v.Type()) {
      case kw::type_bool:
        return ResultText(v);
      case kw::type_number:
        return NumberText(v, keys, missing);
      case kw::type_keyword:
        return KeywordText(v, keys);
      case kw::type_string:
        return v.Text();
      case kw::type_course:
        return CourseText(v);
      case kw::type_object:
      case kw::type_attribute:
      case kw::type_relation:
      case kw::type_act:
      case kw::type_class:
      case kw::type_location:
        return EntityText(v, keys, flags, missing);
      case kw::type_word:
        return WordText(v, keys, missing);
      case kw::type_preposition:
        return PrepositionText(v);
      case kw::type_and_list:
      case kw::type_or_list:
        return ListText(v, keys, flags, missing);
      default:
        throw u"value::ToString() не определено!";
    }
  }

  static wstring ResultText(const value& v) {
    wstring text = kw::at(v.Code()).russian;
    if (!v.Text().IsEmpty()) {
      text += u", ";
      text += v.Text();
    }
    return text;
  }

  // A count is followed by the counted thing in its form.
  wstring NumberText(const value& v, const key_matrix& keys, bool& missing) {
    wstring text(double(v.GetNumber()));
    if (v.Associated()) {
      text += u" ";
      text += AssociatedText(v.Associated(), keys, text_all, missing);
    }
    return text;
  }

  wstring KeywordText(const value& v, const key_matrix& keys) {
    if (v.IsNull()) return wstring();
    const char16_t* name = kw::at(v.Code()).russian;
    if (world_) {
      object* word = world_->FindWord(name);
      wstring form;
      int best = 0;
      if (word && world_->GetForm(word, keys, form, best)) return form;
    }
    return name;
  }

  wstring CourseText(const value& v) {
    wstring text;
    if (world_ && ctx_ && world_->GetExitText(ctx_, v.Code(), text)) return text;
    bool vertical = v.Code() == kw::dir_up || v.Code() == kw::dir_down;
    text = vertical ? u"направление " : u"направление на ";
    text += kw::at(v.Code()).russian;
    return text;
  }

  // Object, attribute, relation, act, class and location.
  wstring EntityText(const value& v, const key_matrix& keys, unsigned flags, bool& missing) {
    value_world& world = World();
    wstring text;
    if (v.Type() == kw::type_object && (flags & text_person) && keys.GetMarker(u'л') &&
        PersonText(v, keys, text))
      return text;
    if ((flags & text_owner) && OwnerText(v, keys, text)) return text;
    // Asked after the methods above ran, which may have deleted it.
    object* entity = v.GetEntity();
    if (!entity) return forgotten_entity;
    int best = 0;
    if (world.GetForm(entity, keys, text, best)) return text;
    if ((flags & text_title) && TitleText(entity, keys, missing, text)) return text;
    if (LinkedWordText(v, keys, best, text)) return text;
    if (v.Associated()) {
      bool associated_missing = false;
      text = AssociatedText(v.Associated(), keys, flags, associated_missing);
      if (!associated_missing) return text;
    }
    entity = v.GetEntity();
    if (!entity) return forgotten_entity;
    wstring name = world.EntityName(entity);
    if (!keys.AsksForForm()) return name;
    missing = true;
    return missing_form_text(keys, v.Type() == kw::type_class ? u"@" : u"", name);
  }

  // A character addressed in person is named by the world's word "ты".
  bool PersonText(const value& v, const key_matrix& keys, wstring& text) {
    object* you = World().FindWord(u"ты");
    return you && FormOrMethod(you, v, keys, text);
  }

  bool OwnerText(const value& v, const key_matrix& keys, wstring& text) {
    object* owner = v.Owner();
    return owner && FormOrMethod(owner, v, keys, text);
  }

  bool TitleText(const object* entity, const key_matrix& keys, bool& missing, wstring& text) {
    value title;
    if (!World().GetTitle(entity, title)) return false;
    text = Write(title, &keys, text_all, missing);
    return true;
  }

  // The best form over all linked words; failing any, the first text their
  // "_get_form" methods answer. The methods may delete words.
  bool LinkedWordText(const value& v, const key_matrix& keys, int& best, wstring& text) {
    value_world& world = World();
    object* entity = v.GetEntity();
    if (!entity) return false;
    std::vector<entity_ref> words;
    for (object* word : world.LinkedWords(entity)) words.push_back(word->Ref());
    bool found = false;
    for (const entity_ref& word : words) found |= world.GetForm(word.Get(), keys, text, best);
    if (found) return true;
    for (const entity_ref& word : words)
      if (word.Get() && world.CallGetForm(word.Get(), v, ctx_, text)) return true;
    return false;
  }

  wstring AssociatedText(object* entity, const key_matrix& keys, unsigned flags, bool& missing) {
    return Write(value::Entity(World().EntityType(entity), entity), &keys, flags, missing);
  }

  bool FormOrMethod(object* holder, const value& subject, const key_matrix& keys, wstring& text) {
    int best = 0;
    return World().GetForm(holder, keys, text, best) || World().CallGetForm(holder, subject, ctx_, text);
  }

  wstring WordText(const value& v, const key_matrix& keys, bool& missing) {
    value_world& world = World();
    object* word = v.GetEntity();
    if (!word) return u"забытое слово";
    wstring text;
    if (FormOrMethod(word, v, keys, text)) return text;
    word = v.GetEntity();
    if (!word) return u"забытое слово";
    wstring name = world.EntityName(word);
    if (!keys.AsksForForm()) return name;
    missing = true;
    return missing_form_text(keys, u"$", name);
  }

  wstring PrepositionText(const value& v) {
    value_world& world = World();
    object* preposition = v.GetEntity();
    if (!preposition) return u"забытый предлог";
    return world.EntityName(preposition);
  }

  wstring ListText(const value& v, const key_matrix& keys, unsigned flags, bool& missing) {
    key_matrix item_keys = keys;
    item_keys.ClearKeys(u"ч");
    unsigned item_flags = text_person | text_title | (flags & text_owner);
    bool numbered = keys.GetMarker(u'г') == u'Р';
    c_array<wstring, wstring> texts;
    for (const value& item : v.Items()) {
      wstring text = Write(item, &item_keys, item_flags, missing);
      if (numbered || !contains(texts, text)) texts.Insert(texts.Count(), text);
    }
    if (numbered) number_equal_texts(texts);
    const char16_t* last_joint = v.Type() == kw::type_and_list ? u" и " : u" или ";
    return join(texts, last_joint, keys.GetMarker(u'г') == u'П');
  }

  value_world& World() const {
    if (!world_) throw u"value::ToString() no World!";
    return *world_;
  }

  value_world* world_;
  context* ctx_;
  int depth_ = 0;
};

// The first "{" at or after from that no backslash escapes, or -1.
int find_open_brace(const wstring& text, int from) {
  for (int at = text.Find(u'{', from); at >= 0; at = text.Find(u'{', at + 1))
    if (at == 0 || text[at - 1] != u'\\') return at;
  return -1;
}

// "!не!" and "!ни!" become "не" and "ни" under negation and vanish otherwise.
void apply_negation(wstring& text, bool negated) {
  text.Replace(u"!не!", negated ? u"не" : u"");
  text.Replace(u"!ни!", negated ? u"ни" : u"");
}

}  // namespace

wstring value::ToString(value_world* world, context* ctx, const key_matrix* keys, unsigned flags,
                        bool& missing_form) const {
  missing_form = false;
  // Game code run for the text may change where this value is kept.
  const value held(*this);
  return text_writer(world, ctx).Write(held, keys, flags, missing_form);
}

wstring value::CalcString(value_world* world, expression_evaluator* evaluator, context* ctx) const {
  if (type_ != kw::type_string) throw u"value::CalcString() not a String!";
  const wstring& text = Text();
  key_matrix keys(key_.Text());
  // "##" in an expression stands for this string's own key.
  wstring substitution = u"#";
  substitution += keys.GetKey();
  wstring result;
  int from = 0;
  for (int open; (open = find_open_brace(text, from)) >= 0;) {
    int close = text.Find(u'}', open + 1);
    if (close < 0) break;
    result += text.Mid(from, open - from);
    wstring expression = text.Mid(open + 1, close - open - 1);
    expression.Replace(u"##", substitution.Text());
    value computed;
    if (!evaluator || !evaluator->Evaluate(expression, ctx, computed)) {
      wstring failure = u"ошибка синтаксиса в вычисляемой строке: ";
      failure += expression;
      return failure;
    }
    bool missing_form;
    result += computed.ToString(world, ctx, nullptr, 0, missing_form);
    from = close + 1;
  }
  result += text.Mid(from, wstring::text_end);
  apply_negation(result, keys.GetMarker(u'е') == u'Н');
  return result;
}
