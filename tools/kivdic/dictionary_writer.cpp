#include "dictionary_writer.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <unordered_map>

#include "article_encoder.h"
#include "aspect_texts.h"
#include "dictionary_layout.h"
#include "dictionary_text.h"
#include "lookup_simulation.h"
#include "opencorpora_tags.h"
#include "shared_words.h"
#include "stem_placement.h"

namespace {

constexpr size_t lost_lemmas_reported = 20;

struct article_set {
  std::vector<article> articles;  // one per lexeme, then the special words without one
  std::vector<size_t> specials;   // article indexes of the special articles
  size_t aspect_pairs = 0;
};

std::optional<size_t> find_noun(std::span<const lexeme> words, std::string_view lemma) {
  std::optional<size_t> best;
  for (size_t i = 0; i < words.size(); ++i) {
    const lexeme& word = words[i];
    if (word.lemma != lemma) continue;
    if (std::find(word.classes.begin(), word.classes.end(), noun_class) == word.classes.end()) continue;
    if (!best || word.rank > words[*best].rank) best = i;
  }
  return best;
}

void add_special_articles(std::span<const lexeme> words, std::span<const special_text> specials,
                          const text_compressor& compressor, article_set& set) {
  for (const special_text& special : specials) {
    std::optional<size_t> noun = find_noun(words, special.word);
    if (noun) {
      PrefixMainText(special, compressor, set.articles[*noun]);
      set.specials.push_back(*noun);
    } else {
      set.specials.push_back(set.articles.size());
      set.articles.push_back(SpecialOnlyArticle(special, compressor));
    }
  }
}

article_set encode_articles(std::span<const lexeme> words, std::span<const special_text> specials) {
  text_compressor compressor;
  article_set set;
  std::vector<bool> sharing_nouns = NounsSharingTheirWord(words);
  for (size_t i = 0; i < words.size(); ++i) {
    if (sharing_nouns[i])
      set.articles.push_back(EncodeArticle(WithOwnKeysOnForms(words[i]), compressor));
    else
      set.articles.push_back(EncodeArticle(words[i], compressor));
  }
  std::vector<partner_verbs> pairs = FindPartnerVerbs(words);
  for (const partner_verbs& pair : pairs) AddAspectTexts(words, pair, compressor, set.articles);
  set.aspect_pairs = pairs.size();
  add_special_articles(words, specials, compressor, set);
  return set;
}

// The special articles first, then the lexemes by falling rank, input order
// among equals.
std::vector<size_t> priority_order(std::span<const lexeme> words, const article_set& set) {
  std::vector<size_t> order = set.specials;
  std::vector<size_t> rest(words.size());
  std::iota(rest.begin(), rest.end(), 0);
  std::erase_if(rest, [&](size_t i) { return std::count(set.specials.begin(), set.specials.end(), i) > 0; });
  std::stable_sort(rest.begin(), rest.end(), [&](size_t a, size_t b) { return words[a].rank > words[b].rank; });
  order.insert(order.end(), rest.begin(), rest.end());
  return order;
}

// Each article's distinct normalised texts, the way the engine compares them.
std::vector<std::vector<std::string>> normalised_texts(const std::vector<article>& articles) {
  std::vector<std::vector<std::string>> texts(articles.size());
  for (size_t i = 0; i < articles.size(); ++i) {
    for (const std::string& form : articles[i].forms) texts[i].push_back(NormalisedCp1251(form));
    std::sort(texts[i].begin(), texts[i].end());
    texts[i].erase(std::unique(texts[i].begin(), texts[i].end()), texts[i].end());
  }
  return texts;
}

// A number for each text that several articles have.
std::unordered_map<std::string_view, uint32_t> number_shared_texts(const std::vector<std::vector<std::string>>& texts) {
  std::unordered_map<std::string_view, size_t> holders;
  for (const std::vector<std::string>& article_texts : texts)
    for (const std::string& text : article_texts) ++holders[text];
  std::unordered_map<std::string_view, uint32_t> numbers;
  for (const auto& [text, count] : holders)
    if (count > 1) numbers.emplace(text, uint32_t(numbers.size()));
  return numbers;
}

// The keys of every text the engine can look up.
std::vector<std::vector<form_keys>> keys_of_forms(const std::vector<article>& articles, const ending_tables& tables) {
  std::vector<std::vector<std::string>> texts = normalised_texts(articles);
  std::unordered_map<std::string_view, uint32_t> shared = number_shared_texts(texts);
  std::vector<std::vector<form_keys>> keys(articles.size());
  for (size_t i = 0; i < articles.size(); ++i)
    for (const std::string& text : texts[i]) {
      if (!StartsLikeDictionaryWord(text)) continue;
      auto number = shared.find(text);
      keys[i].push_back({tables.NounKey(text), tables.VerbKey(text),
                         number == shared.end() ? unshared_text : number->second});
    }
  return keys;
}

void report_placement(const stem_placement& placement, const std::vector<article>& articles, build_report& report) {
  report.hash_entries = placement.entries.size();
  for (const auto& [key, listed] : placement.entries) report.full_keys += listed.size() == articles_per_key;
  for (const placement_loss& loss : placement.losses) {
    report.lost_pairs += loss.keys;
    report.lost_forms += loss.forms;
    if (report.lost_lemmas.size() < lost_lemmas_reported) report.lost_lemmas.push_back(articles[loss.article].lemma);
  }
}

}  // namespace

dictionary_build BuildDictionary(std::span<const lexeme> words, std::span<const special_text> specials,
                                 const ending_tables& tables) {
  article_set set = encode_articles(words, specials);
  stem_placement placement = PlaceArticles(keys_of_forms(set.articles, tables), priority_order(words, set));

  std::vector<size_t> sizes;
  for (const article& entry : set.articles) sizes.push_back(EncodedSize(entry));
  article_layout layout = LayOutArticles(sizes);

  dictionary_build build;
  build.image = WriteDictionaryImage(placement.entries, tables, set.articles, layout);
  build_report& report = build.report;
  report.articles = set.articles.size();
  report.file_bytes = build.image.size();
  report.granule = layout.granule;
  report.padding = layout.padding;
  report.aspect_pairs = set.aspect_pairs;
  report_placement(placement, set.articles, report);
  report.coverage = MeasureLookups(build.image, layout.numbers);
  return build;
}
