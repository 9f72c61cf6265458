#pragma once

#include <string>
#include <string_view>

// The text of the server window's log: the pending log is appended at each
// refresh, and a text grown past the limit keeps only its newer part.
class log_view {
 public:
  static constexpr size_t max_characters = 9999;
  static constexpr size_t kept_from = 5000;  // the character (counted from 1) the kept part starts at

  // Appends the pending log (8-bit text); true when the older text was cut
  // first, so a view must show the whole text again.
  bool Append(std::string_view pending_ansi);
  const std::u16string& Text() const { return text_; }

 private:
  std::u16string text_;
};
