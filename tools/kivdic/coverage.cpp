#include "coverage.h"

#include <algorithm>
#include <iomanip>
#include <unordered_map>

#include "dictionary_text.h"
#include "lookup_simulation.h"

namespace {

constexpr size_t missed_examples = 20;

using sharers_by_text = std::unordered_map<std::string, std::vector<uint16_t>>;

// Each article's distinct normalised texts, and which articles hold each.
sharers_by_text collect_texts(lookup_simulation& simulation, std::span<const uint16_t> numbers) {
  sharers_by_text sharers;
  for (uint16_t number : numbers)
    for (std::string_view form : simulation.Forms(number)) {
      std::vector<uint16_t>& holders = sharers[NormalisedCp1251(form)];
      if (holders.empty() || holders.back() != number) holders.push_back(number);
    }
  return sharers;
}

// A text held by several articles can only find the first of them.
bool resolves(const std::vector<uint16_t>& holders, std::optional<uint16_t> found, uint16_t own) {
  if (!found) return false;
  return *found == own || (holders.size() > 1 && std::count(holders.begin(), holders.end(), *found) > 0);
}

void count_lookup(bool shared, bool resolved, lookup_coverage& coverage) {
  ++coverage.lookups;
  coverage.resolved += resolved;
  coverage.shared_lookups += shared;
  coverage.shared_resolved += shared && resolved;
}

double percent(size_t part, size_t whole) { return whole == 0 ? 100.0 : 100.0 * double(part) / double(whole); }

}  // namespace

lookup_coverage MeasureLookups(std::string_view image, std::span<const uint16_t> article_numbers) {
  lookup_simulation simulation(image);
  sharers_by_text sharers = collect_texts(simulation, article_numbers);
  lookup_coverage coverage;
  coverage.distinct_texts = sharers.size();
  for (const auto& [text, holders] : sharers)
    for (uint16_t own : holders) {
      bool resolved = resolves(holders, simulation.FindArticle(text), own);
      count_lookup(holders.size() > 1, resolved, coverage);
      if (!resolved && coverage.missed.size() < missed_examples) coverage.missed.push_back(Cp1251ToUtf8(text));
    }
  return coverage;
}

void PrintBuildReport(std::ostream& out, const build_report& report) {
  const lookup_coverage& coverage = report.coverage;
  out << std::fixed << std::setprecision(3);
  out << "articles: " << report.articles << "\n";
  out << "distinct form texts: " << coverage.distinct_texts << " (" << coverage.lookups
      << " counted per article)\n";
  out << "file bytes: " << report.file_bytes << "\n";
  out << "granule: " << report.granule << " (padding " << report.padding << " bytes)\n";
  out << "hash entries: " << report.hash_entries << ", keys at three articles: " << report.full_keys << "\n";
  out << "aspect pairs: " << report.aspect_pairs << "\n";
  out << "(key, article) pairs lost to overflow: " << report.lost_pairs << " (" << report.lost_forms
      << " form texts)\n";
  if (!report.lost_lemmas.empty()) {
    out << "most useful lexemes that lost forms:";
    for (const std::string& lemma : report.lost_lemmas) out << " " << lemma;
    out << "\n";
  }
  out << "lookups resolved: " << coverage.resolved << " of " << coverage.lookups << " ("
      << percent(coverage.resolved, coverage.lookups) << "%)\n";
  out << "  of them texts shared by several articles: " << coverage.shared_resolved << " of "
      << coverage.shared_lookups << "\n";
  if (!coverage.missed.empty()) {
    out << "first texts not resolved:";
    for (const std::string& text : coverage.missed) out << " " << text;
    out << "\n";
  }
}
