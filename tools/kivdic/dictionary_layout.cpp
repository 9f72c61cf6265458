#include "dictionary_layout.h"

#include <algorithm>
#include <stdexcept>

#include "stem_placement.h"

namespace {

uint64_t granules(size_t size, uint64_t granule) { return (size + granule - 1) / granule; }

// The number the last article would get with this granule.
uint64_t last_start(std::span<const size_t> sizes, uint64_t granule) {
  uint64_t start = 0;
  for (size_t i = 0; i + 1 < sizes.size(); ++i) start += granules(sizes[i], granule);
  return start;
}

uint32_t smallest_granule(std::span<const size_t> sizes) {
  if (sizes.size() > size_t(max_article_number) + 1)
    throw std::length_error(std::to_string(sizes.size()) + " articles, more than 16-bit article numbers allow");
  uint64_t low = 1;
  uint64_t high = std::max<uint64_t>(1, *std::max_element(sizes.begin(), sizes.end()));
  while (low < high) {
    uint64_t middle = (low + high) / 2;
    if (last_start(sizes, middle) <= max_article_number)
      high = middle;
    else
      low = middle + 1;
  }
  return uint32_t(low);
}

void append_uint32(std::string& out, uint64_t value) {
  if (value > UINT32_MAX) throw std::length_error("dictionary larger than 32-bit offsets allow");
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void append_header(std::string& out, size_t entry_count, size_t noun_table_offset, size_t area_offset,
                   uint32_t granule) {
  std::string version(dictionary_version);
  version.resize(8, '\0');
  out += version;
  append_uint32(out, 0);  // not read
  append_uint32(out, entry_count);
  append_uint32(out, noun_table_offset);
  append_uint32(out, area_offset);
  append_uint32(out, granule);
}

void append_entries(std::string& out, const std::map<uint16_t, std::vector<size_t>>& entries,
                    std::span<const uint16_t> numbers) {
  for (const auto& [key, articles] : entries) {
    if (articles.size() > articles_per_key) throw std::logic_error("hash entry with more than three articles");
    AppendUint16(out, key);
    for (size_t slot = 0; slot < articles_per_key; ++slot)
      AppendUint16(out, slot < articles.size() ? numbers[articles[slot]] : no_article);
  }
}

void append_articles(std::string& out, std::span<const article> articles, const article_layout& layout) {
  const size_t area = out.size();
  for (size_t i = 0; i < articles.size(); ++i) {
    out.resize(area + uint64_t(layout.numbers[i]) * layout.granule, '\0');
    AppendEncodedArticle(articles[i], layout.numbers, out);
  }
}

}  // namespace

article_layout LayOutArticles(std::span<const size_t> sizes) {
  article_layout layout;
  if (sizes.empty()) return layout;
  layout.granule = smallest_granule(sizes);
  uint64_t start = 0;
  for (size_t i = 0; i < sizes.size(); ++i) {
    layout.numbers.push_back(uint16_t(start));
    if (i + 1 == sizes.size()) break;  // nothing follows the last article
    uint64_t units = granules(sizes[i], layout.granule);
    layout.padding += units * layout.granule - sizes[i];
    start += units;
  }
  layout.area_size = start * layout.granule + sizes.back();
  return layout;
}

std::string WriteDictionaryImage(const std::map<uint16_t, std::vector<size_t>>& entries, const ending_tables& tables,
                                 std::span<const article> articles, const article_layout& layout) {
  const std::string verb_table = tables.VerbTableBytes();
  const std::string noun_table = tables.NounTableBytes();
  const size_t noun_table_offset = dictionary_header_size + entries.size() * hash_entry_size + verb_table.size();
  const size_t area_offset = noun_table_offset + noun_table.size();
  std::string image;
  image.reserve(area_offset + layout.area_size);
  append_header(image, entries.size(), noun_table_offset, area_offset, layout.granule);
  append_entries(image, entries, layout.numbers);
  image += verb_table;
  image += noun_table;
  append_articles(image, articles, layout);
  return image;
}
