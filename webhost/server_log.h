#pragma once

#include <functional>
#include <string>
#include <string_view>

// The server's log: every part appends to the pending text; a refresh
// writes it to NetLog.log (when that option is on) and hands it to the
// view.
class server_log {
 public:
  static constexpr long max_file_bytes = 1000000;

  using view = std::function<void(const std::string& text)>;
  server_log(std::string net_log_file, view shown);

  void Add(std::string_view ansi_text);
  void Add(std::u16string_view text);
  const std::string& Pending() const { return pending_; }
  void Refresh(bool net_log);

 private:
  std::string net_log_file_;
  view view_;
  std::string pending_;
};
