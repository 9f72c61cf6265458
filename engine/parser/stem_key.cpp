// Stem keys: the file's ending tables fold the forms of one lexeme onto a
// few 16-bit keys.

#include "stem_key.h"

#include <string>

namespace {

// "с", "т", "р", "а", "н" and the other letters below are code page 1251 bytes.
constexpr std::string_view cp1251_str = "\xF1\xF2\xF0";   // стр
constexpr std::string_view cp1251_ran = "\xF0\xE0\xED";   // ран
constexpr std::string_view cp1251_nen = "\xED\xE5\xED";   // нен
constexpr std::string_view cp1251_n = "\xED";             // н
constexpr std::string_view cp1251_sya = "\xF1\xFF";       // ся
constexpr std::string_view cp1251_sy = "\xF1\xFC";        // сь
constexpr std::string_view cp1251_soft = "\xFC";          // ь
constexpr std::string_view cp1251_ya = "\xFF";            // я
constexpr std::string_view cp1251_s = "\xF1";             // с

// Endings whose vowel drops in other forms (день/дня, отец/отца).
constexpr std::string_view fleeting_endings[] = {
    "\xE5\xEA", "\xE5\xEB", "\xE5\xED", "\xE5\xF6", "\xEE\xEB",  // ек ел ен ец ол
    "\xEE\xED", "\xEE\xEA", "\xFC\xEA", "\xFC\xED",              // он ок ьк ьн
};
// вгджзклмнпрстшч
constexpr std::string_view fleeting_vowel_neighbours =
    "\xE2\xE3\xE4\xE6\xE7\xEA\xEB\xEC\xED\xEF\xF0\xF1\xF2\xF8\xF7";

// Stem alternations of Russian verbs (беру/брать, зову/звать, пишу/писать).
constexpr verb_ending_rule stem_alternations[] = {
    {"\xE0\xF7\xED", "\xE0\xF7"},      // ачн -> ач
    {"\xE1\xE5\xF0", "\xE1\xF0"},      // бер -> бр
    {"\xE1\xE5\xE6", "\xE1\xE5\xE3"},  // беж -> бег
    {"\xE1\xF3\xE6", "\xE1\xF3\xE4"},  // буж -> буд
    {"\xE2\xE5\xE4", "\xE2"},          // вед -> в
    {"\xE3\xEE\xED", "\xE3\xED"},      // гон -> гн
    {"\xE4\xE5\xED", "\xE4\xE5\xEB"},  // ден -> дел
    {"\xE4\xE5\xF0", "\xE4\xF0"},      // дер -> др
    {"\xE7\xEE\xE2", "\xE7\xE2"},      // зов -> зв
    {"\xEA\xEB\xFF", "\xEA\xEB\xFF\xED"},  // кля -> клян
    {"\xEB\xFF\xE3", "\xEB\xE5\xE3"},  // ляг -> лег
    {"\xEC\xE5\xF7", "\xEC\xE5\xF2"},  // меч -> мет
    {"\xED\xE8\xEC", "\xED"},          // ним -> н
    {"\xEF\xE8\xF8", "\xEF\xE8\xF1"},  // пиш -> пис
    {"\xF2\xE7\xE2", "\xF2\xEE\xE7\xE2"},  // тзв -> тозв
    {"\xF2\xFB\xED", "\xF2"},          // тын -> т
    {"\xF2\xFB\xF9", "\xF2\xFB\xF1\xEA"},  // тыщ -> тыск
    {"\xF7\xE5\xE2", "\xF7"},          // чев -> ч
    {"\xF7\xF3\xF7", "\xF7\xF3\xF2"},  // чуч -> чут
    {"\xE0\xE6\xEC", "\xE0\xE6"},      // ажм -> аж
    {"\xEE\xE6\xEC", "\xEE\xE6"},      // ожм -> ож
    {"\xE8\xE6\xEC", "\xE8\xE6"},      // ижм -> иж
    {"\xF3\xE6\xEC", "\xF3\xE6"},      // ужм -> уж
    {"\xE5\xE6\xEC", "\xE5\xE6"},      // ежм -> еж
};

size_t minimum_stem_length(std::string_view word) {
  return word.starts_with(cp1251_str) || word.starts_with(cp1251_ran) ? 4 : 3;
}

std::string collapse_repeats(std::string_view text) {
  std::string result;
  for (char c : text)
    if (result.empty() || result.back() != c) result += c;
  return result;
}

void drop_fleeting_vowel(std::string& stem) {
  if (stem.size() <= 5) return;
  for (std::string_view ending : fleeting_endings) {
    if (!std::string_view(stem).ends_with(ending)) continue;
    size_t vowel = stem.size() - ending.size();
    if (fleeting_vowel_neighbours.find(stem[vowel - 1]) != std::string_view::npos) stem.erase(vowel, 1);
    return;
  }
}

void apply_stem_alternations(std::string& stem) {
  for (const verb_ending_rule& rule : stem_alternations) {
    if (stem.size() < 3) continue;
    if (std::string_view(stem).substr(stem.size() - 3) == rule.ending)
      stem.replace(stem.size() - 3, 3, rule.replacement);
  }
}

// The verb stem by the first fitting rule of the table; reflexive tells how
// many letters of "ся"/"сь" are still to be accounted for afterwards.
std::string verb_stem(std::string_view word, std::span<const verb_ending_rule> rules, size_t& reflexive) {
  size_t minimum = minimum_stem_length(word);
  const char stem_end = word.size() > reflexive ? word[word.size() - reflexive - 1] : '\0';
  for (const verb_ending_rule& rule : rules) {
    // A rule fits only an ending that ends as the word does, before "ся" or
    // after it; the table is long, so the others are passed over at once.
    const bool ends_alike = rule.ending.empty() || rule.ending.back() == stem_end ||
                            (reflexive != 0 && rule.ending.back() == word.back());
    if (!ends_alike) continue;
    const size_t covered = rule.ending.size() + reflexive;
    if (word.size() >= covered) {
      size_t p = word.size() - covered;
      if (rule.replacement.size() + p >= minimum && word.substr(p, rule.ending.size()) == rule.ending)
        return std::string(word.substr(0, p)) + std::string(rule.replacement);
    }
    if (reflexive == 0) continue;
    if (rule.ending == cp1251_soft || rule.ending == cp1251_ya) continue;
    if (word.size() < rule.ending.size()) continue;
    size_t q = word.size() - rule.ending.size();
    if (rule.replacement.size() + q >= minimum && word.ends_with(rule.ending)) {
      reflexive = 0;
      return std::string(word.substr(0, q)) + std::string(rule.replacement);
    }
  }
  return std::string(word.substr(0, word.size() - reflexive));
}

}  // namespace

