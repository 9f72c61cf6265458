// The reply to a command that no reading made sense of: why it failed, told
// where possible in the player's own words.

#include "parsed_string.h"

#include "context.h"
#include "dictionary.h"
#include "interpreter.h"
#include "key_matrix.h"
#include "keyword_table.h"
#include "output_pool.h"
#include "property_read.h"
#include "world.h"

namespace {

const char16_t* const refusal_openings = u"{\"невозможно\"&\"я не хочу\"&\"никак нельзя\"&\"нельзя\"} ";
const char16_t* const unwilling = u"не хочу";
const char16_t* const refusal_property = u"_refusal";
const char16_t* const refusal_property_russian = u"_отказ";
const char16_t* const narrowing_keys = u"рчдпвфмэ";
const char16_t* const question_to_nowhere = u"_вопрос_в_никуда";
const char16_t* const not_here = u"_not_here";
const char16_t* const not_here_russian = u"_нет_здесь";
const char16_t* const red_open = u"<b><font color='red'>";
const char16_t* const red_close = u"</font></b>";

// Key letters and markers read here (docs/keys.md).
constexpr char16_t case_key = u'п';
constexpr char16_t verb_form_key = u'в';
constexpr char16_t form_key = u'ф';
constexpr char16_t reach_key = u'м';
constexpr char16_t nominative = u'И';
constexpr char16_t infinitive = u'И';
constexpr char16_t predicate_form = u'П';
constexpr char16_t out_of_reach = u'В';
constexpr char16_t not_near = u'!';

bool ends_with(const wstring& text, const char16_t* tail) {
  const int n = wide_length(tail);
  return text.Length() >= n && text.Right(n) == tail;
}

// Texts joined with ", " and with " и " before the last.
wstring enumeration(const c_array<wstring, wstring>& items) {
  wstring joined;
  for (int n = 0; n < items.Count(); ++n) {
    if (n > 0) joined += n == items.Count() - 1 ? u" и " : u", ";
    joined += items[n];
  }
  return joined;
}

// What the survey of the narrowed tokens noticed.
struct line_survey {
  bool swearing = false;
  bool question = false;
  bool has_case = false;
  bool all_nominative = true;
};

class error_description {
 public:
  error_description(parsed_string& owner, context& ctx, const token_line& chosen)
      : owner_(owner), home_(owner.World()), ctx_(ctx), chosen_(chosen) {}

  wstring Compose();

 private:
  bool RecordedErrors(wstring& reply) const;
  void SurveyTokens();
  static bool HasOtherCase(const token& typed);
  bool Swearing(wstring& reply) const;
  bool UnknownWord(wstring& reply);
  bool Question(wstring& reply) const;
  bool SplitWord(wstring& reply) const;
  bool PlaceAnswersForAbsent(wstring& reply) const;
  bool ObjectNotHere(wstring& reply) const;
  bool MeaningNotHere(const op_value& meaning, wstring& reply) const;
  wstring Refusal() const;
  wstring RefusalOpenings() const;
  // Appends a token to the refusal; false with the whole reply when the
  // token's word shows a mistake worth pointing out instead.
  bool AppendToRefusal(const token& t, wstring& text, bool& verb_appended, wstring& reply) const;
  bool MisspeltInfinitive(const token& t, const op_value& meaning, wstring& reply) const;

  bool ActorIsPlayer() const { return ctx_.characters[0] == home_.player; }
  bool IsOfClass(const object* entity, const char16_t* class_name) const;
  bool IsSwearWord(const value& v) const;
  // The value's text in the form asked for, the number taken from the
  // meaning when it has one.
  wstring FormOf(const op_value& meaning, const char16_t* asked_keys, const char16_t* kept_letters = u"ч") const;
  wstring OwnFormOf(const token& t, const op_value& meaning) const;
  bool IsKnownWord(const wstring& text) const;
  dictionary* Dictionary() const { return dynamic_cast<dictionary*>(home_.dictionary); }

