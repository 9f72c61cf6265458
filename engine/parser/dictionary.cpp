// Declaring unknown words from the dictionary: once per word and world,
// by running the article's expanded text twice through the declarations.

#include "dictionary.h"

#include "code_runner.h"
#include "world.h"

namespace {

bool is_cyrillic(char16_t c) { return c >= 0x0400 && c <= 0x0451; }

bool splits_words(char16_t c) { return c == u':' || c == u'@' || c == u'_'; }

// Restores the world's declaration pass however the declarations end.
class pass_scope {
 public:
  explicit pass_scope(world& home) : home_(home), saved_(home.declaration_pass) {}
  ~pass_scope() { home_.declaration_pass = saved_; }
  pass_scope(const pass_scope&) = delete;
  pass_scope& operator=(const pass_scope&) = delete;

 private:
  world& home_;
  int saved_;
};

// A preposition counts as known from its creation on: its forms enter the
// index only when its description is read, after the name's lookup.
bool is_known(const world& home, const wstring& word) {
  int pos;
  return home.FindPreposition(word) || home.prepforms.Find(word.Text(), pos) || home.word_forms.Find(word.Text(), pos);
}

}  // namespace

wstring dictionary_word(const wstring& word) {
  int start = 0;
  while (start < word.Length() && (word[start] == u'@' || word[start] == u'$')) ++start;
  if (start >= word.Length() || !is_cyrillic(word[start])) return wstring();
  wstring sought = word.Mid(start, wstring::text_end);
  sought.ToLower(true);
  return sought;
}

bool dictionary::DeclareFromDictionary(world& home, const wstring& word) {
  if (home.declaration_pass == 1) return false;
  const wstring sought = dictionary_word(word);
  if (sought.IsEmpty() || is_known(home, sought)) return false;
  int pos;
  if (!home.looked_up_words.Add(sought, pos)) return false;
  if (sought.FindAny(u"_:") >= 0) {
    DeclarePieces(home, sought);
    return false;
  }
  wstring text;
  const bool found = FindArticle(home, sought, &text, false) ||
                     (sought.Left(2) == u"не" && FindArticle(home, sought.Mid(2, wstring::text_end), &text, false));
  if (!found) return false;
  RunDeclarations(home, word, text);
  return true;
}

// "большой_ящик" and "ключ:медный" declare each of their words.
void dictionary::DeclarePieces(world& home, const wstring& word) {
  int start = 0;
  for (int i = 0; i <= word.Length(); ++i) {
    if (i < word.Length() && !splits_words(word[i])) continue;
    if (i > start) DeclareFromDictionary(home, word.Mid(start, i - start));
    start = i + 1;
  }
}

// Twice, so that the second pass finds what the first one made. A failure
// leaves the label naming the entry, for the crash report.
void dictionary::RunDeclarations(world& home, const wstring& word, const wstring& text) {
  code_runner* runner = home.Runner();
  if (!runner) return;
  const wstring saved_label = entry_label_ ? *entry_label_ : wstring();
  pass_scope restored(home);
  for (int pass = 1; pass <= 2; ++pass) {
    if (entry_label_) *entry_label_ = word + (pass == 1 ? u" (first pass)" : u" (second pass)");
    home.declaration_pass = pass;
    runner->RunSource(text, home);
  }
  if (entry_label_) *entry_label_ = saved_label;
}
