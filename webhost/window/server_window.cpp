#include "server_window.h"

#include <glib-unix.h>

#include <cstdlib>

#include "text_edit.h"
#include "start_picture.h"
#include "window_driver.h"

namespace {

constexpr const char* mode_captions[] = {"Игра в окне", "Игра в браузере", "Сервер"};
constexpr const char* option_captions[] = {"Закрывать стартовое окно", "Включить редактор и отладку",
                                           "Показывать буквицы", "Показывать ударения", "Писать net log в файл"};

bool& setting_of(host_settings& settings, TSrvForm::option which) {
  switch (which) {
    case TSrvForm::close_start_window: return settings.close_start_window;
    case TSrvForm::editor: return settings.editor;
    case TSrvForm::letters: return settings.letters;
    case TSrvForm::stress_marks: return settings.stress_marks;
    default: return settings.net_log;
  }
}

// The index a control stands for, kept on the widget.
void set_index(GtkWidget* widget, int index) { g_object_set_data(G_OBJECT(widget), "kiv-index", GINT_TO_POINTER(index)); }
int index_of(GtkWidget* widget) { return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), "kiv-index")); }

GtkWidget* status_panel(GtkWidget* bar, bool grows) {
  GtkWidget* frame = gtk_frame_new(nullptr);
  gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
  GtkWidget* label = gtk_label_new("");
  gtk_label_set_xalign(GTK_LABEL(label), 0);
  gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
  gtk_widget_set_size_request(label, 80, -1);
  gtk_container_add(GTK_CONTAINER(frame), label);
  gtk_box_pack_start(GTK_BOX(bar), frame, grows, grows, 0);
  return label;
}

const char* yes_no(bool value) { return value ? "1" : "0"; }

}  // namespace

TSrvForm::TSrvForm(const command_line& options, const host_folders& folders)
    : controller_(options, folders, [this](const std::string& pending) { ShowLog(pending); }, this) {}

TSrvForm::~TSrvForm() {
  destroyed_ = true;
  if (log_text_) g_object_unref(log_text_);
}

int TSrvForm::Run() {
  Build();
  source_ = std::make_unique<loop_source>(controller_.Loop());
  if (std::getenv("KIV_WINDOW_DRIVER")) driver_ = std::make_unique<window_driver>(*this);
  gtk_widget_show_all(window_);
  // Showing the notebook selects its first page, which is no change of page.
  g_signal_connect_swapped(pages_, "switch-page", G_CALLBACK(+[](TSrvForm* form) { form->StopCountdown(); }), this);
  controller_.Create();
  ShowControls();
  if (controller_.StartsAtOnce()) {
    Start(false);
  } else if (controller_.ButtonsEnabled()) {
    timer_ = g_timeout_add(1000, [](gpointer form) -> gboolean { return static_cast<TSrvForm*>(form)->Tick(); }, this);
  }
  // A stop signal closes the window, so the engine is unbound as on closing.
  for (int stop : {SIGINT, SIGTERM})
    g_unix_signal_add(stop, [](gpointer form) -> gboolean {
      static_cast<TSrvForm*>(form)->Close();
      return G_SOURCE_CONTINUE;
    }, this);
  if (driver_) driver_->Ready();
  gtk_main();
  if (driver_) driver_->Closed();
  return 0;
}

