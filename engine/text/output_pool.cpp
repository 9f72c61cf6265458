#include "output_pool.h"

#include <initializer_list>
#include <utility>

#include "case_map.h"
#include "wchar_set.h"

namespace {

// Marks that joining pieces of text leaves side by side, as triples: the
// first mark, the second mark, and which of the two goes ("1" the first,
// "2" the second). The first matching triple wins.
constexpr char16_t punctuation_pairs[] =
    u" _1 .1,.1;.1:.1 ^1,^1.^1;^1:^1"
    u" !1,!1;!1:!1 ?1,?1;?1:?1"
    u" :1,:1 ;1,;1 ,1"
    u"  2,,2..2;;2::2_ 2"
    u".,2.;2.:2.!2.?2^,2^.2^;2^:2"
    u"!,2!.2!;2!:2?,2?.2?;2?:2:,2:;2;,2;:2"
    u"\n 2\n,2\n.2\n;2\n:2\n!2\n?2"
    u"\r 2\r,2\r.2\r;2\r:2\r!2\r?2"
    u"end";
static_assert(sizeof(punctuation_pairs) / sizeof(char16_t) == 64 * 3 + 3 + 1);

bool is_table_end(const char16_t* triple) { return triple[0] == u'e' && triple[1] == u'n' && triple[2] == u'd'; }

// "1", "2", or 0 when the pair stays.
char16_t pair_rule(char16_t first, char16_t second) {
  for (const char16_t* triple = punctuation_pairs; !is_table_end(triple); triple += 3)
    if (triple[0] == first && triple[1] == second) return triple[2];
  return 0;
}

// Text that is the one character c; cheaper than a comparison of texts,
// and asked of every item.
bool is_just(const wstring& text, char16_t c) { return text.Length() == 1 && text.Text()[0] == c; }

// Mark-up, bracket groups and host calls: not part of the sentence the
// rules read.
bool is_passed_over(char16_t kind) {
  return kind == output_pool::tag_kind || kind == output_pool::group_kind || kind == output_pool::call_kind ||
         kind == output_pool::call_argument_kind;
}

bool is_sign(char16_t kind) { return kind == output_pool::sign_kind || kind == output_pool::stray_closer_kind; }

bool is_word_or_number(char16_t kind) {
  return kind == output_pool::word_kind || kind == output_pool::number_kind || kind == output_pool::dice_kind;
}

char16_t first_char(const output_pool_item& item) { return item.print_text.Text()[0]; }

// A word starting with a Cyrillic letter. Other characters above the Latin
// letters (the quotes « and », the dash) are read into words too, but a
// mark before a closing quote takes no space.
bool is_russian_word(const output_pool_item& item) {
  char16_t c = first_char(item);
  return item.kind == output_pool::word_kind && c >= u'\u0400' && c <= u'\u04FF';
}

bool ends_sentence(const output_pool_item& item) {
  if (item.kind != output_pool::punctuation_kind && item.kind != output_pool::sign_kind) return false;
  char16_t c = first_char(item);
  return c == u'\n' || c == u'.' || c == u'!' || c == u'?';
}

bool begins_with(const wstring& text, const char16_t* prefix) {
  const char16_t* t = text.Text();
  for (; *prefix; ++prefix, ++t)
    if (*t != *prefix) return false;
  return true;
}

bool ends_in_lower_case(const wstring& text, const char16_t* ending) {
  int n = wide_length(ending);
  int start = text.Length() - n;
  if (start < 0) return false;
  for (int i = 0; i < n; ++i)
    if (lower_case(text[start + i]) != ending[i]) return false;
  return true;
}

bool equals_in_lower_case(const wstring& text, const char16_t* word) {
  return text.Length() == wide_length(word) && ends_in_lower_case(text, word);
}

bool is_reflexive_verb(const wstring& word) {
  return ends_in_lower_case(word, u"ся") || ends_in_lower_case(word, u"сь");
}

// Pronouns that take "н" after a preposition.
bool takes_n(const wstring& word) {
  for (const char16_t* pronoun : {u"ей", u"ею", u"ему", u"им", u"ими"})
    if (word == pronoun) return true;
  return false;
}

void underscore_to_space(wstring& text) {
  if (is_just(text, u'_')) text = u" ";
}

}  // namespace

output_pool::output_pool() : tokenizer(wchar_set::Output()) {}

void output_pool::Add(const wstring& text) { Scan(text.Text()); }

