#include "message_box.h"

#include <cstdio>

#include "wstring.h"

void show_message_box(const char16_t* text, const char16_t* caption) {
  wstring line(caption);
  line += u": ";
  line += text;
  line += u"\n";
  const char* bytes = line.ToAnsi();
  std::fputs(bytes, stderr);
  if (FILE* log = std::fopen("logs/engine.log", "ab")) {
    std::fputs(bytes, log);
    std::fclose(log);
  }
}
