#include "log_view.h"

#include "text_edit.h"

bool log_view::Append(std::string_view pending_ansi) {
  bool cut = text_.size() > max_characters;
  if (cut) text_.erase(0, kept_from - 1);
  text_ += from_ansi(pending_ansi);
  return cut;
}