void TSrvForm::Build() {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), "KIV2 web");
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_container_set_border_width(GTK_CONTAINER(window_), 6);
  g_signal_connect_swapped(window_, "destroy", G_CALLBACK(+[](TSrvForm* form) { form->OnDestroy(); }), this);

  GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
  pages_ = gtk_notebook_new();
  gtk_notebook_append_page(GTK_NOTEBOOK(pages_), new_start_picture(), gtk_label_new("Старт"));
  gtk_notebook_append_page(GTK_NOTEBOOK(pages_), BuildSettings(), gtk_label_new("Настройки"));
  gtk_notebook_append_page(GTK_NOTEBOOK(pages_), BuildLog(), gtk_label_new("Лог"));
  gtk_box_pack_start(GTK_BOX(column), pages_, TRUE, TRUE, 0);

  GtkWidget* buttons = gtk_button_box_new(GTK_ORIENTATION_HORIZONTAL);
  gtk_button_box_set_layout(GTK_BUTTON_BOX(buttons), GTK_BUTTONBOX_END);
  gtk_box_set_spacing(GTK_BOX(buttons), 6);
  start_ = gtk_button_new_with_label(to_utf8(server_controller::start_caption).c_str());
  debug_ = gtk_button_new_with_label("Отладка");
  g_signal_connect_swapped(start_, "clicked", G_CALLBACK(+[](TSrvForm* form) { form->Start(false); }), this);
  g_signal_connect_swapped(debug_, "clicked", G_CALLBACK(+[](TSrvForm* form) { form->Start(true); }), this);
  gtk_container_add(GTK_CONTAINER(buttons), start_);
  gtk_container_add(GTK_CONTAINER(buttons), debug_);
  gtk_box_pack_start(GTK_BOX(column), buttons, FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(window_), column);
  ShowControls();
}

GtkWidget* TSrvForm::BuildSettings() {
  GtkWidget* page = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
  gtk_container_set_border_width(GTK_CONTAINER(page), 8);
  GtkWidget* frame = gtk_frame_new(" Режим запуска: ");
  GtkWidget* group = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
  gtk_container_set_border_width(GTK_CONTAINER(group), 4);
  for (int mode = 0; mode < 3; ++mode) {
    modes_[mode] = mode == 0 ? gtk_radio_button_new_with_label(nullptr, mode_captions[mode])
                             : gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(modes_[0]),
                                                                           mode_captions[mode]);
    set_index(modes_[mode], mode);
    g_signal_connect(modes_[mode], "toggled", G_CALLBACK(+[](GtkToggleButton* button, TSrvForm* form) {
      if (form->showing_ || !gtk_toggle_button_get_active(button)) return;
      form->controller_.SetStartMode(start_mode(index_of(GTK_WIDGET(button))));
      form->ShowControls();
    }), this);
    gtk_box_pack_start(GTK_BOX(group), modes_[mode], FALSE, FALSE, 0);
  }
  gtk_container_add(GTK_CONTAINER(frame), group);
  gtk_box_pack_start(GTK_BOX(page), frame, FALSE, FALSE, 0);
  for (int which = 0; which < option_count; ++which) {
    options_[which] = gtk_check_button_new_with_label(option_captions[which]);
    set_index(options_[which], which);
    g_signal_connect(options_[which], "toggled", G_CALLBACK(+[](GtkWidget* button, TSrvForm* form) {
      form->OnOption(option(index_of(button)));
    }), this);
    gtk_box_pack_start(GTK_BOX(page), options_[which], FALSE, FALSE, 0);
  }
  return page;
}

GtkWidget* TSrvForm::BuildLog() {
  GtkWidget* page = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
  log_widget_ = gtk_text_view_new();
  gtk_text_view_set_editable(GTK_TEXT_VIEW(log_widget_), FALSE);
  gtk_text_view_set_monospace(GTK_TEXT_VIEW(log_widget_), TRUE);
  gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(log_widget_), GTK_WRAP_WORD_CHAR);
  log_text_ = GTK_TEXT_BUFFER(g_object_ref(gtk_text_view_get_buffer(GTK_TEXT_VIEW(log_widget_))));
  GtkTextIter end;
  gtk_text_buffer_get_end_iter(log_text_, &end);
  log_end_ = gtk_text_buffer_create_mark(log_text_, nullptr, &end, FALSE);
  GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_container_add(GTK_CONTAINER(scroll), log_widget_);
  gtk_box_pack_start(GTK_BOX(page), scroll, TRUE, TRUE, 0);
  GtkWidget* bar = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 2);
  time_panel_ = status_panel(bar, false);
  command_panel_ = status_panel(bar, true);
  gtk_box_pack_start(GTK_BOX(page), bar, FALSE, FALSE, 0);
  return page;
}

