#include "log_file.h"

#include "world_log.h"

wstring disk_path(const wstring& name) {
  wstring path(name);
  path.Replace(u'\\', u"/");
  return path;
}

static bool ends_with_separator(const wstring& path) {
  char16_t last = path[path.Length() - 1];
  return last == u'\\' || last == u'/';
}

wstring log_path(const wstring& base_folder, const char16_t* relative_name) {
  wstring path(base_folder);
  if (!path.IsEmpty() && !ends_with_separator(path)) path += u'\\';
  path += relative_name;
  return disk_path(path);
}

void append_to_log(const wstring& base_folder, const char16_t* relative_name, const wstring& text) {
  append_log_file(log_path(base_folder, relative_name), text);
}
