#include "content_types.h"

namespace {

constexpr const char* no_cache = "no-cache, no-store, must-revalidate";
constexpr const char* one_day = "max-age=86400, must-revalidate";

constexpr content_type table[] = {
    {u".htm", "text/html; charset=UTF-8", no_cache, true, true},
    {u".html", "text/html; charset=UTF-8", no_cache, true, true},
    {u".js", "application/javascript", one_day, true, false},
    {u".css", "text/css", one_day, true, false},
    {u".txt", "text/plain", no_cache, false, false},
    {u".gif", "image/gif", one_day, false, false},
    {u".jpg", "image/jpg", one_day, false, false},
    {u".png", "image/png", one_day, false, false},
    {u".ico", "image/x-icon", one_day, false, false},
    {u".ttf", "application/font-ttf", one_day, false, false},
    {u".woff", "application/font-woff", one_day, false, false},
    {u".eot", "application/vnd.ms-fontobject", one_day, false, false},
    {u".otf", "application/font-otf", one_day, false, false},
    {u".wav", "audio/vnd.wave", one_day, false, false},
    {u".mp3", "audio/mpeg", one_day, false, false},
};

}  // namespace

const content_type* find_content_type(std::u16string_view path) {
  for (const content_type& row : table)
    if (path.ends_with(row.extension)) return &row;
  return nullptr;
}
