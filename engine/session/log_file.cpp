#include "log_file.h"

#include <sys/stat.h>

#include <cstdio>

wstring disk_path(const wstring& name) {
  wstring path(name);
  path.Replace(u'\\', u"/");
  return path;
}

static bool ends_with_separator(const wstring& path) {
  char16_t last = path[path.Length() - 1];
  return last == u'\\' || last == u'/';
}

void append_to_log(const wstring& base_folder, const char16_t* relative_name, const wstring& text) {
  wstring path(base_folder);
  if (!path.IsEmpty() && !ends_with_separator(path)) path += u'\\';
  path += relative_name;
  path = disk_path(path);
  FILE* file = std::fopen(path.ToAnsi(), "ab");
  if (!file) return;
  struct stat status;
  if (fstat(fileno(file), &status) == 0 && status.st_size <= max_log_bytes) {
    wstring ansi(text);
    if (const char* bytes = ansi.ToAnsi()) std::fwrite(bytes, 1, std::char_traits<char>::length(bytes), file);
  }
  std::fclose(file);
}
