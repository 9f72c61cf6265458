#include "article_encoder.h"

#include <algorithm>
#include <stdexcept>

#include "dictionary_text.h"

namespace {

[[noreturn]] void refuse(const lexeme& word, const std::string& why) {
  throw std::invalid_argument("lexeme \"" + word.lemma + "\": " + why);
}

void check_form_text(const lexeme& word, std::string_view text) {
  if (text.empty()) refuse(word, "empty form text");
  // ";" ends a form in the file's form list.
  if (text.find(';') != std::string_view::npos) refuse(word, "form text with \";\": " + std::string(text));
}

// The distinct texts of the forms, in the order they first appear, so the
// lemma (form 0) stays first.
std::vector<std::string> distinct_form_texts(const lexeme& word) {
  std::vector<std::string> texts;
  for (const word_form& form : word.forms) {
    check_form_text(word, form.text);
    if (std::find(texts.begin(), texts.end(), form.text) == texts.end()) texts.push_back(form.text);
  }
  if (texts.empty()) refuse(word, "no forms");
  if (texts.size() > max_bound_form_index + 1)
    refuse(word, std::to_string(texts.size()) + " distinct form texts, more than a form binding can address");
  return texts;
}

std::string declaration_head(const lexeme& word) {
  std::string head = "$" + word.lemma + " {\n";
  for (size_t i = 0; i < word.classes.size(); ++i) head += (i == 0 ? "" : "\n") + word.classes[i];
  if (!word.own_key.empty()) head += "\nkey=#" + word.own_key;
  if (!word.default_key.empty()) head += "\ndefkey=#" + word.default_key;
  return head;
}

// One binding per distinct (form, key) pair; a form without a key has
// nothing to bind, and its text is still found through the form list.
void append_form_bindings(const lexeme& word, const std::vector<std::string>& texts, std::string& compressed) {
  std::vector<std::pair<std::string_view, std::string_view>> bound;
  for (const word_form& form : word.forms) {
    if (form.key.empty()) continue;
    std::pair<std::string_view, std::string_view> pair{form.text, form.key};
    if (std::find(bound.begin(), bound.end(), pair) != bound.end()) continue;
    bound.push_back(pair);
    size_t index = size_t(std::find(texts.begin(), texts.end(), form.text) - texts.begin());
    AppendFormBinding(compressed, index, ToCp1251(form.key));
  }
}

}  // namespace

article EncodeArticle(const lexeme& word, const text_compressor& compressor) {
  std::vector<std::string> texts = distinct_form_texts(word);
  article result;
  result.lemma = word.lemma;
  result.main_text = compressor.Compress(ToCp1251(declaration_head(word)));
  append_form_bindings(word, texts, result.main_text);
  result.main_text += compressor.Compress("\n}");
  for (const std::string& text : texts) result.forms.push_back(ToCp1251(text));
  return result;
}
