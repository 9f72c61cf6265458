#include "catalogue.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "text_edit.h"
#include "wstring.h"

namespace {

// The comment marks are removed; a line is a heading only when it had one
// and keeps some text besides, with no blanks at its ends.
bool comment_text(std::u16string& line) {
  line = trimmed(line);
  bool comment = replace_all(line, u"//", u"") > 0;
  line = trimmed(line);
  return comment && !line.empty();
}

bool is_game_file(const std::string& name) { return name.size() > 4 && name.ends_with(".kiv"); }

}  // namespace

void catalogue::Scan(const std::string& folder, server_log& log) {
  log.Add(u"ищем игры в каталоге " + from_utf8(folder) + u"\r\n");
  items_.clear();
  html_.clear();
  ScanFolder(folder, 0);
  BuildHtml();
}

void catalogue::ScanFolder(const std::string& folder, int depth) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  std::vector<std::string> games, folders;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name.empty() || name[0] == '.') continue;
    struct stat status {};
    // Symbolic links are not followed, so no link can lead the scan round.
    if (lstat((folder + name).c_str(), &status) != 0) continue;
    if (S_ISDIR(status.st_mode))
      folders.push_back(name);
    else if (S_ISREG(status.st_mode) && is_game_file(name))
      games.push_back(name);
  }
  closedir(dir);
  std::sort(games.begin(), games.end());
  std::sort(folders.begin(), folders.end());
  for (const std::string& name : games) {
    game_item item;
    if (!ReadHeader(folder + name, item.group, item.title)) continue;
    item.address = Address(folder, folder + name);
    Add(std::move(item));
  }
  if (depth == max_depth) return;
  for (const std::string& name : folders) ScanFolder(folder + name + "/", depth + 1);
}

bool catalogue::ReadHeader(const std::string& game_file, std::u16string& group, std::u16string& title) {
  wstring text, error;
  std::u16string name = from_utf8(game_file);
  // Read whole and cut after decoding: a byte limit could fall inside a
  // UTF-8 letter and spoil the decoding of the whole head.
  if (!text.LoadFromFile(name.c_str(), nullptr, error)) return false;
  std::u16string head(text.Text(), size_t(std::min(text.Length(), header_bytes)));
  for (std::u16string_view tag : {u"\r", u"<clear>", u"<pause>", u"<location>", u"</location>"})
    replace_all(head, tag, u"");
  size_t line_end = head.find(u'\n');
  group = head.substr(0, line_end);
  title.clear();
  if (line_end != std::u16string::npos) title = head.substr(line_end + 1, head.find(u'\n', line_end + 1) - line_end - 1);
  return comment_text(group) && comment_text(title);
}

std::u16string catalogue::Address(const std::string& folder, const std::string& game_file) const {
  struct stat status {};
  std::string index = folder + "index.html";
  std::string file = stat(index.c_str(), &status) == 0 && S_ISREG(status.st_mode) ? index : game_file;
  if (file.starts_with(site_root_)) file.erase(0, site_root_.size());
  std::u16string address = u"/" + from_utf8(file);
  replace_all(address, u"\\", u"/");
  while (replace_all(address, u"//", u"/") > 0) {}
  return address;
}

void catalogue::Add(game_item item) {
  auto before = [](const game_item& a, const game_item& b) {
    return a.group != b.group ? a.group < b.group : a.title < b.title;
  };
  auto place = std::lower_bound(items_.begin(), items_.end(), item, before);
  if (place != items_.end() && place->group == item.group && place->title == item.title) return;
  items_.insert(place, std::move(item));
}

void catalogue::BuildHtml() {
  if (items_.empty()) {
    html_ = u"Игры не найдены.";
    return;
  }
  const std::u16string* group = nullptr;
  for (const game_item& item : items_) {
    if (!group || *group != item.group) {
      if (group) html_ += u"</ul>";
      html_ += u"\n" + item.group + u"<ul>";
      group = &item.group;
    }
    html_ += u"<li><a href='" + item.address + u"' target='_parent'>" + item.title + u"</a></li>";
  }
  html_ += u"</ul>";
}
