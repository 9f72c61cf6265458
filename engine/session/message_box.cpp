#include "message_box.h"

#include <cstdio>

#include "world_log.h"
#include "wstring.h"

std::string message_box_line(const char16_t* text, const char16_t* caption) {
  wstring line(caption);
  line += u": ";
  line += text;
  line += u"\n";
  return line.ToAnsi();
}

void show_message_box(const char16_t* text, const char16_t* caption) {
  std::string line = message_box_line(text, caption);
  std::fputs(line.c_str(), stderr);
  append_log_file(wstring(message_box_log), wstring(line.c_str()));
}
