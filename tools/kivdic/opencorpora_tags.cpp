#include "opencorpora_tags.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

struct parsed_tag {
  std::vector<std::string_view> lexeme;  // the part of speech first
  std::vector<std::string_view> form;

  bool Has(std::string_view grammeme) const { return InLexeme(grammeme) || InForm(grammeme); }
  bool InLexeme(std::string_view grammeme) const {
    return std::find(lexeme.begin(), lexeme.end(), grammeme) != lexeme.end();
  }
  bool InForm(std::string_view grammeme) const { return std::find(form.begin(), form.end(), grammeme) != form.end(); }
  std::string_view Pos() const { return lexeme.empty() ? std::string_view() : lexeme.front(); }
};

std::vector<std::string_view> SplitGrammemes(std::string_view part) {
  std::vector<std::string_view> grammemes;
  while (!part.empty()) {
    size_t comma = part.find(',');
    std::string_view grammeme = part.substr(0, comma);
    if (!grammeme.empty()) grammemes.push_back(grammeme);
    if (comma == std::string_view::npos) break;
    part.remove_prefix(comma + 1);
  }
  return grammemes;
}

parsed_tag ParseTag(std::string_view tag) {
  size_t blank = tag.find(' ');
  parsed_tag parsed;
  parsed.lexeme = SplitGrammemes(tag.substr(0, blank));
  if (blank != std::string_view::npos) parsed.form = SplitGrammemes(tag.substr(blank + 1));
  return parsed;
}

using marker_table = std::vector<std::pair<std::string_view, std::string_view>>;  // grammeme, marker

// The marker of the first table row whose grammeme the tag has, or none.
std::string_view MarkerOf(const parsed_tag& tag, const marker_table& table) {
  for (const auto& [grammeme, marker] : table)
    if (tag.Has(grammeme)) return marker;
  return {};
}

void AppendKey(std::string& key, std::string_view marker, std::string_view letter) {
  if (marker.empty()) return;
  key += marker;
  key += letter;
}

const marker_table case_markers = {{"nomn", "И"}, {"gent", "Р"}, {"gen1", "Р"}, {"gen2", "Р"},
                                   {"datv", "Д"}, {"accs", "В"}, {"acc2", "В"}, {"ablt", "Т"},
                                   {"loct", "П"}, {"loc1", "П"}, {"loc2", "П"}};
const marker_table number_markers = {{"sing", "Е"}, {"plur", "М"}};
const marker_table gender_markers = {{"masc", "М"}, {"femn", "Ж"}, {"neut", "С"}};
const marker_table animacy_markers = {{"anim", "О"}, {"inan", "Н"}};
// An inclusive imperative ("пойдём") speaks for the first person.
const marker_table person_markers = {{"1per", "1"}, {"2per", "2"}, {"3per", "3"}, {"incl", "1"}, {"excl", "2"}};
const marker_table voice_markers = {{"actv", "Д"}, {"pssv", "С"}};
const marker_table tense_markers = {{"pres", "Н"}, {"past", "П"}, {"futr", "Б"}};
const marker_table form_markers = {{"INFN", "П"}, {"VERB", "П"}, {"ADJF", "Л"}, {"PRTF", "Л"}, {"ADJS", "К"},
                                   {"PRTS", "К"}, {"COMP", "С"}, {"ADVB", "1"}, {"PRED", "1"},
                                   {"CONJ", "Н"}, {"PRCL", "Н"}, {"INTJ", "Н"}};
// A partitive or locative is a case of its own; the rest are rare spellings.
const marker_table variant_markers = {{"gen2", "Ч"}, {"loc2", "М"}, {"V-oy", "У"}, {"V-ey", "У"},
                                      {"V-ej", "У"}, {"V-be", "У"}, {"V-en", "У"}, {"V-ie", "У"},
                                      {"V-bi", "У"}, {"V-sh", "У"}, {"Cmp2", "У"}, {"Infr", "У"},
                                      {"Arch", "У"}};

// Common gender ("сирота") takes no gender key, so it agrees with either.
bool HasCommonGender(const parsed_tag& tag) { return tag.Has("Ms-f") || tag.Has("ms-f"); }

std::string_view VerbFormMarker(const parsed_tag& tag) {
  std::string_view pos = tag.Pos();
  if (pos == "INFN") return "И";
  if (pos == "VERB") return tag.Has("impr") ? "П" : tag.Has("indc") ? "Н" : "";
  if (pos == "PRTF" || pos == "PRTS") return "Ч";
  if (pos == "GRND") return "Д";
  return {};
}

// Variants come from the form's grammemes only: a whole word marked informal
// or archaic is ranked lower instead.
std::string_view VariantMarker(const parsed_tag& tag) {
  parsed_tag form_only{{}, tag.form};
  return MarkerOf(form_only, variant_markers);
}

