#include "aspect_pairs.h"

#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

#include "codepage.h"
#include "opencorpora_file.h"
#include "opencorpora_tags.h"

namespace {

// An imperfective ending that replaces a perfective one on the same stem.
struct derivation {
  std::u16string_view perfective_ending;
  std::u16string_view imperfective_ending;
  std::u16string_view stem_ends;  // the stem must end in one of these letters; empty: any
  bool o_to_a;                    // the stem's last vowel о becomes а (осмотреть → осматривать)
};

constexpr std::u16string_view hushing = u"жшчщ";
constexpr std::u16string_view velar_or_hushing = u"гкхжшчщ";
constexpr std::u16string_view vowels = u"аеёиоуыэюя";
// Roots without a vowel (драть, брать, рвать, звать, врать, жрать) form
// their imperfectives otherwise: надрать → надирать, not надрывать.
constexpr std::u16string_view vowelless_roots[] = {u"др", u"бр", u"рв", u"зв", u"вр", u"жр"};

const std::vector<derivation> derivations = {
    {u"ыть", u"ывать", u"", false},            // открыть → открывать
    {u"ить", u"ать", hushing, false},          // включить → включать
    {u"ить", u"ять", u"бвдзлмнпрстф", false},  // проверить → проверять
    {u"ить", u"ивать", u"", false},            // убить → убивать
    {u"ать", u"ывать", u"", false},            // показать → показывать
    {u"ать", u"ивать", velar_or_hushing, false},
    {u"еть", u"евать", u"", false},            // надеть → надевать
    {u"ереть", u"ирать", u"", false},          // отпереть → отпирать
    {u"ать", u"авать", u"д", false},           // отдать → отдавать
    {u"нать", u"навать", u"з", false},         // узнать → узнавать
    {u"тать", u"тавать", u"с", false},         // встать → вставать
    {u"ать", u"ывать", u"", true},             // заработать → зарабатывать
    {u"ать", u"ивать", velar_or_hushing, true},
    {u"ить", u"ивать", u"", true},             // закончить → заканчивать
    {u"еть", u"ивать", u"", true},             // осмотреть → осматривать
};

bool EndsWith(std::u16string_view text, std::u16string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::u16string ToUtf16(const std::string& utf8) { return decode_utf8_replacing(utf8.data(), utf8.size()); }
std::string ToUtf8(const std::u16string& text) { return encode_utf8(text.data(), text.size()); }

// False when the stem has no vowel or its last vowel is not о.
bool OToA(std::u16string& stem) {
  size_t last_vowel = stem.find_last_of(vowels);
  if (last_vowel == std::u16string::npos || stem[last_vowel] != u'о') return false;
  stem[last_vowel] = u'а';
  return true;
}

bool HasVowellessRoot(std::u16string_view stem) {
  for (std::u16string_view root : vowelless_roots)
    if (EndsWith(stem, root)) return true;
  return false;
}

bool Derive(const derivation& rule, std::u16string_view verb, std::u16string& derived) {
  if (!EndsWith(verb, rule.perfective_ending)) return false;
  std::u16string stem(verb.substr(0, verb.size() - rule.perfective_ending.size()));
  if (stem.empty() || HasVowellessRoot(stem)) return false;
  if (!rule.stem_ends.empty() && rule.stem_ends.find(stem.back()) == std::u16string_view::npos) return false;
  if (rule.o_to_a && !OToA(stem)) return false;
  derived = stem + std::u16string(rule.imperfective_ending);
  return true;
}

bool HasClass(const lexeme& word, std::string_view name) {
  for (const std::string& c : word.classes)
    if (c == name) return true;
  return false;
}

// Verbs of one aspect without a partner, by lemma.
std::map<std::string, lexeme*> FreeVerbs(std::vector<lexeme>& lexemes, std::string_view aspect_class) {
  std::map<std::string, lexeme*> verbs;
  for (lexeme& word : lexemes)
    if (word.classes.size() == 1 && HasClass(word, aspect_class) && word.aspect_partner.empty())
      verbs.emplace(word.lemma, &word);
  return verbs;
}

bool Pair(lexeme* perfective, lexeme* imperfective) {
  if (!perfective->aspect_partner.empty() || !imperfective->aspect_partner.empty()) return false;
  perfective->aspect_partner = imperfective->lemma;
  imperfective->aspect_partner = perfective->lemma;
  return true;
}

// По- on an imperfective mostly makes a perfective of a short while
// (читать → почитать), and the -ывать verb made from that is no partner
// (почитывать).
bool IsShortWhileVerb(const std::string& perfective, const std::set<std::string>& imperfectives) {
  constexpr std::string_view po = "по";
  return perfective.starts_with(po) && imperfectives.count(perfective.substr(po.size())) != 0;
}

std::set<std::string> ImperfectiveLemmas(const std::vector<lexeme>& lexemes) {
  std::set<std::string> lemmas;
  for (const lexeme& word : lexemes)
    if (HasClass(word, imperfective_verb_class)) lemmas.insert(word.lemma);
  return lemmas;
}

lexeme* Find(const std::map<std::string, lexeme*>& verbs, const std::string& lemma) {
  auto found = verbs.find(lemma);
  return found == verbs.end() ? nullptr : found->second;
}

}  // namespace

std::vector<aspect_pair> ParseAspectPairs(std::string_view text, const std::string& what) {
  std::vector<aspect_pair> pairs;
  std::istringstream lines{std::string(text)};
  std::string line;
  for (size_t number = 1; std::getline(lines, line); ++number) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::vector<std::string> fields;
    for (std::string word; words >> word;) fields.push_back(word);
    if (fields.empty()) continue;
    if (fields.size() != 2)
      throw std::runtime_error(what + ", line " + std::to_string(number) + ": expected a perfective and an imperfective verb");
    pairs.push_back({fields[0], fields[1]});
  }
  return pairs;
}

