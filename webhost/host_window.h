#pragma once

#include <string>
#include <string_view>

// What the server controller asks of the window it runs in: the modal page
// window and the window's own showing. The console start has none.
class host_window {
 public:
  enum class dialog_load { loaded, library_missing, function_missing };

  virtual ~host_window() = default;
  // Loads the library of the modal page window and finds its entry.
  virtual dialog_load LoadDialog() = 0;
  virtual void ReleaseDialog() = 0;
  // Shows the address in the modal page window; returns when it is closed.
  virtual void ShowDialog(const std::string& address) = 0;
  virtual void Hide() = 0;
  virtual void Close() = 0;
  virtual void ShowMessage(std::u16string_view caption, std::u16string_view text) = 0;
};
