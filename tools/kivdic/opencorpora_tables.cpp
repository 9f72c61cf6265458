#include "opencorpora_tables.h"

#include <stdexcept>

#include "dictionary_text.h"
#include "opencorpora_file.h"
#include "opencorpora_json.h"

namespace {

constexpr std::string_view paradigms_file = "paradigms.array";

void CheckIds(byte_reader& in, const std::vector<uint16_t>& ids, size_t count, const char* kind) {
  for (uint16_t id : ids)
    if (id >= count) in.Fail(std::string("a paradigm names ") + kind + " " + std::to_string(id) + " of " +
                             std::to_string(count));
}

std::vector<uint16_t> ReadIds(byte_reader& in, size_t n) {
  std::vector<uint16_t> ids(n);
  for (uint16_t& id : ids) id = in.U16();
  return ids;
}

paradigm ParseParadigm(byte_reader& in, size_t suffix_count, size_t tag_count, size_t prefix_count) {
  uint16_t length = in.U16();
  if (length == 0 || length % 3 != 0) in.Fail("a paradigm length is not a positive multiple of 3");
  size_t n = length / 3;
  std::vector<uint16_t> suffixes = ReadIds(in, n);
  std::vector<uint16_t> tags = ReadIds(in, n);
  std::vector<uint16_t> prefixes = ReadIds(in, n);
  CheckIds(in, suffixes, suffix_count, "suffix");
  CheckIds(in, tags, tag_count, "tag");
  CheckIds(in, prefixes, prefix_count, "prefix");
  paradigm cells(n);
  for (size_t i = 0; i < n; ++i) cells[i] = {suffixes[i], tags[i], prefixes[i]};
  return cells;
}

std::vector<std::string> ToWindows1251(const std::vector<std::string>& texts) {
  std::vector<std::string> converted;
  converted.reserve(texts.size());
  for (const std::string& text : texts) converted.push_back(ToCp1251(text));
  return converted;
}

std::string Path(const std::string& dir, std::string_view file) { return dir + "/" + std::string(file); }

std::vector<std::string> ReadStringArrayFile(const std::string& path) {
  return ParseJsonStringArray(ReadFileBytes(path), path);
}

}  // namespace

std::vector<paradigm> ParseParadigms(std::string_view bytes, size_t suffix_count, size_t tag_count,
                                     size_t prefix_count) {
  byte_reader in(bytes, std::string(paradigms_file));
  uint16_t count = in.U16();
  std::vector<paradigm> paradigms;
  paradigms.reserve(count);
  for (uint16_t i = 0; i < count; ++i)
    paradigms.push_back(ParseParadigm(in, suffix_count, tag_count, prefix_count));
  if (in.Remaining() != 0) in.Fail("bytes follow the last paradigm");
  return paradigms;
}

opencorpora_tables ReadOpenCorporaTables(const std::string& dicts_dir) {
  opencorpora_tables tables;
  tables.suffixes = ToWindows1251(ReadStringArrayFile(Path(dicts_dir, "suffixes.json")));
  tables.tags = ReadStringArrayFile(Path(dicts_dir, "gramtab-opencorpora-int.json"));
  std::string meta_path = Path(dicts_dir, "meta.json");
  tables.prefixes = ToWindows1251(ParseJsonStringArrayAfter(ReadFileBytes(meta_path), "paradigm_prefixes", meta_path));
  std::string paradigms_path = Path(dicts_dir, paradigms_file);
  tables.paradigms = ParseParadigms(ReadFileBytes(paradigms_path), tables.suffixes.size(), tables.tags.size(),
                                    tables.prefixes.size());
  return tables;
}
