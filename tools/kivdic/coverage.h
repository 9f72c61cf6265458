#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// What the written file lets the engine find, and the report the builder
// prints.

struct lookup_coverage {
  size_t distinct_texts = 0;   // distinct normalised form texts in the whole file
  size_t lookups = 0;          // distinct normalised form texts, summed over articles
  size_t resolved = 0;         // lookups answered with their own article
  size_t shared_lookups = 0;   // lookups of texts that several articles hold
  size_t shared_resolved = 0;  // of those, answered with one of those articles
  std::vector<std::string> missed;  // the first texts not resolved, UTF-8
};

// Runs the engine's lookup on the image for every distinct form text of
// every article. A text held by several articles counts as resolved when
// any of them is found, since only one of them can come first.
lookup_coverage MeasureLookups(std::string_view image, std::span<const uint16_t> article_numbers);

struct build_report {
  size_t articles = 0;
  size_t file_bytes = 0;
  uint32_t granule = 0;
  uint64_t padding = 0;
  size_t hash_entries = 0;
  size_t full_keys = 0;  // keys listing three articles
  size_t lost_pairs = 0;  // (key, article) pairs that found no room
  size_t lost_forms = 0;
  std::vector<std::string> lost_lemmas;  // the most useful first, at most 20
  size_t aspect_pairs = 0;
  lookup_coverage coverage;
};

void PrintBuildReport(std::ostream& out, const build_report& report);