void TSrvForm::ShowLog(const std::string& pending) {
  bool cut = log_.Append(pending);
  if (destroyed_ || !log_text_) return;
  GtkTextIter end;
  if (cut) {
    gtk_text_buffer_set_text(log_text_, to_utf8(log_.Text()).c_str(), -1);
  } else {
    gtk_text_buffer_get_end_iter(log_text_, &end);
    gtk_text_buffer_insert(log_text_, &end, to_utf8(from_ansi(pending)).c_str(), -1);
  }
  // Scrolled once the new lines are laid out.
  gtk_text_view_scroll_mark_onscreen(GTK_TEXT_VIEW(log_widget_), log_end_);
  gtk_label_set_text(GTK_LABEL(time_panel_), to_utf8(controller_.Status().time).c_str());
  gtk_label_set_text(GTK_LABEL(command_panel_), to_utf8(controller_.Status().command).c_str());
}

void TSrvForm::ShowControls() {
  showing_ = true;
  auto& settings = controller_.Settings();
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(modes_[int(settings.mode)]), TRUE);
  for (int which = 0; which < option_count; ++which)
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(options_[which]), setting_of(settings, option(which)));
  gtk_widget_set_sensitive(options_[close_start_window], controller_.Controls().close_start_window_enabled);
  gtk_widget_set_sensitive(options_[editor], controller_.Controls().editor_enabled);
  gtk_widget_set_sensitive(start_, controller_.ButtonsEnabled());
  gtk_widget_set_sensitive(debug_, controller_.ButtonsEnabled());
  showing_ = false;
}

void TSrvForm::OnOption(option which) {
  if (showing_) return;
  setting_of(controller_.Settings(), which) = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(options_[which]));
  ShowControls();
}

void TSrvForm::StopCountdown() {
  gtk_button_set_label(GTK_BUTTON(start_), to_utf8(controller_.StopCountdown()).c_str());
  if (timer_) g_source_remove(timer_);
  timer_ = 0;
}

bool TSrvForm::Tick() {
  if (!controller_.Counting()) {
    timer_ = 0;
    return G_SOURCE_REMOVE;
  }
  std::u16string caption = controller_.CountdownTick();
  if (!caption.empty()) {
    gtk_button_set_label(GTK_BUTTON(start_), to_utf8(caption).c_str());
    return G_SOURCE_CONTINUE;
  }
  timer_ = 0;
  Start(false);
  return G_SOURCE_REMOVE;
}

void TSrvForm::Start(bool debugging) {
  if (timer_) g_source_remove(timer_);
  timer_ = 0;
  gtk_button_set_label(GTK_BUTTON(start_), to_utf8(server_controller::start_caption).c_str());
  if (debugging) controller_.StartDebugging();
  else controller_.Start();
  if (!destroyed_) ShowControls();
}

void TSrvForm::ShowDialog(const std::string& address) { dialog_.Show(GTK_WINDOW(window_), address); }

void TSrvForm::Hide() { gtk_widget_hide(window_); }

// Later, from the main loop: the window may be asked to close from within
// one of its own handlers.
void TSrvForm::Close() {
  g_idle_add([](gpointer form) -> gboolean {
    auto* self = static_cast<TSrvForm*>(form);
    if (!self->destroyed_) gtk_widget_destroy(self->window_);
    return G_SOURCE_REMOVE;
  }, this);
}

void TSrvForm::ShowMessage(std::u16string_view caption, std::u16string_view text) {
  GtkWidget* box = gtk_message_dialog_new(GTK_WINDOW(window_), GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                          GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "%s", to_utf8(text).c_str());
  gtk_window_set_title(GTK_WINDOW(box), to_utf8(caption).c_str());
  g_signal_connect(box, "response", G_CALLBACK(gtk_widget_destroy), nullptr);
  gtk_widget_show(box);
}