std::vector<aspect_pair> ReadAspectPairsFile(const std::string& path) { return ParseAspectPairs(ReadFileBytes(path), path); }

std::vector<std::string> DerivedImperfectives(const std::string& perfective) {
  std::u16string verb = ToUtf16(perfective);
  std::u16string reflexive;
  if (EndsWith(verb, u"ся") || EndsWith(verb, u"сь")) {
    reflexive = u"ся";
    verb.resize(verb.size() - 2);
  }
  std::vector<std::string> derived;
  for (const derivation& rule : derivations) {
    std::u16string imperfective;
    if (Derive(rule, verb, imperfective)) derived.push_back(ToUtf8(imperfective + reflexive));
  }
  return derived;
}

size_t PairAspects(std::vector<lexeme>& lexemes, const std::vector<aspect_pair>& hand_pairs) {
  std::map<std::string, lexeme*> perfectives = FreeVerbs(lexemes, perfective_verb_class);
  std::map<std::string, lexeme*> imperfectives = FreeVerbs(lexemes, imperfective_verb_class);
  size_t made = 0;
  for (const aspect_pair& pair : hand_pairs) {
    lexeme* perfective = Find(perfectives, pair.perfective);
    lexeme* imperfective = Find(imperfectives, pair.imperfective);
    if (perfective && imperfective && Pair(perfective, imperfective)) ++made;
  }
  // Derived pairs are made only where the derivation is unambiguous both ways.
  std::map<lexeme*, std::vector<lexeme*>> claims;  // imperfective: perfectives deriving it
  std::map<lexeme*, std::vector<lexeme*>> derived_from;
  std::set<std::string> all_imperfectives = ImperfectiveLemmas(lexemes);
  for (const auto& [lemma, perfective] : perfectives) {
    if (!perfective->aspect_partner.empty() || IsShortWhileVerb(lemma, all_imperfectives)) continue;
    for (const std::string& candidate : DerivedImperfectives(lemma)) {
      lexeme* imperfective = Find(imperfectives, candidate);
      if (!imperfective || !imperfective->aspect_partner.empty()) continue;
      derived_from[perfective].push_back(imperfective);
      claims[imperfective].push_back(perfective);
    }
  }
  for (const auto& [perfective, found] : derived_from)
    if (found.size() == 1 && claims[found.front()].size() == 1 && Pair(perfective, found.front())) ++made;
  return made;
}
