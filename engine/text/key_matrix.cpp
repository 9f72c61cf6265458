#include "key_matrix.h"

#include <algorithm>

#define KIV_LATIN_KEYS u"t+!\"#$%&'()*,-./0123456789:>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]^_`abcdefghijklmnopqrsuvwxyz{|}~"
#define KIV_RUSSIAN_KEYS u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя"

const char16_t* const latin_key_chars = KIV_LATIN_KEYS;
const char16_t* const russian_key_chars = KIV_RUSSIAN_KEYS;
const char16_t* const all_key_chars = KIV_LATIN_KEYS KIV_RUSSIAN_KEYS;

namespace {

constexpr char16_t star = u'*';
constexpr char16_t optional = u'!';

// Reads the marker-and-character pairs of a key text. The three readers of
// key texts differ only in what they pass over between pairs.
class pair_reader {
 public:
  struct rules {
    bool all_leading_semicolons;  // else just one
    bool semicolon_ends;
    bool hash_between_pairs;
  };

  pair_reader(const char16_t* text, rules how) : text_(text), how_(how) {
    if (how_.semicolon_ends) {
      if (how_.all_leading_semicolons)
        while (*text_ == u';') ++text_;
      else if (*text_ == u';')
        ++text_;
    }
  }

  // False at the end of the pairs; `dangling` tells a marker left without
  // its character.
  bool Next(char16_t& marker, char16_t& c, bool& dangling) {
    dangling = false;
    while (*text_ == u' ' || (how_.hash_between_pairs && *text_ == u'#')) ++text_;
    if (!*text_ || (how_.semicolon_ends && *text_ == u';')) return false;
    marker = *text_++;
    if (!*text_) {
      dangling = true;
      return false;
    }
    c = *text_++;
    return true;
  }

 private:
  const char16_t* text_;
  rules how_;
};

constexpr pair_reader::rules key_text_rules{true, true, true};
constexpr pair_reader::rules score_rules{false, true, true};
constexpr pair_reader::rules match_rules{false, false, false};

// Whether a key text marker p disagrees with the matrix marker m.
bool conflicts(char16_t m, char16_t p) {
  if (m == star) return p == optional || p == star;
  if (m == optional && p == star) return true;
  return m != p && p != star;
}

bool is_empty(const char16_t* text) { return !text || !*text; }

}  // namespace

key_matrix::key_matrix(const char16_t* key_text) {
  Clear();
  AddKey(key_text);
}

int key_matrix::SlotOf(char16_t c) {
  if (c >= 0x20 && c <= 0x7F) return c - 32;
  if (c >= 0x400 && c <= 0x451) return c - 928;
  return -1;
}

void key_matrix::Clear() {
  std::fill(std::begin(slots_), std::end(slots_), 0);
  key_count_ = 0;
  star_count_ = 0;
  has_optional_ = false;
}

void key_matrix::SetKey(char16_t c, char16_t marker) {
  int slot = SlotOf(c);
  if (slot < 0) throw u"key_matrix::SetKey() - invalid key marker!";
  if (slots_[slot] || !marker) return;
  slots_[slot] = marker;
  if (marker == optional) {
    has_optional_ = true;
    return;
  }
  ++key_count_;
  if (marker == star) ++star_count_;
}

void key_matrix::ClearKeys(const char16_t* chars) {
  for (; chars && *chars; ++chars) {
    int slot = SlotOf(*chars);
    if (slot < 0) throw u"key_matrix::SetKey() - invalid key marker!";
    if (!slots_[slot]) continue;
    if (slots_[slot] == star) --star_count_;
    --key_count_;  // "!" keys too: the optional flag stays as it was
    slots_[slot] = 0;
  }
}