std::string FormKey(const parsed_tag& tag, bool noun) {
  std::string key;
  AppendKey(key, MarkerOf(tag, case_markers), "п");
  AppendKey(key, MarkerOf(tag, number_markers), "ч");
  if (!noun && !HasCommonGender(tag)) AppendKey(key, MarkerOf(tag, gender_markers), "р");
  if (!noun) AppendKey(key, MarkerOf(tag, animacy_markers), "д");
  AppendKey(key, MarkerOf(tag, person_markers), "л");
  AppendKey(key, VerbFormMarker(tag), "в");
  AppendKey(key, MarkerOf(tag, tense_markers), "т");
  AppendKey(key, MarkerOf(tag, voice_markers), "з");
  AppendKey(key, MarkerOf(tag, form_markers), "ф");
  AppendKey(key, VariantMarker(tag), "с");
  return key;
}

std::string NounKey(const parsed_tag& tag) {
  std::string key;
  if (!HasCommonGender(tag)) AppendKey(key, MarkerOf(tag, gender_markers), "р");
  AppendKey(key, MarkerOf(tag, animacy_markers), "д");
  return key;
}

std::string DefaultKey(const parsed_tag& tag) {
  if (tag.InLexeme("Pltm")) return "Мч";
  if (tag.InLexeme("Sgtm")) return "Еч";
  return {};
}

part_of_speech PartOfSpeech(std::string_view pos) {
  static const std::array<std::pair<std::string_view, part_of_speech>, 17> parts = {{
      {"NOUN", part_of_speech::noun},          {"ADJF", part_of_speech::adjective},
      {"ADJS", part_of_speech::adjective},     {"COMP", part_of_speech::adjective},
      {"INFN", part_of_speech::verb},          {"VERB", part_of_speech::verb},
      {"PRTF", part_of_speech::verb},          {"PRTS", part_of_speech::verb},
      {"GRND", part_of_speech::verb},          {"ADVB", part_of_speech::adverb},
      {"PRED", part_of_speech::predicative},   {"NPRO", part_of_speech::pronoun},
      {"NUMR", part_of_speech::numeral},       {"CONJ", part_of_speech::conjunction},
      {"PRCL", part_of_speech::particle},      {"INTJ", part_of_speech::interjection},
      {"PREP", part_of_speech::preposition},
  }};
  for (const auto& [name, part] : parts)
    if (name == pos) return part;
  return part_of_speech::other;
}

bool IsClosedClass(part_of_speech pos, const parsed_tag& tag) {
  switch (pos) {
    case part_of_speech::pronoun:
    case part_of_speech::predicative:
    case part_of_speech::numeral:
    case part_of_speech::conjunction:
    case part_of_speech::particle:
    case part_of_speech::interjection:
      return true;
    case part_of_speech::adjective:
      return tag.InLexeme("Apro");
    default:
      return false;
  }
}

form_exclusion ExclusionOf(const parsed_tag& tag) {
  static constexpr std::array<std::string_view, 7> unwanted = {"Surn", "Orgn", "Trad", "Abbr",
                                                               "Erro", "Dist", "Init"};
  for (std::string_view grammeme : unwanted)
    if (tag.Has(grammeme)) return form_exclusion::unwanted_kind;
  if (tag.Has("voct")) return form_exclusion::vocative;
  if (tag.Has("Supr")) return form_exclusion::superlative;
  return form_exclusion::none;
}

proper_name ProperNameOf(const parsed_tag& tag) {
  if (tag.InLexeme("Name")) return proper_name::first_name;
  if (tag.InLexeme("Patr")) return proper_name::patronymic;
  if (tag.InLexeme("Geox")) return proper_name::place;
  return proper_name::none;
}

// Rarer participle forms go first: plural before singular, then by case.
int ParticipleRarity(const parsed_tag& tag) {
  static constexpr std::array<std::string_view, 6> cases_rarest_first = {"loct", "datv", "ablt",
                                                                         "gent", "accs", "nomn"};
  int number = tag.Has("plur") ? 0 : 1;
  int case_rank = 0;
  for (size_t i = 0; i < cases_rarest_first.size(); ++i)
    if (tag.Has(cases_rarest_first[i])) case_rank = static_cast<int>(i);
  return number * static_cast<int>(cases_rarest_first.size()) + case_rank;
}

int CutPriority(const parsed_tag& tag, std::string_view variant) {
  if (variant == "У") return 1;
  std::string_view pos = tag.Pos();
  if (pos == "PRTS") return 2;
  if (pos == "PRTF" && tag.Has("pssv")) return 3;
  if (pos == "PRTF") return 4 + ParticipleRarity(tag);
  return 0;
}

