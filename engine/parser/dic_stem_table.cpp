// The stem hash table: fixed 8-byte entries sorted by key, searched in
// place by binary search.

#include "dic_stem_table.h"

#include "dic_cursor.h"
#include "dic_loader.h"

namespace {

constexpr int articles_per_entry = 3;
constexpr uint16_t no_article = 0xFFFF;

uint64_t entry_offset(uint32_t index) {
  return dic_loader::header_size + uint64_t(index) * dic_loader::hash_entry_size;
}

// Entries are searched only where they lie wholly inside the image.
uint16_t entry_key(const dic_loader& dic, uint32_t index) {
  uint16_t key = 0;
  dic_cursor(dic.Image(), entry_offset(index)).ReadWord(key);
  return key;
}

// The first and last entries are compared first, as most keys that miss lie
// outside the table's range.
bool find_entry(const dic_loader& dic, uint16_t key, uint32_t& found) {
  const uint32_t count = dic.HashEntries();
  if (count == 0 || key < entry_key(dic, 0) || key > entry_key(dic, count - 1)) return false;
  if (entry_key(dic, 0) == key) {
    found = 0;
    return true;
  }
  uint32_t lo = 0, hi = count - 1;
  if (entry_key(dic, hi) == key) {
    found = hi;
    return true;
  }
  while (lo + 1 < hi) {
    uint32_t mid = lo + (hi - lo) / 2;
    uint16_t at = entry_key(dic, mid);
    if (at == key) {
      found = mid;
      return true;
    }
    (at < key ? lo : hi) = mid;
  }
  return false;
}

}  // namespace

std::vector<uint16_t> FindStemArticles(const dic_loader& dic, uint16_t key) {
  std::vector<uint16_t> articles;
  uint32_t index;
  if (!find_entry(dic, key, index)) return articles;
  dic_cursor cursor(dic.Image(), entry_offset(index) + 2);
  uint16_t article;
  for (int i = 0; i < articles_per_entry && cursor.ReadWord(article) && article != no_article; ++i)
    articles.push_back(article);
  return articles;
}
