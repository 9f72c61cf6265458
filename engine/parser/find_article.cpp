// Finding a word's article: its noun stem key, then its verb stem key, each
// naming up to three articles whose forms are compared with the word.

#include <string>
#include <vector>

#include "codepage.h"
#include "dic_article.h"
#include "dic_decoder.h"
#include "dic_loader.h"
#include "dic_stem_table.h"
#include "dictionary.h"
#include "world.h"

namespace {

bool is_taken(const world& home, int n) {
  int pos;
  return home.taken_articles.Find(n, pos);
}

// Whether lower-casing and normalising leave the code page 1251 text as it
// is: it has no capitals, no letters outside the Russian lower case, no "`"
// and no spaces.
bool is_plain_lower(std::string_view form) {
  for (unsigned char c : form)
    if (c < 0xE0 && (c >= 0x80 || (c >= 'A' && c <= 'Z') || c == '`' || c == ' ')) return false;
  return true;
}

// Forms are compared as the world keeps its words: lower case, normalised.
// The word is also given in code page 1251 when it converts exactly, so that
// the usual plain forms are compared byte by byte, without decoding.
bool has_form(const dic_article& article, const wstring& word, const std::string* bytes) {
  for (std::string_view form : article.forms) {
    if (bytes && is_plain_lower(form)) {
      if (form == *bytes) return true;
      continue;
    }
    wstring text(decode_windows1251(form.data(), form.size()).c_str());
    text.ToLower(true);
    if (text == word) return true;
  }
  return false;
}

}  // namespace

bool dictionary::FindArticle(world& home, const wstring& word, wstring* text, bool browse) const {
  const wstring sought = dictionary_word(word);
  if (sought.IsEmpty() || !file_.Loaded()) return false;
  const std::string bytes = encode_windows1251(sought.Text(), size_t(sought.Length()));
  const bool exact = decode_windows1251(bytes.data(), bytes.size()) == sought.Text();
  for (uint16_t key : {file_.NounKey(bytes), file_.VerbKey(bytes)})
    for (uint16_t n : FindStemArticles(file_, key))
      if (TryArticle(home, n, sought, exact ? &bytes : nullptr, text, browse)) return true;
  return false;
}

bool dictionary::TryArticle(world& home, uint16_t n, const wstring& word, const std::string* bytes, wstring* text,
                            bool browse) const {
  dic_article article;
  if (!ReadArticleForms(file_, n, word, article) || !has_form(article, word, bytes)) return false;
  if (!text) return true;
  int pos;
  if (!browse && !home.taken_articles.Add(n, pos)) return false;
  *text = ExpandArticle(home, article);
  return true;
}

// The main text, then the tagged texts of articles the world has taken,
// then what taken cross articles keep for this one, once per cross article.
wstring dictionary::ExpandArticle(const world& home, const dic_article& article) const {
  const dic_article_texts texts = ReadArticleTexts(file_, article);
  std::u16string expanded;
  Decoder(texts.main, &article.forms, expanded);
  for (const dic_article_texts::tagged_text& tagged : texts.tagged) {
    if (!is_taken(home, tagged.tag)) continue;
    Decoder("\n", nullptr, expanded);
    Decoder(tagged.text, &article.forms, expanded);
  }
  // Each cross article is read once however often it is named: a file that
  // repeats a reference must not make one lookup quadratic.
  std::vector<bool> read(0x10000, false);
  for (uint16_t m : texts.cross_references) {
    if (read[m] || !is_taken(home, m)) continue;
    read[m] = true;
    Decoder("\n", nullptr, expanded);
    Decoder(CrossArticleText(file_, m, article.number), nullptr, expanded);
  }
  return wstring(expanded.c_str());
}