void output_pool::AddItem(char16_t kind, const wstring& print_text, const wstring& speech_text) {
  output_pool_item& item = items_.Insert(items_.Count(), kind);
  item.print_text = print_text;
  item.speech_text = speech_text;
}

bool output_pool::OnLexeme(const char16_t* start, int length, bool, char16_t kind) {
  bool empty = items_.Count() == 0;
  if (!empty && is_just(items_[-1].print_text, u'\\'))
    AppendToEscape(start, length, kind);
  else if (!empty && kind == group_kind)
    items_[-1].speech_text.Assign(start, length);  // what the previous lexeme sounds like
  else
    AppendItem(start, length, kind);
  return false;
}

void output_pool::AppendToEscape(const char16_t* start, int length, char16_t kind) {
  output_pool_item& item = items_[-1];
  item.print_text.Append(start, length);
  item.speech_text.Append(start, length);
  item.kind = kind;
}

void output_pool::AppendItem(const char16_t* start, int length, char16_t kind) {
  // An ellipsis stays one item, so the pair rules keep its three stops.
  if (start[0] == u'.' && start[1] == u'.' && start[2] == u'.') length = 3;
  output_pool_item& item = items_.Insert(items_.Count(), kind);
  item.print_text.Assign(start, length);
  if (kind == tag_kind) {
    FollowLocationTag(item.print_text);
    return;
  }
  item.speech_text = item.print_text;
  if (inside_location_)
    location_text_ += item.print_text;
  else
    text_outside_location_ = true;
}

void output_pool::FollowLocationTag(const wstring& tag) {
  if (begins_with(tag, u"<location")) {
    inside_location_ = true;
    location_text_.Clear();
  } else if (tag == u"</location>") {
    inside_location_ = false;
  }
}

void output_pool::Finish() {
  DropRepeatedLocation();
  CleanPunctuationPairs();
  TurnUnderscoresIntoSpaces();
  SpaceBeforeRussianWords();
  if (words_) AgreePrepositions();
  RemoveReflexiveDoubling();
  SetCapitalsAndFullStops();
  UnescapeTexts();
}

void output_pool::DropRepeatedLocation() {
  if (!location_text_.IsEmpty()) {
    if (location_text_ == shown_location_text_)
      RemoveLocations();
    else
      shown_location_text_ = std::move(location_text_);
  }
  location_text_.Clear();
  inside_location_ = false;
  text_outside_location_ = false;
}

void output_pool::RemoveLocations() {
  std::vector<bool> deleted(items_.Count());
  int block_start = -1;
  for (int i = 0; i < items_.Count(); ++i) {
    const wstring& text = items_[i].print_text;
    if (block_start < 0 && begins_with(text, u"<location")) {
      block_start = i;
    } else if (block_start >= 0 && text == u"</location>") {
      for (int j = block_start; j <= i; ++j) deleted[j] = true;
      block_start = -1;
    }
  }
  DeleteMarked(deleted);
}

// Walks the punctuation once: the marks since the last word or sign that
// are still kept form a stack, so deleting a first mark hands its place
// back to the nearest mark before it.
void output_pool::CleanPunctuationPairs() {
  std::vector<bool> deleted(items_.Count());
  std::vector<int> open;
  for (int i = 0; i < items_.Count(); ++i) {
    char16_t kind = items_[i].kind;
    if (kind == punctuation_kind)
      PairWithOpenPunctuation(i, open, deleted);
    else if (!is_passed_over(kind))
      open.clear();
  }
  DeleteMarked(deleted);
}

void output_pool::PairWithOpenPunctuation(int second, std::vector<int>& open, std::vector<bool>& deleted) {
  char16_t mark = first_char(items_[second]);
  while (!open.empty()) {
    char16_t rule = pair_rule(first_char(items_[open.back()]), mark);
    if (rule == u'2') {
      deleted[second] = true;
      return;
    }
    if (rule != u'1') break;
    deleted[open.back()] = true;
    open.pop_back();
  }
  open.push_back(second);
}

void output_pool::TurnUnderscoresIntoSpaces() {
  for (output_pool_item& item : items_) {
    underscore_to_space(item.print_text);
    underscore_to_space(item.speech_text);
  }
}

void output_pool::SpaceBeforeRussianWords() {
  for (int i = 0; i < items_.Count(); ++i) {
    output_pool_item& item = items_[i];
    if (item.kind != punctuation_kind || is_just(item.print_text, u' ') || is_just(item.print_text, u'\n')) continue;
    int next = NextShown(i + 1);
    if (next < items_.Count() && is_russian_word(items_[next])) item.print_text += u' ';
  }
}

