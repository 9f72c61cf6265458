#include "html_dialog.h"

#include <dlfcn.h>

#include <cstdlib>

namespace {

// KIV_WEB_VIEW_LIBRARY names another library, e.g. to see webkiv without one.
const char* library_name() {
  const char* name = std::getenv("KIV_WEB_VIEW_LIBRARY");
  return name && *name ? name : "libwebkit2gtk-4.1.so.0";
}

}  // namespace

host_window::dialog_load html_dialog::Load() {
  if (library_) return host_window::dialog_load::loaded;
  // The library registers types with GObject, which cannot be undone: it
  // stays mapped after Release.
  library_ = dlopen(library_name(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!library_) return host_window::dialog_load::library_missing;
  new_view_ = reinterpret_cast<decltype(new_view_)>(dlsym(library_, "webkit_web_view_new"));
  load_uri_ = reinterpret_cast<decltype(load_uri_)>(dlsym(library_, "webkit_web_view_load_uri"));
  title_ = reinterpret_cast<decltype(title_)>(dlsym(library_, "webkit_web_view_get_title"));
  if (new_view_ && load_uri_ && title_) return host_window::dialog_load::loaded;
  Release();
  return host_window::dialog_load::function_missing;
}

void html_dialog::Release() {
  if (library_) dlclose(library_);
  library_ = nullptr;
  new_view_ = nullptr;
  load_uri_ = nullptr;
  title_ = nullptr;
}

void html_dialog::Show(GtkWindow* parent, const std::string& address) {
  if (!library_) return;
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "KIV2");
  gtk_window_set_default_size(GTK_WINDOW(window), width, height);
  gtk_window_set_resizable(GTK_WINDOW(window), TRUE);
  gtk_window_set_modal(GTK_WINDOW(window), TRUE);
  gtk_window_set_transient_for(GTK_WINDOW(window), parent);
  gtk_window_set_destroy_with_parent(GTK_WINDOW(window), TRUE);
  GtkWidget* view = new_view_();
  gtk_container_add(GTK_CONTAINER(window), view);
  // The window bears the page's title, as a browser's does.
  g_signal_connect(view, "notify::title", G_CALLBACK(+[](GtkWidget* page, GParamSpec*, html_dialog* dialog) {
    const char* title = dialog->title_(page);
    if (title && *title) gtk_window_set_title(GTK_WINDOW(gtk_widget_get_toplevel(page)), title);
  }), this);
  load_uri_(view, address.c_str());
  GMainLoop* shown = g_main_loop_new(nullptr, FALSE);
  g_signal_connect_swapped(window, "destroy", G_CALLBACK(g_main_loop_quit), shown);
  gtk_widget_show_all(window);
  g_main_loop_run(shown);
  g_main_loop_unref(shown);
}
