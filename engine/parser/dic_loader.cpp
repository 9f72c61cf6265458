// Loading the dictionary file: the mapping, the header and the two ending
// tables. Nothing else of the file is checked here; damage shows up when
// an article is read.

#include "dic_loader.h"

#include <algorithm>

#include "codepage.h"
#include "dic_cursor.h"
#include "message_box.h"
#include "wstring.h"

namespace {

const char16_t* const load_caption = u"Ошибка загрузки словаря";

constexpr size_t version_field = 8;

void show_load_error(const wstring& text) { show_message_box(text.Text(), load_caption); }

wstring from_1251(std::string_view bytes) { return wstring(decode_windows1251(bytes.data(), bytes.size()).c_str()); }

}  // namespace

bool dic_loader::Load(const char* path) {
  Unload();
  if (!MapImage(path)) return false;
  std::string_view version_bytes = Image().substr(0, version_field);
  header_.version = std::string(version_bytes.substr(0, version_bytes.find('\0')));
  if (header_.version != required_version) {
    wstring message(u"версия словаря ");
    message += from_1251(header_.version);
    message += u" не соответствует требуемой версии ";
    message += from_1251(required_version);
    show_load_error(message);
    Unload();
    return false;
  }
  ReadHeader();
  return true;
}

bool dic_loader::MapImage(const char* path) {
  switch (image_.Map(path)) {
    case mapped_file::outcome::mapped:
      return true;
    case mapped_file::outcome::not_found:
      show_load_error(u"файл словаря kiv.dic не найден!");
      return false;
    case mapped_file::outcome::unreadable:
      show_load_error(u"Не удалось прочитать файл kiv.dic!");
      return false;
  }
  return false;
}

void dic_loader::Unload() {
  image_.Unmap();
  header_ = dic_header();
  hash_entries_ = 0;
  verb_rules_.clear();
  noun_endings_.clear();
}

// Header numbers beyond a short image read as 0; hash entries that would
// run off the image are not searched.
void dic_loader::ReadHeader() {
  std::string_view image = Image();
  header_.hash_entries = read_dic_number(image, 12);
  header_.noun_endings = read_dic_number(image, 16);
  header_.articles = read_dic_number(image, 20);
  header_.granule = read_dic_number(image, 24);
  uint64_t room = image.size() > header_size ? (image.size() - header_size) / hash_entry_size : 0;
  hash_entries_ = static_cast<uint32_t>(std::min<uint64_t>(header_.hash_entries, room));
  ReadVerbRules(header_size + uint64_t(header_.hash_entries) * hash_entry_size);
  ReadNounEndings(header_.noun_endings);
}

// Rules up to the empty ending; a rule that runs off the image ends the
// table there.
void dic_loader::ReadVerbRules(uint64_t at) {
  dic_cursor cursor(Image(), at);
  verb_ending_rule rule;
  while (cursor.ReadText(rule.ending) && !rule.ending.empty() && cursor.ReadText(rule.replacement))
    verb_rules_.push_back(rule);
}

// Each ending is followed by one byte the lookup does not read.
void dic_loader::ReadNounEndings(uint64_t at) {
  dic_cursor cursor(Image(), at);
  std::string_view ending;
  while (cursor.ReadText(ending) && !ending.empty()) {
    noun_endings_.push_back(ending);
    cursor = dic_cursor(Image(), cursor.Offset() + 1);
  }
}
