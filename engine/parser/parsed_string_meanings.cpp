// The candidate meanings of one token of a player's line, by its kind.

#include <algorithm>

#include "find_word.h"
#include "getvars_result_list.h"
#include "key_matrix.h"
#include "keyword_table.h"
#include "object.h"
#include "parsed_string.h"
#include "world.h"

namespace {

// Numbers a player types are read up to this.
constexpr int32_t largest_number = 100000000;

// Words longer than this may be a known word with "не" in front.
constexpr int negated_word_length = 4;
const char16_t* const negation_marker = u"Не";

int32_t bounded_number(const wstring& digits) {
  int32_t number = 0;
  for (int n = 0; n < digits.Length() && digits[n] >= u'0' && digits[n] <= u'9'; ++n)
    number = std::min<int64_t>(int64_t(number) * 10 + (digits[n] - u'0'), largest_number);
  return number;
}

bool is_linked(const object& entity, const object& word) {
  for (int32_t id : entity.linked_words)
    if (id == word.Id()) return true;
  return false;
}

bool prepositional(const wstring& form_key) { return key_matrix(form_key.Text()).GetMarker(u'п') == u'П'; }

// Fills a word token: its forms, what the words mean around the actor,
// and its plain text.
class word_filler {
 public:
  word_filler(world& home, context& ctx, token& t, const c_array<wstring, wstring>& keyword_names)
      : home_(home), ctx_(ctx), t_(t), keyword_names_(keyword_names) {}

  void Fill(int32_t distance) {
    if (t_.russian) {
      int form_pos, preposition_pos;
      if (FindWord(home_, t_.text, form_pos, preposition_pos)) {
        if (preposition_pos >= 0)
          AddPreposition(preposition_pos);
        else
          AddForms(form_pos, distance, wstring());
      } else if (t_.text.Length() > negated_word_length && t_.text.Left(2) == u"не") {
        if (FindWord(home_, t_.text.Mid(2, wstring::text_end), form_pos, preposition_pos) && form_pos >= 0)
          AddForms(form_pos, distance, negation_marker);
      }
      AddSenses();
    }
    t_.AddMeaning(op_value::Make(&home_, value::String(t_.text), meaning_weight::plain_text));
  }

 private:
  // A word (or a thing named by its own forms) met among the forms, with
  // the keys it was met under.
  struct sense {
    value word;  // finds out when the word is gone while code runs
    wstring keys;
  };

  void AddPreposition(int pos) {
    t_.AddMeaning(op_value::Make(&home_, home_.prepforms[pos].meaning, meaning_weight::literal));
    t_.preposition = true;
  }

  // A form in the prepositional case is only read so close after a
  // preposition («в столе»), so that a far one does not make it ambiguous.
  void AddForms(int pos, int32_t distance, const wstring& negation) {
    for (const word_form_list_item::owner& owner : home_.word_forms[pos].owners) {
      if (distance > parsed_string::preposition_reach && prepositional(owner.key)) continue;
      wstring keys = negation;
      keys += owner.key;
      value form = value::Entity(owner.entity->Type(), owner.entity);
      // An object's own form («шуршуна») names it as a word would: found
      // around the actor with its reach, not as a bare entity.
      const int type = owner.entity->Type();
      const bool thing = type == kw::type_object || type == kw::type_location;
      if (!thing) t_.AddMeaning(op_value::Make(&home_, form, meaning_weight::word_form, keys));
      if (thing || type == kw::type_word) senses_.Insert(senses_.Count(), sense{form, keys});
    }
  }

  void AddSenses() {
    if (senses_.Count() == 0) return;
    context& around = Around();
    object* question = home_.FindClass(u"вопрос");
    for (const sense& s : senses_) {
      object* word = s.word.GetEntity();
      if (!word) continue;
      if (word->Type() != kw::type_word) {
        AddNamed(around, *word, s.keys);
        continue;
      }
      AddKeywords(*word, s.keys);
      if (!IsThirdPersonPronoun(*word, s.keys)) AddNamed(around, *word, s.keys);
      if (question && word->IsOfClass(question->Id())) t_.question = true;
    }
  }

  // Where the words' objects are looked for: around the actor, who sees the
  // command's characters.
  context& Around() {
    object* actor = home_.FindById(ctx_.characters[0]);
    if (!actor) return ctx_;
    std::copy(std::begin(ctx_.characters), std::end(ctx_.characters), std::begin(actor->characters));
    return *actor;
  }

  // A class of the word named like a keyword makes the word mean that
  // keyword too («да», «нет», «внутри»).
  void AddKeywords(object& word, const wstring& keys) {
    word.WalkClasses([&](object& cls) {
      for (int n = 0; n < keyword_names_.Count(); ++n) {
        if (cls.NormalisedName() != keyword_names_[n]) continue;
        value keyword = value::Keyword(kw::result_no + n / 2);
        t_.AddMeaning(op_value::Make(&home_, keyword, meaning_weight::keyword, keys));
      }
      return object::class_step::go_on;
    });
  }

  // «он», «она» as forms of «ты»: who they mean is not known yet, and
  // looking them up raises the third-person stub, which a player's line
  // must not reach. The word keeps its form meaning.
  static bool IsThirdPersonPronoun(const object& word, const wstring& keys) {
    if (word.NormalisedName() != u"ты") return false;
    key_matrix asked(keys.Text());
    return asked.GetMarker(u'а') != u'э' && asked.GetMarker(u'л') == u'3';
  }

  // Every entity the word names, near or not: its reach mark ("м") says
  // which, for the rules, the functions and the error replies to read. The
  // word names the entities of its name and those it is linked to, as
  // «лампа» names «лампа_красная» and a synonym its object.
  void AddNamed(context& around, object& word, const wstring& keys) {
    GetVars_result_list request;
    request.names.Insert(0, word.Name());
    for (const object_name_list_item& item : home_.objects)
      if (item.entity != &word && item.name != word.NormalisedName() && is_linked(*item.entity, word))
        request.names.Insert(request.names.Count(), item.entity->Name());
    request.requested_keys = keys;
    around.GetVars(request);
    for (const GetVars_result_list_item& found : request.results)
      if (found.found.IsEntity()) t_.AddMeaning(op_value::Make(&home_, found.found, found.weight));
  }

  world& home_;
  context& ctx_;
  token& t_;
  const c_array<wstring, wstring>& keyword_names_;
  c_array<sense, sense> senses_;
};

}  // namespace

void parsed_string::FillMeanings(context& ctx, token& t, int32_t distance) {
  t.meanings.Clear();
  t.question = false;
  t.preposition = false;
  t.changed = false;
  switch (t.kind) {
    case 0:
      // An empty place holds nothing.
      break;
    case u'"':
    case u'(':
    case u'[':
    case u'{':
      // A bracketed group is read like a quoted string: its text inside.
      t.AddMeaning(op_value::Make(&world_, value::String(StripBrackets(t.text)), meaning_weight::literal));
      break;
    case u'N':
      t.AddMeaning(op_value::Make(&world_, value::Number(bounded_number(t.text)), meaning_weight::literal));
      break;
    case u'L':
    case u'D':
      word_filler(world_, ctx, t, keyword_names_).Fill(distance);
      break;
    default:
      t.AddMeaning(op_value::Make(&world_, value::String(t.text), meaning_weight::literal));
      t.question = t.text == u"?";
  }
  t.RebuildKeys();
}
