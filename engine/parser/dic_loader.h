#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "mapped_file.h"
#include "stem_key.h"

// What the header of the dictionary file says.
struct dic_header {
  std::string version;      // 8-bit, up to its NUL within the first 8 bytes
  uint32_t hash_entries = 0;
  uint32_t noun_endings = 0;  // offset of the noun ending table
  uint32_t articles = 0;      // offset of the article area
  uint32_t granule = 0;       // bytes one unit of an article number stands for
};

// The morphological dictionary "kiv.dic", mapped into memory and used in
// place: loading reads the header and the ending tables, and a lookup only
// the pages of the entries and articles it visits. The engine holds one for
// the process; it is read-only once loaded. A load that fails leaves it
// empty, and every lookup then finds nothing.
class dic_loader {
 public:
  static constexpr const char* default_file = "kiv.dic";
  static constexpr std::string_view required_version = "2.a.5.3";
  static constexpr uint64_t header_size = 28;
  static constexpr uint64_t hash_entry_size = 8;

  dic_loader() = default;
  // Loads the file at once, as the engine does at library start.
  explicit dic_loader(const char* path) { Load(path); }
  // The ending tables are views into the image, which must not move.
  dic_loader(const dic_loader&) = delete;
  dic_loader& operator=(const dic_loader&) = delete;

  // Maps the file and reads its header; a failure is shown in a message box
  // and leaves the dictionary empty.
  bool Load(const char* path);
  // Unmaps the image and empties the record.
  void Unload();

  bool Loaded() const { return !Image().empty(); }
  // Every read of the file goes through this view, bounded by its size.
  std::string_view Image() const { return image_.Bytes(); }
  const dic_header& Header() const { return header_; }
  // The stem hash entries that lie wholly inside the image.
  uint32_t HashEntries() const { return hash_entries_; }
  std::span<const verb_ending_rule> VerbRules() const { return verb_rules_; }
  std::span<const std::string_view> NounEndings() const { return noun_endings_; }

  uint16_t NounKey(std::string_view word) const { return NounStemKey(word, noun_endings_); }
  uint16_t VerbKey(std::string_view word) const { return VerbStemKey(word, verb_rules_); }

 private:
  bool MapImage(const char* path);
  void ReadHeader();
  void ReadVerbRules(uint64_t at);
  void ReadNounEndings(uint64_t at);

  mapped_file image_;
  dic_header header_;
  uint32_t hash_entries_ = 0;
  std::vector<verb_ending_rule> verb_rules_;
  std::vector<std::string_view> noun_endings_;
};