void TSrvForm::OnDestroy() {
  destroyed_ = true;
  if (timer_) g_source_remove(timer_);
  timer_ = 0;
  controller_.Stop();
  source_.reset();
  gtk_main_quit();
}

void TSrvForm::SelectPage(int page) { gtk_notebook_set_current_page(GTK_NOTEBOOK(pages_), page); }

// Only what a person could click: a disabled control ignores the click.
void TSrvForm::ClickMode(int mode) {
  if (mode >= 0 && mode < 3 && gtk_widget_is_sensitive(modes_[mode])) gtk_button_clicked(GTK_BUTTON(modes_[mode]));
}

void TSrvForm::ClickOption(option which) {
  if (gtk_widget_is_sensitive(options_[which])) gtk_button_clicked(GTK_BUTTON(options_[which]));
}

void TSrvForm::ClickStart() {
  if (gtk_widget_is_sensitive(start_)) gtk_button_clicked(GTK_BUTTON(start_));
}

void TSrvForm::ClickDebug() {
  if (gtk_widget_is_sensitive(debug_)) gtk_button_clicked(GTK_BUTTON(debug_));
}

void TSrvForm::DismissMessages() {
  GList* windows = gtk_window_list_toplevels();
  for (GList* item = windows; item; item = item->next)
    if (GTK_IS_MESSAGE_DIALOG(item->data)) gtk_dialog_response(GTK_DIALOG(item->data), GTK_RESPONSE_OK);
  g_list_free(windows);
}

std::string TSrvForm::Describe() {
  std::string state = std::string("shown=") + yes_no(gtk_widget_get_visible(window_)) + " page=" + std::to_string(gtk_notebook_get_current_page(GTK_NOTEBOOK(pages_))) + " mode=";
  for (int mode = 0; mode < 3; ++mode)
    if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(modes_[mode]))) state += std::to_string(mode);
  constexpr const char* names[] = {"close", "editor", "letters", "stress", "netlog"};
  for (int which = 0; which < option_count; ++which)
    state += std::string(" ") + names[which] + "=" +
             yes_no(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(options_[which]))) + "/" +
             yes_no(gtk_widget_is_sensitive(options_[which]));
  auto& settings = controller_.Settings();
  state += std::string(" settings=") + std::to_string(int(settings.mode));
  for (int which = 0; which < option_count; ++which) state += yes_no(setting_of(settings, option(which)));
  state += " start=" + std::string(gtk_button_get_label(GTK_BUTTON(start_))) + "/" +
           yes_no(gtk_widget_is_sensitive(start_)) + " debug=" + yes_no(gtk_widget_is_sensitive(debug_));
  state += std::string(" status=") + gtk_label_get_text(GTK_LABEL(time_panel_)) + "|" +
           gtk_label_get_text(GTK_LABEL(command_panel_));
  state += std::string(" bound=") + yes_no(controller_.EngineBound()) + " listening=" +
           yes_no(controller_.Listening()) + " port=" + std::to_string(controller_.Port());
  GList* windows = gtk_window_list_toplevels();
  for (GList* item = windows; item; item = item->next) {
    if (!GTK_IS_MESSAGE_DIALOG(item->data) || !gtk_widget_get_visible(GTK_WIDGET(item->data))) continue;
    gchar* text = nullptr;
    g_object_get(item->data, "text", &text, nullptr);
    state += std::string(" message=") + gtk_window_get_title(GTK_WINDOW(item->data)) + ": " + (text ? text : "");
    g_free(text);
  }
  g_list_free(windows);
  return state;
}

std::string TSrvForm::LogText() {
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(log_text_, &start, &end);
  gchar* text = gtk_text_buffer_get_text(log_text_, &start, &end, FALSE);
  std::string line = text;
  g_free(text);
  replace_all(line, "\r", "\\r");
  replace_all(line, "\n", "\\n");
  return line;
}
