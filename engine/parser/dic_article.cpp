// Reading an article's sections from the image: forms up to ";;", the
// main text, tagged texts up to the tag 0xFFFF, cross references up to
// 0xFFFF. Every read stays inside the image.

#include "dic_article.h"

#include "codepage.h"
#include "dic_cursor.h"
#include "dic_loader.h"

namespace {

constexpr size_t max_forms = 255;
constexpr uint16_t list_end = 0xFFFF;

uint64_t article_start(const dic_loader& dic, uint16_t n) {
  return uint64_t(dic.Header().articles) + uint64_t(n) * dic.Header().granule;
}

// "Нарушена структура статьи" with the article's text from its first form.
[[noreturn]] void structure_broken(const dic_loader& dic, uint64_t start) {
  std::string_view from = dic.Image().substr(static_cast<size_t>(start));
  from = from.substr(0, from.find('\0'));
  wstring message(u"Ошибка в словаре: Нарушена структура статьи: ");
  message += decode_windows1251(from.data(), from.size()).c_str();
  throw message;
}

[[noreturn]] void too_many_forms(const wstring& word) {
  wstring message(u"Ошибка в словаре: количество словоформ для слова '");
  message += word;
  message += u"' превышает 255";
  throw message;
}

}  // namespace

bool ReadArticleForms(const dic_loader& dic, uint16_t n, const wstring& word, dic_article& article) {
  const std::string_view image = dic.Image();
  article.number = n;
  article.start = article_start(dic, n);
  article.forms.clear();
  if (article.start >= image.size()) return false;
  size_t at = static_cast<size_t>(article.start);
  do {
    size_t end = at;
    while (end < image.size() && image[end] != ';' && image[end] != '\0') ++end;
    if (end == image.size() || image[end] != ';') structure_broken(dic, article.start);
    if (article.forms.size() == max_forms) too_many_forms(word);
    article.forms.push_back(image.substr(at, end - at));
    at = end + 1;
  } while (at < image.size() && image[at] != ';');
  if (at >= image.size()) structure_broken(dic, article.start);
  article.texts = at + 1;
  return true;
}

dic_article_texts ReadArticleTexts(const dic_loader& dic, const dic_article& article) {
  dic_article_texts texts;
  dic_cursor cursor(dic.Image(), article.texts);
  if (!cursor.ReadText(texts.main)) structure_broken(dic, article.start);
  dic_article_texts::tagged_text tagged;
  while (true) {
    if (!cursor.ReadWord(tagged.tag)) structure_broken(dic, article.start);
    if (tagged.tag == list_end) break;
    if (!cursor.ReadText(tagged.text)) structure_broken(dic, article.start);
    texts.tagged.push_back(tagged);
  }
  uint16_t reference;
  while (true) {
    if (!cursor.ReadWord(reference)) structure_broken(dic, article.start);
    if (reference == list_end) break;
    texts.cross_references.push_back(reference);
  }
  return texts;
}

// A cross article: a NUL-terminated string, then tag and text pairs up to
// the tag 0xFFFF. Running off the image is an addressing fault like a
// missing tag: the reference leads nowhere.
std::string_view CrossArticleText(const dic_loader& dic, uint16_t m, uint16_t n) {
  const char16_t* const misaddressed = u"Ошибка в словаре: нарушение в адресации кросс-статей!";
  dic_cursor cursor(dic.Image(), article_start(dic, m));
  std::string_view text;
  if (!cursor.ReadText(text)) throw misaddressed;
  uint16_t tag;
  while (cursor.ReadWord(tag) && tag != list_end) {
    if (!cursor.ReadText(text)) break;
    if (tag == n) return text;
  }
  throw misaddressed;
}
