// Spelling hints: the known words one insertion, replacement or deletion
// away from a word the parser did not know.

#include "dictionary.h"
#include "world.h"

namespace {

constexpr int shortest_word = 5;
constexpr int longest_word = 15;

// "а" to "я" (without "ё"), then the hyphen.
constexpr char16_t last_letter = u'я';
constexpr char16_t hyphen = u'-';

template <class F>
void for_each_letter(F&& f) {
  for (char16_t c = u'а'; c <= last_letter; ++c) f(c);
  f(hyphen);
}

wstring joined(const wstring& before, char16_t letter, const wstring& after) {
  wstring text(before);
  text += letter;
  text += after;
  return text;
}

}  // namespace

bool dictionary::IsKnownWord(world& home, const wstring& candidate) const {
  int pos;
  return home.word_forms.Find(candidate.Text(), pos) || FindArticle(home, candidate, nullptr, false);
}

bool dictionary::SpellingCandidates(world& home, const wstring& word, c_index<wstring, wstring>& found) const {
  if (word.Length() < shortest_word || word.Length() > longest_word) return false;
  wstring lower(word);
  lower.ToLower(true);
  auto consider = [&](const wstring& candidate) {
    int pos;
    if (IsKnownWord(home, candidate)) found.Add(candidate, pos);
  };
  const int length = lower.Length();
  for (int p = 0; p <= length; ++p) {
    const wstring before = lower.Left(p);
    const wstring from_p = lower.Mid(p, wstring::text_end);
    for_each_letter([&](char16_t c) {
      if (p == length || lower[p] != c) consider(joined(before, c, from_p));
    });
    if (p == length) break;
    const wstring after = lower.Mid(p + 1, wstring::text_end);
    for_each_letter([&](char16_t c) {
      if (lower[p] != c) consider(joined(before, c, after));
    });
    consider(before + after.Text());
  }
  return found.Count() > 0;
}