uint16_t StemHash(std::string_view text, uint16_t seed) {
  uint16_t h = seed;
  for (char c : text) {
    uint16_t t = static_cast<uint16_t>((static_cast<signed char>(c) + 32) ^ 0x19);
    int rotation = (t & 0x16) ? 5 : (t & 0x08) ? 4 : (t & 0x04) ? 3 : 2;
    h = static_cast<uint16_t>((h << rotation) | (h >> (16 - rotation)));
    h ^= t;
  }
  return h;
}

uint16_t NounStemKey(std::string_view word, std::span<const std::string_view> noun_endings) {
  size_t minimum = minimum_stem_length(word);
  std::string_view stem = word;
  for (std::string_view ending : noun_endings) {
    if (word.size() >= ending.size() + minimum && word.ends_with(ending)) {
      stem = word.substr(0, word.size() - ending.size());
      break;
    }
  }
  std::string folded = collapse_repeats(stem);
  if (folded.size() > 6 && std::string_view(folded).ends_with(cp1251_nen))
    folded.replace(folded.size() - 3, 3, cp1251_n);
  drop_fleeting_vowel(folded);
  return StemHash(collapse_repeats(folded), noun_key_seed);
}

uint16_t VerbStemKey(std::string_view word, std::span<const verb_ending_rule> verb_rules) {
  size_t reflexive = word.size() > 3 && (word.ends_with(cp1251_sya) || word.ends_with(cp1251_sy)) ? 2 : 0;
  std::string stem = verb_stem(word, verb_rules, reflexive);
  apply_stem_alternations(stem);
  if (reflexive != 0) stem += cp1251_s;
  return StemHash(stem, verb_key_seed);
}