void output_pool::AgreePrepositions() {
  for (int i = 0; i < items_.Count(); ++i) {
    if (items_[i].kind != word_kind) continue;
    int next = i + 1;
    while (next < items_.Count() && (IsSingleSpace(next) || is_passed_over(items_[next].kind))) ++next;
    if (next < items_.Count() && items_[next].kind == word_kind) AgreePreposition(i, next);
  }
}

void output_pool::AgreePreposition(int word, int next) {
  wstring form;
  if (!words_->PrepositionForm(items_[word].print_text, items_[next].print_text, form)) return;
  items_[word].print_text = form;
  items_[word].speech_text = form;
  output_pool_item& following = items_[next];
  if (!takes_n(following.print_text)) return;
  wstring with_n(u"н");
  with_n += following.print_text;
  following.speech_text = with_n;
  following.print_text = std::move(with_n);
}

// A reflexive verb already says "себя": "умылся себя" is "умылся". The
// space before the dropped word goes with it.
void output_pool::RemoveReflexiveDoubling() {
  std::vector<bool> deleted(items_.Count());
  bool after_reflexive = false;
  for (int i = 0; i < items_.Count(); ++i) {
    const output_pool_item& item = items_[i];
    if (item.kind == word_kind) {
      if (after_reflexive && equals_in_lower_case(item.print_text, u"себя")) {
        deleted[i] = true;
        if (i > 0 && IsSingleSpace(i - 1)) deleted[i - 1] = true;
      } else if (item.print_text.Length() >= 5) {
        after_reflexive = is_reflexive_verb(item.print_text);
      }
    } else if ((item.kind == punctuation_kind && !IsSingleSpace(i)) || is_sign(item.kind)) {
      after_reflexive = false;
    }
  }
  DeleteMarked(deleted);
}

// A line end is a pause the speech would miss, so the last word before it
// is spoken with a full stop.
void output_pool::SetCapitalsAndFullStops() {
  bool sentence_start = true;
  int last_word = -1;  // since the last sentence end
  for (int i = 0; i < items_.Count(); ++i) {
    output_pool_item& item = items_[i];
    if (is_word_or_number(item.kind)) {
      if (sentence_start && first_char(item) > u'z') item.print_text.ToUpper(true);
      sentence_start = false;
      last_word = i;
    } else if (ends_sentence(item)) {
      if (first_char(item) == u'\n' && last_word >= 0) items_[last_word].speech_text += u'.';
      sentence_start = true;
      last_word = -1;
    } else if (first_char(item) == u'(') {
      // A remark in brackets keeps the letter its author gave it:
      // «(сначала сняв плащ)» is no sentence of its own.
      sentence_start = false;
    }
  }
}

void output_pool::UnescapeTexts() {
  for (output_pool_item& item : items_) {
    item.print_text.Unescape();
    item.speech_text.Unescape();
  }
}

int output_pool::NextShown(int from) const {
  while (from < items_.Count() && is_passed_over(items_[from].kind)) ++from;
  return from;
}

bool output_pool::IsSingleSpace(int i) const {
  return items_[i].kind == punctuation_kind && is_just(items_[i].print_text, u' ');
}

// One pass: deleting items one at a time would shift the rest each time.
void output_pool::DeleteMarked(const std::vector<bool>& marked) {
  int kept = 0;
  for (int i = 0; i < items_.Count(); ++i) {
    if (marked[i]) continue;
    if (kept != i) items_[kept] = std::move(items_[i]);
    ++kept;
  }
  if (kept < items_.Count()) items_.Delete(kept, items_.Count() - 1);
}

wstring output_pool::GetSpeechText() const {
  wstring speech;
  for (const output_pool_item& item : items_)
    if (item.kind != call_kind && item.kind != call_argument_kind) speech += item.speech_text;
  speech.Replace(u'`', u"<");
  return speech;
}

wstring output_pool::Highlight(const char16_t* typed, const char16_t* expected) {
  int typed_length = wide_length(typed);
  int expected_length = wide_length(expected);
  // After a difference the place in expected skips a letter typed too
  // many, or one left out.
  int step_after_difference = typed_length > expected_length ? 0 : typed_length < expected_length ? 2 : 1;
  wstring marked;
  int place = 0;
  for (int i = 0; i < typed_length; ++i) {
    if (place < expected_length && typed[i] == expected[place]) {
      marked += typed[i];
      ++place;
      continue;
    }
    marked += u"<b><font color='red'>";
    marked += typed[i];
    marked += u"</font></b>";
    place += step_after_difference;
  }
  return marked;
}