void key_matrix::AddKey(const char16_t* key_text, const char16_t* filter) {
  if (is_empty(key_text)) return;
  pair_reader pairs(key_text, key_text_rules);
  char16_t marker, c;
  bool dangling;
  while (pairs.Next(marker, c, dangling))
    if (!filter || std::char_traits<char16_t>::find(filter, std::char_traits<char16_t>::length(filter), c))
      SetKey(c, marker);
  if (dangling) {
    wstring message(u"key_matrix::AddKey() invalid key - ");
    message += key_text;
    throw message;
  }
}

char16_t key_matrix::GetMarker(char16_t c) const {
  int slot = SlotOf(c);
  return slot < 0 ? 0 : slots_[slot];
}

wstring key_matrix::GetKey(const char16_t* chars) const {
  if (is_empty(chars)) throw u"key_matrix::GetKey()";
  wstring key;
  for (; *chars; ++chars) {
    if (char16_t marker = GetMarker(*chars)) {
      key += marker;
      key += *chars;
    }
  }
  return key;
}

bool key_matrix::Matches(const char16_t* key_text, bool strict) const {
  if (is_empty(key_text)) return false;
  pair_reader pairs(key_text, match_rules);
  char16_t p, c;
  bool dangling;
  int hits = 0;
  while (pairs.Next(p, c, dangling)) {
    char16_t m = GetMarker(c);
    if (m) {
      if (conflicts(m, p)) return false;
      ++hits;
    } else if (p == star || strict) {
      return false;
    }
  }
  return strict || hits >= key_count_;
}

int key_matrix::Score(const char16_t* key_text) const {
  if (is_empty(key_text)) return 0;
  pair_reader pairs(key_text, score_rules);
  char16_t p, c;
  bool dangling;
  int score = 100, star_hits = 0;
  bool touched = false;
  while (pairs.Next(p, c, dangling)) {
    char16_t m = GetMarker(c);
    if (m) {
      if (conflicts(m, p)) return 0;
      score += 3;
      touched = true;
      if (m == star) ++star_hits;
    } else if (p == star) {
      return 0;
    } else {
      score += p == optional ? 1 : -1;
    }
  }
  if (star_count_ > star_hits) return 0;
  return touched || has_optional_ ? score : 0;
}

int key_list::ScoreAll(const key_matrix& matrix) {
  int best = 0;
  for (key_list_item& item : *this) {
    item.score = matrix.Score(item.key_text.Text());
    best = std::max(best, item.score);
  }
  return best;
}

int key_list::ScoreAll(const char16_t* key_text) { return ScoreAll(key_matrix(key_text)); }

bool key_list::MarkMatching(const key_matrix& matrix) {
  bool any = false;
  for (key_list_item& item : *this) {
    item.score = matrix.Matches(item.key_text.Text()) ? 100 : 0;
    any = any || item.score;
  }
  return any;
}

int key_list::CrossScore(key_matrix& matrix, key_list& list1, key_list& list2, const char16_t* filter) {
  int best = 0;
  for (key_list_item& first : list1) {
    matrix.Clear();
    matrix.AddKey(first.key_text.Text(), filter);
    for (key_list_item& second : list2) {
      int score = matrix.Score(second.key_text.Text());
      first.score = std::max(first.score, score);
      second.score = std::max(second.score, score);
      best = std::max(best, score);
    }
  }
  return best;
}

bool key_list::KeepMarked(bool force) {
  bool any_marked = std::any_of(begin(), end(), [](const key_list_item& item) { return item.score != 0; });
  if (!any_marked && !force) return false;
  bool deleted = false;
  for (int i = Count() - 1; i >= 0; --i) {
    if ((*this)[i].score == 0) {
      Delete(i);
      deleted = true;
    } else {
      (*this)[i].score = 0;
    }
  }
  return deleted;
}

bool key_list::DropMarked(bool force) {
  bool all_marked = std::all_of(begin(), end(), [](const key_list_item& item) { return item.score != 0; });
  if (all_marked && !force) return false;
  bool deleted = false;
  for (int i = Count() - 1; i >= 0; --i) {
    if ((*this)[i].score != 0) {
      Delete(i);
      deleted = true;
    }
  }
  return deleted;
}
