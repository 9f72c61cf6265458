#include "lexeme_forms.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "dictionary_text.h"

namespace {

constexpr std::string_view variant_letter = "с";
// Markers that tell apart the texts of one key: a rare spelling, then counted.
constexpr std::string_view variant_markers[] = {"У", "2", "3", "4", "5", "6", "7", "8", "9"};

// The key without its variant pair, which comes last in a key.
std::string_view WithoutVariant(std::string_view key) {
  if (!key.ends_with(variant_letter)) return key;
  key.remove_suffix(variant_letter.size());
  size_t marker = key.size() - 1;
  while (marker > 0 && (static_cast<unsigned char>(key[marker]) & 0xC0) == 0x80) --marker;
  return key.substr(0, marker);
}

struct form_list {
  std::vector<word_form> forms;
  std::vector<int> priorities;
  std::unordered_set<std::string> seen;                  // text, tab, key
  std::unordered_map<std::string, std::string> holders;  // key -> its text

  void Add(std::string text, const tag_meaning& meaning) {
    std::optional<std::string> key = DistinctKey(text, meaning.form_key);
    if (!key || !seen.insert(text + "\t" + *key).second) return;
    holders.emplace(*key, text);
    forms.push_back({std::move(text), std::move(*key)});
    priorities.push_back(meaning.cut_priority);
  }

  // A word keeps one text per key, so a later text under a held key becomes
  // a variant of it; none when every variant is taken.
  std::optional<std::string> DistinctKey(const std::string& text, const std::string& key) const {
    auto free_for_text = [&](const std::string& candidate) {
      auto held = holders.find(candidate);
      return held == holders.end() || held->second == text;
    };
    if (free_for_text(key)) return key;
    const std::string base(WithoutVariant(key));
    for (std::string_view marker : variant_markers) {
      std::string candidate = base + std::string(marker) + std::string(variant_letter);
      if (candidate != key && free_for_text(candidate)) return candidate;
    }
    return std::nullopt;
  }
};

void CountLeftOut(form_exclusion exclusion, form_counts& counts) {
  if (exclusion == form_exclusion::vocative) ++counts.vocative;
  if (exclusion == form_exclusion::unwanted_kind) ++counts.unwanted_kind;
  if (exclusion == form_exclusion::superlative) ++counts.superlative;
}

void AddForms(const opencorpora_source& source, const source_lexeme& lexeme, form_list& list, form_counts& counts) {
  size_t cells = source.CellCount(lexeme);
  for (size_t cell = 0; cell < cells; ++cell) {
    const tag_meaning& meaning = source.Meaning(lexeme, cell);
    if (meaning.exclusion != form_exclusion::none) {
      CountLeftOut(meaning.exclusion, counts);
      continue;
    }
    list.Add(Cp1251ToUtf8(source.Form(lexeme, cell)), meaning);
  }
}

// Merged homonyms keep only what they agree on.
void SetNounKeys(const opencorpora_source& source, const lexeme_candidate& candidate, lexeme& out) {
  for (size_t i = 0; i < candidate.sources.size(); ++i) {
    const tag_meaning& meaning = source.Meaning(source.lexemes[candidate.sources[i]], 0);
    if (i == 0) {
      out.own_key = meaning.noun_key;
      out.default_key = meaning.default_key;
      continue;
    }
    out.own_key = CommonKeyPairs(out.own_key, meaning.noun_key);
    if (out.default_key != meaning.default_key) out.default_key.clear();
  }
}

// A text stays as long as its most important form does.
std::unordered_map<std::string, int> TextPriorities(const std::vector<word_form>& forms,
                                                    const std::vector<int>& priorities) {
  std::unordered_map<std::string, int> text_priority;
  for (size_t i = 0; i < forms.size(); ++i) {
    int priority = priorities[i] == 0 ? INT_MAX : priorities[i];
    auto [found, added] = text_priority.try_emplace(forms[i].text, priority);
    if (!added) found->second = std::max(found->second, priority);
  }
  return text_priority;
}

// Distinct texts in the order they first appear.
std::vector<std::string> TextsInOrder(const std::vector<word_form>& forms) {
  std::vector<std::string> texts;
  std::unordered_set<std::string> seen;
  for (const word_form& form : forms)
    if (seen.insert(form.text).second) texts.push_back(form.text);
  return texts;
}

}  // namespace

size_t CutToTextLimit(std::vector<word_form>& forms, const std::vector<int>& priorities, size_t limit) {
  std::vector<std::string> texts = TextsInOrder(forms);
  if (texts.size() <= limit) return 0;
  std::unordered_map<std::string, int> text_priority = TextPriorities(forms, priorities);
  // Texts to drop come first: lowest priority, and of equal ones the later.
  std::vector<size_t> order(texts.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = order.size() - 1 - i;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return text_priority[texts[a]] < text_priority[texts[b]]; });
  std::unordered_set<std::string> dropped;
  for (size_t i = 0; i < order.size() && texts.size() - dropped.size() > limit; ++i)
    if (order[i] != 0) dropped.insert(texts[order[i]]);  // the lemma's text stays
  size_t before = forms.size();
  std::erase_if(forms, [&](const word_form& form) { return dropped.count(form.text) != 0; });
  return before - forms.size();
}

lexeme BuildLexeme(const opencorpora_source& source, const lexeme_candidate& candidate, form_counts& counts) {
  lexeme out;
  out.lemma = candidate.lemma;
  out.classes = candidate.Classes();
  out.rank = candidate.rank;
  form_list list;
  for (size_t index : candidate.sources) AddForms(source, source.lexemes[index], list, counts);
  if (candidate.pos == part_of_speech::noun) SetNounKeys(source, candidate, out);
  if (candidate.pos == part_of_speech::verb)
    out.own_key = VerbOwnKey(candidate.lemma, candidate.perfective, candidate.imperfective);
  size_t cut = CutToTextLimit(list.forms, list.priorities, max_form_texts);
  if (cut > 0) {
    counts.cut += cut;
    ++counts.lexemes_cut;
  }
  out.forms = std::move(list.forms);
  counts.kept += out.forms.size();
  return out;
}
