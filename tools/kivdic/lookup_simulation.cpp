#include "lookup_simulation.h"

#include <algorithm>
#include <stdexcept>

#include "codepage.h"
#include "dictionary_layout.h"
#include "dictionary_text.h"
#include "stem_placement.h"

namespace {

constexpr size_t entry_count_offset = 12;
constexpr size_t noun_table_offset_offset = 16;
constexpr size_t area_offset_offset = 20;
constexpr size_t granule_offset = 24;
constexpr size_t max_forms = 255;

[[noreturn]] void damaged(const std::string& what) { throw std::runtime_error("damaged dictionary image: " + what); }

}  // namespace

bool StartsLikeDictionaryWord(std::string_view cp1251_word) {
  size_t first = cp1251_word.find_first_not_of("@$");
  if (first == std::string_view::npos) return false;
  char16_t c = decode_windows1251(cp1251_word.data() + first, 1)[0];
  return c >= 0x0400 && c <= 0x0451;
}

lookup_simulation::lookup_simulation(std::string_view image) : image_(image) {
  if (image.size() < dictionary_header_size || image.substr(0, dictionary_version.size() + 1) !=
                                                     std::string(dictionary_version) + std::string(1, '\0'))
    damaged("no header of version " + std::string(dictionary_version));
  entry_count_ = ReadUint32(entry_count_offset);
  area_offset_ = ReadUint32(area_offset_offset);
  granule_ = ReadUint32(granule_offset);
  if (dictionary_header_size + uint64_t(entry_count_) * hash_entry_size > image.size()) damaged("hash table");
  ReadEndingTables(ReadUint32(noun_table_offset_offset));
}

uint32_t lookup_simulation::ReadUint32(size_t offset) const {
  if (offset + 4 > image_.size()) damaged("number beyond the end");
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(image_[offset + i]);
  return value;
}

uint16_t lookup_simulation::ReadUint16(size_t offset) const {
  if (offset + 2 > image_.size()) damaged("number beyond the end");
  return uint16_t(static_cast<unsigned char>(image_[offset]) | static_cast<unsigned char>(image_[offset + 1]) << 8);
}

std::string_view lookup_simulation::ReadString(size_t& offset) const {
  size_t end = image_.find('\0', offset);
  if (end == std::string_view::npos) damaged("text without its end");
  std::string_view text = image_.substr(offset, end - offset);
  offset = end + 1;
  return text;
}

void lookup_simulation::ReadEndingTables(uint32_t noun_table_offset) {
  size_t offset = dictionary_header_size + size_t(entry_count_) * hash_entry_size;
  for (std::string_view ending = ReadString(offset); !ending.empty(); ending = ReadString(offset))
    verb_rules_.push_back({ending, ReadString(offset)});
  offset = noun_table_offset;
  for (std::string_view ending = ReadString(offset); !ending.empty(); ending = ReadString(offset)) {
    noun_endings_.push_back(ending);
    ++offset;  // the unread byte
  }
}

std::optional<size_t> lookup_simulation::FindEntry(uint16_t key) const {
  size_t low = 0;
  size_t high = entry_count_;
  while (low < high) {
    size_t middle = (low + high) / 2;
    uint16_t found = ReadUint16(dictionary_header_size + middle * hash_entry_size);
    if (found == key) return dictionary_header_size + middle * hash_entry_size;
    if (found < key)
      low = middle + 1;
    else
      high = middle;
  }
  return std::nullopt;
}

std::vector<std::string_view> lookup_simulation::Forms(uint16_t number) const {
  size_t offset = area_offset_ + size_t(number) * granule_;
  std::vector<std::string_view> forms;
  while (offset < image_.size() && image_[offset] != ';') {
    size_t end = image_.find(';', offset);
    if (end == std::string_view::npos || forms.size() == max_forms) damaged("form list of article " + std::to_string(number));
    forms.push_back(image_.substr(offset, end - offset));
    offset = end + 1;
  }
  if (offset >= image_.size()) damaged("form list of article " + std::to_string(number));
  return forms;
}

bool lookup_simulation::HasForm(uint16_t number, std::string_view word) {
  auto [cached, added] = normalised_forms_.try_emplace(number);
  std::vector<std::string>& forms = cached->second;
  if (added) {
    for (std::string_view form : Forms(number)) forms.push_back(NormalisedCp1251(form));
    std::sort(forms.begin(), forms.end());
  }
  return std::binary_search(forms.begin(), forms.end(), word);
}

std::optional<uint16_t> lookup_simulation::FindArticle(std::string_view word) {
  if (!StartsLikeDictionaryWord(word)) return std::nullopt;
  word.remove_prefix(word.find_first_not_of("@$"));
  for (uint16_t key : {NounStemKey(word, noun_endings_), VerbStemKey(word, verb_rules_)}) {
    std::optional<size_t> entry = FindEntry(key);
    if (!entry) continue;
    for (size_t slot = 0; slot < articles_per_key; ++slot) {
      uint16_t number = ReadUint16(*entry + 2 + slot * 2);
      if (number == no_article) break;
      if (HasForm(number, word)) return number;
    }
  }
  return std::nullopt;
}
