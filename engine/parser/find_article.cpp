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

// The word without leading "@" and "$", in lower case but with its "ё".
wstring written_word(const wstring& word) {
  int start = 0;
  while (start < word.Length() && (word[start] == u'@' || word[start] == u'$')) ++start;
  wstring written = word.Mid(start, wstring::text_end);
  written.ToLower(false);
  return written;
}

bool knows_name(const world& home, const wstring& normalised) {
  int pos;
  return home.FindWord(normalised) || home.FindObject(normalised) || home.FindClass(normalised) ||
         home.functions.Types().Find(normalised.Text(), pos);
}

}  // namespace

// A form may belong to several lexemes («кружку» to кружка and кружок,
// «полей» to поле and полить). The one whose lemma the world knows (a word,
// an object, a class, a function's type) wins, so that a typed form means
// what the game has; then the one whose lemma is the word itself, spelled
// as written before read normalised, so that a name the game declares gets
// its own lexeme; otherwise the first one found.
bool dictionary::FindArticle(world& home, const wstring& word, wstring* text, bool browse) const {
  const wstring sought = dictionary_word(word);
  if (sought.IsEmpty() || !file_.Loaded()) return false;
  const wstring spelled = written_word(word);
  const std::string bytes = encode_windows1251(sought.Text(), size_t(sought.Length()));
  // Plain forms are compared byte by byte when the word converts exactly.
  const bool exact = decode_windows1251(bytes.data(), bytes.size()) == sought.Text();
  dic_article best;
  int best_rank = -1;
  for (uint16_t key : {file_.NounKey(bytes), file_.VerbKey(bytes)})
    for (uint16_t n : FindStemArticles(file_, key)) {
      dic_article article;
      if (!ReadArticleForms(file_, n, sought, article) || !has_form(article, sought, exact ? &bytes : nullptr)) continue;
      if (!text) return true;
      if (!browse && is_taken(home, n)) continue;
      const int rank = LemmaRank(home, article, sought, spelled);
      if (rank > best_rank) {
        best = article;
        best_rank = rank;
      }
    }
  if (best_rank < 0) return false;
  int pos;
  if (!browse) home.taken_articles.Add(best.number, pos);
  *text = ExpandArticle(home, best);
  return true;
}

// Known to the world: 4; then 2 when the lemma is the word as written, 1
// when the same once normalised.
int dictionary::LemmaRank(const world& home, const dic_article& article, const wstring& sought,
                          const wstring& spelled) const {
  std::string_view main = ReadArticleTexts(file_, article).main;
  if (main.empty() || main[0] != '$') return 0;
  const size_t end = main.find_first_of(" {\n", 1);
  const std::string_view lemma_bytes = main.substr(1, end == std::string_view::npos ? main.size() - 1 : end - 1);
  wstring lemma(decode_windows1251(lemma_bytes.data(), lemma_bytes.size()).c_str());
  lemma.ToLower(false);
  const int spelling = lemma == spelled ? 2 : 0;
  lemma.ToLower(true);
  const int known = knows_name(home, lemma) ? 4 : 0;
  return known + (spelling ? spelling : lemma == sought ? 1 : 0);
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