  parsed_string& owner_;
  world& home_;
  context& ctx_;
  const token_line& chosen_;
  // The chosen line's tokens narrowed; the line itself stays as it was.
  c_array<token, token> tokens_;
  line_survey survey_;
};

wstring error_description::Compose() {
  wstring reply;
  if (RecordedErrors(reply)) return reply;
  SurveyTokens();
  if (Swearing(reply) || UnknownWord(reply) || Question(reply) || SplitWord(reply) || ObjectNotHere(reply))
    return reply;
  return Refusal();
}

// The heaviest errors of the reading and its ancestors, each text once.
bool error_description::RecordedErrors(wstring& reply) const {
  bool any = false;
  int32_t heaviest = 0;
  for (const token_line* line = &chosen_; line; line = line->Parent()) {
    if (line->errors.Count() == 0) continue;
    const int32_t weight = line->HighestErrorWeight();
    if (!any || weight > heaviest) heaviest = weight;
    any = true;
  }
  if (!any) return false;
  c_array<wstring, wstring> texts;
  for (const token_line* line = &chosen_; line; line = line->Parent())
    for (const error_item& error : line->errors) {
      if (error.weight != heaviest) continue;
      const wstring text = error.text.IsEmpty() ? wstring(u"даже не знаю что сказать...") : error.text;
      bool known = false;
      for (const wstring& earlier : texts) known = known || earlier == text;
      if (!known) texts.Insert(texts.Count(), text);
    }
  for (int n = 0; n < texts.Count(); ++n) {
    if (n > 0) reply += u" или ";
    reply += texts[n];
  }
  return true;
}

void error_description::SurveyTokens() {
  for (const token& typed : chosen_) {
    token& t = tokens_.Insert(tokens_.Count(), typed);
    t.Resolve(narrowing_keys);
    if (t.question || t.text == u"?") survey_.question = true;
    if (t.meanings.Count() == 0) continue;
    const op_value& first = t.meanings[0];
    if (IsSwearWord(first.v)) survey_.swearing = true;
    const char16_t grammatical_case = key_matrix(first.keys.Text()).GetMarker(case_key);
    if (!grammatical_case) continue;
    survey_.has_case = true;
    if (grammatical_case != nominative || HasOtherCase(typed)) survey_.all_nominative = false;
  }
}

// A word that reads the same in other cases («фойе», «пальто») is no
// mistake in its ending, though narrowing keeps its nominative.
bool error_description::HasOtherCase(const token& typed) {
  for (const op_value& meaning : typed.meanings) {
    const char16_t grammatical_case = key_matrix(meaning.keys.Text()).GetMarker(case_key);
    if (grammatical_case && grammatical_case != nominative) return true;
  }
  return false;
}

bool error_description::Swearing(wstring& reply) const {
  if (!survey_.swearing) return false;
  reply = ActorIsPlayer() ? u"Здесь нет никого, кто смог бы оценить твои ругательства." : u"Не ругайся тут пожалуйста!";
  return true;
}

bool error_description::UnknownWord(wstring& reply) {
  for (const token& t : tokens_) {
    if (t.meanings.Count() == 0) continue;
    const op_value& first = t.meanings[0];
    if (first.weight != meaning_weight::plain_text || first.v.Type() != kw::type_string) continue;
    owner_.error_kind = u"word";
    reply = wstring(u"слово \"") + red_open + t.text.Text() + red_close + u"\" мне неизвестно";
    c_index<wstring, wstring> found;
    dictionary* words = Dictionary();
    if (words && words->SpellingCandidates(home_, t.text, found)) {
      c_array<wstring, wstring> shown;
      for (const wstring& candidate : found)
        shown.Insert(shown.Count(), wstring(u"\"") + output_pool::Highlight(candidate.Text(), t.text.Text()).Text() + u"\"");
      reply += found.Count() == 1 ? u", но зато я знаю слово " : u", но зато я знаю слова ";
      reply += enumeration(shown);
    } else {
      owner_.unknown_word = t.text;
    }
    reply += u".";
    return true;
  }
  return false;
}

// A question with nothing to ask about: the location may answer it itself.
bool error_description::Question(wstring& reply) const {
  if (!survey_.question) return false;
  object* place = ctx_.NearestLocation();
  if (place && ActorIsPlayer()) {
    value answer;
    const bool answered =
        read_property(value::Entity(kw::type_location, place), ctx_, question_to_nowhere, question_to_nowhere, answer);
    const bool declined = answer.Type() == kw::type_bool && (answer.Code() == kw::result_no ||
                                                             answer.Code() == kw::result_unclear ||
                                                             answer.Code() == kw::result_fail);
    if (answered && !declined) {
      reply = wstring();
      return true;
    }
  }
  reply = u"Вопрос неясен.";
  return true;
}

// A place may answer for a thing the player cannot see there: in the dark
// «Здесь нет X.» would tell what is here and what is not.
bool error_description::PlaceAnswersForAbsent(wstring& reply) const {
  object* place = ctx_.NearestLocation();
  if (!place || !ActorIsPlayer()) return false;
  value answer;
  if (!read_property(value::Entity(kw::type_location, place), ctx_, not_here, not_here_russian, answer)) return false;
  const bool told = answer.Type() == kw::type_string ||
                    (answer.Type() == kw::type_bool && answer.Code() == kw::result_fail);
  if (!told || answer.Text().IsEmpty()) return false;
  reply = answer.Text();
  return true;
}

bool error_description::SplitWord(wstring& reply) const {
  for (int n = 0; n + 1 < tokens_.Count(); ++n) {
    const token& left = tokens_[n];
    const token& right = tokens_[n + 1];
    if (left.kind != u'L' || right.kind != u'L') continue;
    const wstring joined = left.text + right.text.Text();
    if (!IsKnownWord(joined)) continue;
    reply = wstring(u"возможно, слово \"") + red_open + joined.Text() + red_close + u"\" следует писать слитно.";
    return true;
  }
  return false;
}

bool error_description::ObjectNotHere(wstring& reply) const {
  for (const token& t : tokens_)
    if (t.meanings.Count() > 0 && MeaningNotHere(t.meanings[0], reply)) return true;
  return false;
}

bool error_description::MeaningNotHere(const op_value& meaning, wstring& reply) const {
  const key_matrix keys(meaning.keys.Text());
  const char16_t reach = keys.GetMarker(reach_key);
  const int type = meaning.v.Type();
  const object* entity = meaning.v.GetEntity();
  if (reach == out_of_reach) {
    reply = FormOf(meaning, u"Ип") + u" вне досягаемости.";
    return true;
  }
  if (!reach || reach == not_near) {
    if (type == kw::type_object || (type == kw::type_class && IsOfClass(entity, u"существительное"))) {
      if (!PlaceAnswersForAbsent(reply)) reply = wstring(u"Здесь нет ") + FormOf(meaning, u"Рп").Text() + u".";
      return true;
    }
    if (type == kw::type_location) {
      reply = FormOf(meaning, u"Рп") + u" отсюда не видно.";
      return true;
    }
  }
  if (!keys.GetMarker(case_key)) return false;
  if (type == kw::type_string) {
    reply = FormOf(meaning, u"Ип") + u" здесь не играет особой роли.";
    return true;
  }
  if (type == kw::type_word && (IsOfClass(entity, u"существительное") || IsOfClass(entity, u"прилагательное"))) {
    // The dictionary form: an adjective in the masculine.
    reply = wstring(u"Значение слова \"") + FormOf(meaning, u"ИпЕчМр", u"").Text() + u"\" мне неизвестно.";
    return true;
  }
  return false;
}

// The last resort: a refusal put in the player's own words.
wstring error_description::Refusal() const {
  wstring text = value::String(RefusalOpenings()).CalcString(&home_, &owner_.Runner(), &ctx_);
  bool verb_appended = false;
  bool first = true;
  for (const token& t : tokens_) {
    if (t.text == u"я" || t.text == u"ты") continue;
    if (!first) text += u" ";
    first = false;
    wstring reply;
    if (!AppendToRefusal(t, text, verb_appended, reply)) return reply;
  }
  return verb_appended ? text + u"." : wstring(u"непонятно...");
}

// A game speaks in its own voice: the place's "_отказ" is the opening of
// the refusal (a text that may choose among several), the built-in
// openings otherwise.
wstring error_description::RefusalOpenings() const {
  object* place = ctx_.NearestLocation();
  value own;
  if (place && read_property(value::Entity(kw::type_location, place), ctx_, refusal_property,
                             refusal_property_russian, own) &&
      own.Type() == kw::type_string && !own.Text().IsEmpty())
    return own.Text() + u" ";
  return wstring(refusal_openings);
}

bool error_description::AppendToRefusal(const token& t, wstring& text, bool& verb_appended, wstring& reply) const {
  // Words joined into one word of the world are written with blanks.
  wstring typed(t.text);
  typed.Replace(u"_", u" ");
  if (t.meanings.Count() == 0) {
    text += typed;
    return true;
  }
  const op_value& meaning = t.meanings[0];
  const int type = meaning.v.Type();
  if (type == kw::type_object) {
    text += OwnFormOf(t, meaning);
    return true;
  }
  if (type != kw::type_act && type != kw::type_word) {
    text += typed;
    return true;
  }
  if (MisspeltInfinitive(t, meaning, reply)) return false;
  const key_matrix keys(meaning.keys.Text());
  if (keys.GetMarker(form_key) == predicate_form && survey_.has_case && survey_.all_nominative) {
    reply = u"В русском языке принято склонять слова по падежам. Возможно вы ошиблись в окончании слова.";
    return false;
  }
  if (keys.GetMarker(case_key) || !keys.GetMarker(verb_form_key)) {
    text += typed;
    return true;
  }
  // «не хочу» reads best with the imperfective («не хочу брать»), the other
  // openings with the perfective («невозможно взять»); a word keeps the
  // aspect the player chose unless it follows «не хочу». An aspect asks for
  // the partner's infinitive, which the word holds under "ИвНш" or "ИвСш".
  const char16_t* infinitive_keys = u"ИвПф";
  if (text.Find(unwilling) >= 0)
    infinitive_keys = u"ИвНш";
  else if (type == kw::type_act)
    infinitive_keys = u"ИвСш";
  text += FormOf(meaning, infinitive_keys, u"");
  verb_appended = true;
  return true;
}

// «учится» typed where «учиться» was meant.
bool error_description::MisspeltInfinitive(const token& t, const op_value& meaning, wstring& reply) const {
  if (!ends_with(t.text, u"тся")) return false;
  if (key_matrix(meaning.keys.Text()).GetMarker(verb_form_key) == infinitive) return false;
  const wstring form = FormOf(meaning, u"ИвПф", u"");
  if (!ends_with(form, u"ться")) return false;
  const int soft_sign = form.Length() - 3;
  if (form.Left(soft_sign) + form.Mid(soft_sign + 1, wstring::text_end).Text() != t.text) return false;
  reply = wstring(u"может правильнее написать \"") + form.Left(soft_sign).Text() + red_open + u"ь" + red_close +
          form.Mid(soft_sign + 1, wstring::text_end).Text() + u"\"?";
  return true;
}

bool error_description::IsOfClass(const object* entity, const char16_t* class_name) const {
  const object* cls = home_.FindClass(class_name);
  return entity && cls && entity->IsOfClass(cls->Id());
}

// A word of the class «ругательство», or an entity named by one.
bool error_description::IsSwearWord(const value& v) const {
  const object* entity = v.GetEntity();
  if (!v.IsEntity() || !entity) return false;
  if (IsOfClass(entity, u"ругательство")) return true;
  for (const object* word : home_.LinkedWords(entity))
    if (IsOfClass(word, u"ругательство")) return true;
  return false;
}

wstring error_description::FormOf(const op_value& meaning, const char16_t* asked_keys,
                                  const char16_t* kept_letters) const {
  key_matrix asked(asked_keys);
  if (*kept_letters) asked.AddKey(meaning.keys.Text(), kept_letters);
  // The value's own keys would add the parser's marks to the request.
  value plain(meaning.v);
  plain.SetKeyText(wstring());
  bool missing_form;
  return plain.ToString(&home_, &ctx_, &asked, 0, missing_form);
}

// An object in the case and number the player put it in; a phrase that
// began with a preposition keeps it («со стола»).
wstring error_description::OwnFormOf(const token& t, const op_value& meaning) const {
  wstring form = FormOf(meaning, u"", u"пч");
  const int blank = t.text.Find(u' ');
  if (blank <= 0) return form;
  int pos;
  if (!home_.prepforms.Find(t.text.Left(blank).Text(), pos)) return form;
  return t.text.Left(blank) + u" " + form.Text();
}

bool error_description::IsKnownWord(const wstring& text) const {
  int pos;
  if (home_.word_forms.Find(text.Text(), pos)) return true;
  dictionary* words = Dictionary();
  return words && words->FindArticle(home_, text, nullptr, false);
}

}  // namespace

void parsed_string::GetErrorDescription(context& ctx, wstring& reply) {
  if (!chosen_) throw u"parsed_string::GetErrorDescription() invalid Result!";
  error_kind.Clear();
  unknown_word.Clear();
  // The reply goes back to whoever was spoken to.
  ctx.characters[1] = chosen_->characters[2];
  ctx.characters[2] = chosen_->characters[1];
  reply = error_description(*this, ctx, *chosen_).Compose();
}
