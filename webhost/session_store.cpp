#include "session_store.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "atomic_file.h"
#include "line_escape.h"
#include "text_edit.h"

namespace {

constexpr std::string_view title = "webkiv session 1\n";
constexpr std::string_view journal_mark = "journal\n";
constexpr std::string_view extension = ".session";

std::string line_value(std::u16string_view text) { return to_utf8(line_escaped(text)); }

bool read_field(std::string_view& rest, std::string_view name, std::string_view& value) {
  if (!rest.starts_with(name) || rest.size() <= name.size() || rest[name.size()] != '=') return false;
  size_t end = rest.find('\n');
  if (end == std::string_view::npos) return false;
  value = rest.substr(name.size() + 1, end - name.size() - 1);
  rest.remove_prefix(end + 1);
  return true;
}

std::string hexadecimal(std::string_view bytes) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char byte : bytes) {
    hex += digits[byte >> 4];
    hex += digits[byte & 15];
  }
  return hex;
}

}  // namespace

std::string session_store::Format(const web_session::kept_state& state) {
  std::string text(title);
  text += "cookie=" + line_value(state.cookie) + "\n";
  text += "folder=" + line_value(state.game_folder) + "\n";
  text += "game=" + line_value(state.game_path) + "\n";
  text += "location=" + line_value(state.location) + "\n";
  for (const std::u16string& entry : state.history) text += "history=" + to_utf8(entry) + "\n";
  text += journal_mark;
  text += to_utf8(state.journal);
  return text;
}

std::optional<web_session::kept_state> session_store::Parse(const std::string& bytes) {
  std::string_view rest(bytes);
  if (!rest.starts_with(title)) return std::nullopt;
  rest.remove_prefix(title.size());
  web_session::kept_state state;
  std::string_view cookie, folder, game, location, entry;
  if (!read_field(rest, "cookie", cookie) || !read_field(rest, "folder", folder) || !read_field(rest, "game", game) ||
      !read_field(rest, "location", location))
    return std::nullopt;
  std::optional<std::u16string> fields[] = {line_unescaped(from_utf8(cookie)), line_unescaped(from_utf8(folder)),
                                             line_unescaped(from_utf8(game)), line_unescaped(from_utf8(location))};
  for (const auto& read : fields)
    if (!read) return std::nullopt;
  state.cookie = *fields[0];
  state.game_folder = *fields[1];
  state.game_path = *fields[2];
  state.location = *fields[3];
  while (read_field(rest, "history", entry)) state.history.push_back(from_utf8(entry));
  if (!rest.starts_with(journal_mark) || state.cookie.empty() || state.game_path.empty()) return std::nullopt;
  rest.remove_prefix(journal_mark.size());
  state.journal = from_utf8(rest);
  return state;
}

std::string session_store::FileName(const std::u16string& cookie, const std::u16string& game_folder) const {
  return folder_ + hexadecimal(to_utf8(cookie)) + "-" + hexadecimal(to_utf8(game_folder)) + std::string(extension);
}

bool session_store::Keep(const web_session::kept_state& state) const {
  std::error_code error;
  std::filesystem::create_directories(folder_, error);
  return replace_file(FileName(state.cookie, state.game_folder), Format(state));
}

std::optional<web_session::kept_state> session_store::Find(const std::u16string& cookie,
                                                           const std::u16string& game_folder) const {
  std::ifstream file(FileName(cookie, game_folder), std::ios::binary);
  if (!file) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(file)), {});
  auto state = Parse(bytes);
  // A file under another session's name is not that session's.
  if (state && (state->cookie != cookie || state->game_folder != game_folder)) return std::nullopt;
  return state;
}

std::vector<web_session::kept_state> session_store::All() const {
  std::vector<web_session::kept_state> states;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(folder_, error)) {
    if (item.path().extension() != extension) continue;
    std::ifstream file(item.path(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), {});
    if (auto state = Parse(bytes)) states.push_back(std::move(*state));
  }
  return states;
}
