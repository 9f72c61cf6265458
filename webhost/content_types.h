#pragma once

#include <string_view>

// One row of the extension table: what a file is sent as.
struct content_type {
  std::u16string_view extension;
  const char* type;
  const char* cache_control;
  bool text;          // decoded as text and sent as UTF-8
  bool placeholders;  // "[gamelist]" and "[location]" are filled in
};

// The first row whose extension ends the (lower-case) path; null when none
// does.
const content_type* find_content_type(std::u16string_view path);
