#pragma once

#include <gtk/gtk.h>

#include <string>

#include "host_window.h"

// The modal page window: a web view of the browser engine library, which
// is loaded only when the window is wanted, so webkiv runs without it.
class html_dialog {
 public:
  static constexpr int width = 605;
  static constexpr int height = 800;

  ~html_dialog() { Release(); }
  host_window::dialog_load Load();
  void Release();
  // Shows the address above `parent` and returns when the window is closed.
  void Show(GtkWindow* parent, const std::string& address);

 private:
  void* library_ = nullptr;
  GtkWidget* (*new_view_)() = nullptr;
  void (*load_uri_)(GtkWidget* view, const char* uri) = nullptr;
  const char* (*title_)(GtkWidget* view) = nullptr;
};
