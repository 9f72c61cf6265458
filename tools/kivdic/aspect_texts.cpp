#include "aspect_texts.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>

#include "codepage.h"
#include "dictionary_text.h"

namespace {

// The marker of the aspect letter in the own keys ("С" or "Н"), empty for a
// verb of both aspects or a word that is no verb. A key text is a run of
// (marker, letter) pairs.
std::string aspect_marker(const lexeme& word) {
  std::u16string keys = decode_utf8_replacing(word.own_key.data(), word.own_key.size());
  for (size_t letter = 1; letter < keys.size(); letter += 2) {
    if (keys[letter] != u'ш') continue;
    if (keys[letter - 1] == u'С') return "С";
    if (keys[letter - 1] == u'Н') return "Н";
  }
  return {};
}

using verbs_by_lemma = std::unordered_multimap<std::string_view, size_t>;

verbs_by_lemma index_aspect_verbs(std::span<const lexeme> words) {
  verbs_by_lemma verbs;
  for (size_t i = 0; i < words.size(); ++i)
    if (!aspect_marker(words[i]).empty()) verbs.emplace(words[i].lemma, i);
  return verbs;
}

// The partner of verb i: a verb of the other aspect named by its
// aspect_partner, preferring one that names verb i back.
std::optional<size_t> find_partner(std::span<const lexeme> words, const verbs_by_lemma& verbs, size_t i) {
  const lexeme& verb = words[i];
  std::optional<size_t> partner;
  auto [begin, end] = verbs.equal_range(verb.aspect_partner);
  for (auto it = begin; it != end; ++it) {
    const lexeme& candidate = words[it->second];
    if (aspect_marker(candidate) == aspect_marker(verb)) continue;
    if (candidate.aspect_partner == verb.lemma) return it->second;
    if (!partner) partner = it->second;
  }
  return partner;
}

std::string infinitive_declaration(const lexeme& word, const lexeme& other) {
  return "$" + word.lemma + " {\n#ИвПф" + aspect_marker(other) + "ш = \"" + other.lemma + "\"\n}";
}

std::string pair_text(const lexeme& own, const lexeme& other) {
  return infinitive_declaration(own, other) + "\n" + infinitive_declaration(other, own);
}

}  // namespace

std::vector<partner_verbs> FindPartnerVerbs(std::span<const lexeme> words) {
  verbs_by_lemma verbs = index_aspect_verbs(words);
  std::set<std::pair<size_t, size_t>> seen;
  std::vector<partner_verbs> pairs;
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i].aspect_partner.empty() || aspect_marker(words[i]).empty()) continue;
    std::optional<size_t> partner = find_partner(words, verbs, i);
    if (!partner || !seen.insert(std::minmax(i, *partner)).second) continue;
    pairs.push_back({i, *partner});
  }
  return pairs;
}

void AddAspectTexts(std::span<const lexeme> words, partner_verbs pair, const text_compressor& compressor,
                    std::span<article> articles) {
  const lexeme& first = words[pair.first];
  const lexeme& second = words[pair.second];
  articles[pair.first].tagged_texts.push_back({pair.second, compressor.Compress(ToCp1251(pair_text(first, second)))});
  articles[pair.second].tagged_texts.push_back({pair.first, compressor.Compress(ToCp1251(pair_text(second, first)))});
}
