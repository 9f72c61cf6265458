#include "opencorpora_corpus.h"

#include <algorithm>
#include <unordered_map>

#include "opencorpora_dawg.h"

namespace {

constexpr uint64_t million = 1000000;
// Multiples of the smallest fraction tried before giving up on a word.
constexpr uint64_t largest_smallest_count = 2000;

std::string CountKey(std::string_view form, uint16_t tag) {
  std::string key(form);
  key.push_back('\x01');
  key.push_back(static_cast<char>(tag >> 8));
  key.push_back(static_cast<char>(tag & 0xFF));
  return key;
}

// Counts out of `total` that truncate to the millionths, or empty.
std::vector<uint32_t> CountsOutOf(const std::vector<uint32_t>& millionths, uint64_t total) {
  std::vector<uint32_t> counts;
  for (uint32_t p : millionths) {
    // The largest count whose fraction stays below p + 2 millionths.
    uint64_t count = ((p + 2) * total - 1) / million;
    uint64_t truncated = count * million / total;
    if (truncated < p || truncated > p + 1) return {};
    counts.push_back(static_cast<uint32_t>(count));
  }
  return counts;
}

}  // namespace

std::vector<uint32_t> CountsFromMillionths(const std::vector<uint32_t>& millionths) {
  if (millionths.empty()) return {};
  uint64_t smallest = *std::min_element(millionths.begin(), millionths.end());
  if (smallest == 0) return {};
  // The smallest count k has k / total just above `smallest` millionths,
  // which bounds the total for each k.
  for (uint64_t k = 1; k <= largest_smallest_count; ++k) {
    uint64_t low = k * million / (smallest + 2) + 1;
    uint64_t high = k * million / smallest;
    for (uint64_t total = low; total <= high; ++total) {
      std::vector<uint32_t> counts = CountsOutOf(millionths, total);
      if (!counts.empty()) return counts;
    }
  }
  return {};
}

corpus_counts::corpus_counts(const dawg& probabilities, const std::vector<std::string>& tags) {
  std::unordered_map<std::string_view, uint16_t> tag_ids;
  for (size_t i = 0; i < tags.size(); ++i) tag_ids.emplace(tags[i], static_cast<uint16_t>(i));
  // Keys come sorted, so the tags of one form are neighbours.
  std::string form;
  std::vector<uint16_t> form_tags;
  std::vector<uint32_t> form_millionths;
  probabilities.ForEachKey([&](std::string_view key, uint32_t value) {
    size_t colon = key.rfind(':');
    if (colon == std::string_view::npos) return;
    std::string_view key_form = key.substr(0, colon);
    if (key_form != form) {
      AddWord(form, form_tags, form_millionths);
      form.assign(key_form);
      form_tags.clear();
      form_millionths.clear();
    }
    auto tag = tag_ids.find(key.substr(colon + 1));
    if (tag == tag_ids.end()) return;
    form_tags.push_back(tag->second);
    form_millionths.push_back(value);
  });
  AddWord(form, form_tags, form_millionths);
}

void corpus_counts::AddWord(std::string_view form, const std::vector<uint16_t>& tags,
                            const std::vector<uint32_t>& millionths) {
  std::vector<uint32_t> counts = CountsFromMillionths(millionths);
  for (size_t i = 0; i < counts.size(); ++i) {
    // Smoothing added one to every tag.
    if (counts[i] <= 1) continue;
    counts_[CountKey(form, tags[i])] = counts[i] - 1;
  }
}

uint32_t corpus_counts::Count(std::string_view form, uint16_t tag) const {
  auto found = counts_.find(CountKey(form, tag));
  return found == counts_.end() ? 0 : found->second;
}
