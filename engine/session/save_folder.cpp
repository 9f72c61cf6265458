#include "save_folder.h"

#include <algorithm>
#include <filesystem>

#include "atomic_file.h"
#include "codepage.h"
#include "log_file.h"

namespace {

constexpr const char* extension = ".sav";
const char* const utf8_mark = "\xEF\xBB\xBF";

bool is_letter_or_digit(char16_t unit) {
  return (unit >= u'0' && unit <= u'9') || (unit >= u'a' && unit <= u'z') || (unit >= u'а' && unit <= u'я') ||
         unit == u'ё';
}

std::string utf8(const wstring& text) { return encode_utf8(text.Text(), size_t(text.Length())); }

wstring from_utf8(const std::string& bytes) { return wstring(decode_utf8_replacing(bytes.data(), bytes.size()).c_str()); }

}  // namespace

save_folder::save_folder(const wstring& game_folder, const wstring& player) {
  wstring owner = SafeName(player);
  if (owner.IsEmpty()) owner = u"игрок";
  folder_ = utf8(disk_path(game_folder));
  if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
  folder_ += "saves/" + utf8(owner) + "/";
}

wstring save_folder::SafeName(const wstring& name) {
  wstring lower(name);
  lower.ToLower(true);
  std::u16string safe;
  for (int i = 0; i < lower.Length() && int(safe.size()) < max_name_length; ++i) {
    if (is_letter_or_digit(lower[i]))
      safe += lower[i];
    else if (!safe.empty() && safe.back() != u'-')
      safe += u'-';
  }
  while (!safe.empty() && safe.back() == u'-') safe.pop_back();
  return wstring(safe.c_str());
}

std::string save_folder::Path(const wstring& safe_name) const { return folder_ + utf8(safe_name) + extension; }

bool save_folder::Read(const wstring& safe_name, wstring& text) const {
  wstring path(from_utf8(Path(safe_name)));
  wstring error;
  return text.LoadFromFile(path.Text(), nullptr, error);
}

bool save_folder::Write(const wstring& safe_name, const wstring& text) const {
  std::error_code error;
  std::filesystem::create_directories(folder_, error);
  return replace_file(Path(safe_name), utf8_mark + utf8(text));
}

std::vector<wstring> save_folder::Names() const {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(folder_, error)) {
    std::string name = item.path().filename().string();
    if (name.size() > 4 && name.ends_with(extension)) files.push_back(name.substr(0, name.size() - 4));
  }
  std::sort(files.begin(), files.end());
  std::vector<wstring> names;
  for (const std::string& file : files) names.push_back(from_utf8(file));
  return names;
}