aspect AspectOf(const parsed_tag& tag) {
  if (tag.InLexeme("perf")) return aspect::perfective;
  if (tag.InLexeme("impf")) return aspect::imperfective;
  return aspect::none;
}

bool IsRareLexeme(const parsed_tag& tag) {
  return tag.InLexeme("Infr") || tag.InLexeme("Slng") || tag.InLexeme("Arch");
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// A key text as its pairs of marker and letter, each two UTF-8 characters.
std::vector<std::string_view> KeyPairs(std::string_view key) {
  auto char_length = [](unsigned char lead) { return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4; };
  std::vector<std::string_view> pairs;
  size_t start = 0;
  while (start < key.size()) {
    size_t end = start;
    for (int i = 0; i < 2 && end < key.size(); ++i) end += char_length(static_cast<unsigned char>(key[end]));
    end = std::min(end, key.size());
    pairs.push_back(key.substr(start, end - start));
    start = end;
  }
  return pairs;
}

// The letter of a pair of marker and letter, e.g. "п" of "Ип".
std::string_view KeyLetter(std::string_view pair) {
  size_t marker = 1;
  while (marker < pair.size() && (static_cast<unsigned char>(pair[marker]) & 0xC0) == 0x80) ++marker;
  return pair.substr(marker);
}

// Where a letter comes in a form key; letters of no table come last.
size_t KeyLetterPlace(std::string_view letter) {
  static constexpr std::array<std::string_view, 10> letters = {"п", "ч", "р", "д", "л", "в", "т", "з", "ф", "с"};
  return size_t(std::find(letters.begin(), letters.end(), letter) - letters.begin());
}

}  // namespace

tag_meaning InterpretTag(std::string_view text) {
  parsed_tag tag = ParseTag(text);
  tag_meaning meaning;
  meaning.pos = PartOfSpeech(tag.Pos());
  bool noun = meaning.pos == part_of_speech::noun;
  meaning.verb_aspect = AspectOf(tag);
  meaning.exclusion = ExclusionOf(tag);
  meaning.name = ProperNameOf(tag);
  meaning.form_key = FormKey(tag, noun);
  if (noun) {
    meaning.noun_key = NounKey(tag);
    meaning.default_key = DefaultKey(tag);
  }
  meaning.ordinal = tag.InLexeme("Anum");
  meaning.closed_class = IsClosedClass(meaning.pos, tag);
  meaning.rare_lexeme = IsRareLexeme(tag);
  meaning.cut_priority = CutPriority(tag, VariantMarker(tag));
  return meaning;
}

std::vector<std::string> ClassesOf(part_of_speech pos, bool perfective, bool imperfective) {
  switch (pos) {
    case part_of_speech::noun: return {std::string(noun_class)};
    case part_of_speech::adjective: return {"@прилагательное"};
    case part_of_speech::verb: {
      std::vector<std::string> classes;
      if (perfective) classes.emplace_back(perfective_verb_class);
      if (imperfective) classes.emplace_back(imperfective_verb_class);
      return classes;
    }
    case part_of_speech::adverb: return {"@наречие"};
    case part_of_speech::predicative: return {"@предикатив"};
    case part_of_speech::pronoun: return {"@местоимение"};
    case part_of_speech::numeral: return {"@числительное"};
    case part_of_speech::conjunction: return {"@союз"};
    case part_of_speech::particle: return {"@частица"};
    case part_of_speech::interjection: return {"@междометие"};
    default: return {};
  }
}

std::string VerbOwnKey(std::string_view lemma, bool perfective, bool imperfective) {
  std::string key;
  if (perfective != imperfective) key = perfective ? "Сш" : "Нш";
  if (EndsWith(lemma, "ся") || EndsWith(lemma, "сь")) key += "Вз";
  return key;
}

std::string CommonKeyPairs(std::string_view a, std::string_view b) {
  std::vector<std::string_view> in_b = KeyPairs(b);
  std::string common;
  for (std::string_view pair : KeyPairs(a))
    if (std::find(in_b.begin(), in_b.end(), pair) != in_b.end()) common += pair;
  return common;
}

std::string WithKeyPairs(std::string_view key, std::string_view added) {
  std::vector<std::string_view> pairs = KeyPairs(key);
  for (std::string_view pair : KeyPairs(added)) {
    std::string_view letter = KeyLetter(pair);
    auto has_letter = [&](std::string_view held) { return KeyLetter(held) == letter; };
    if (std::any_of(pairs.begin(), pairs.end(), has_letter)) continue;
    auto comes_later = [&](std::string_view held) { return KeyLetterPlace(KeyLetter(held)) > KeyLetterPlace(letter); };
    pairs.insert(std::find_if(pairs.begin(), pairs.end(), comes_later), pair);
  }
  std::string result;
  for (std::string_view pair : pairs) result += pair;
  return result;
}
