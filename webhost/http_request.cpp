#include "http_request.h"

#include <vector>

#include "case_map.h"
#include "text_edit.h"
#include "wstring.h"

namespace {

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// The first "Cookie:" line decides; without "KIV2=" in it there is none.
std::u16string kiv_cookie(const std::vector<std::string_view>& lines) {
  for (size_t i = 1; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    if (line.find("Cookie:") == std::string_view::npos) continue;
    size_t start = line.find("KIV2=");
    if (start == std::string_view::npos) return {};
    std::string_view value = line.substr(start + 5);
    value = value.substr(0, value.find(';'));
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
    return from_ansi(value);
  }
  return {};
}

std::u16string url_decoded(const std::u16string& text) {
  wstring coded(text.c_str());
  const char16_t* decoded = coded.UrlDecode();
  return decoded ? decoded : u"";
}

}  // namespace

http_request parse_request(std::string_view head) {
  http_request request;
  std::vector<std::string_view> lines = split_lines(head);
  if (lines.empty()) return request;
  request.first_line = lines[0];
  size_t get = request.first_line.find("GET ");
  size_t version = request.first_line.find(" HTTP/1.1");
  if (get == std::string::npos || version == std::string::npos || version < get + 4) return request;
  request.valid = true;
  request.request_text = request.first_line.substr(get, version - get);
  // Lower-cased unit by unit, so a NUL in the URL stays there to be refused.
  std::u16string lowered = from_ansi(request.first_line.substr(get + 4, version - get - 4));
  for (char16_t& unit : lowered) unit = lower_case(unit);
  size_t question = lowered.find(u'?');
  request.path = lowered.substr(0, question);
  if (question != std::u16string::npos) request.query = lowered.substr(question + 1);
  if (starts_with(request.query, u"cmd=") || starts_with(request.query, u"site="))
    request.query = url_decoded(request.query);
  size_t last_slash = request.path.rfind(u'/');
  if (last_slash != std::u16string::npos) request.game_folder = request.path.substr(0, last_slash + 1);
  request.cookie = kiv_cookie(lines);
  return request;
}

bool http_request::IsUpdate() const { return starts_with(query, u"update"); }

bool http_request::IsUpdide() const { return starts_with(query, u"updide"); }

bool http_request::IsFolder() const { return path.empty() || path.back() == u'/'; }

bool http_request::IsGame() const { return path.ends_with(u".kiv"); }

bool http_request::SafePath() const {
  if (path.find(u'\0') != std::u16string::npos) return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of(u"/\\", start);
    if (end == std::u16string::npos) end = path.size();
    if (path.compare(start, end - start, u"..") == 0) return false;
    start = end + 1;
  }
  return true;
}
