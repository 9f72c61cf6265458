#pragma once

#include <gtk/gtk.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "html_dialog.h"
#include "log_view.h"
#include "loop_source.h"
#include "server_controller.h"

class window_driver;

// The server window: the "Старт", "Настройки" and "Лог" pages and the two
// start buttons over the server controller, which holds every rule; the
// window only shows its state and passes the clicks on.
class TSrvForm : public host_window {
 public:
  enum page { start_page, settings_page, log_page };
  enum option { close_start_window, editor, letters, stress_marks, net_log, option_count };

  TSrvForm(const command_line& options, const host_folders& folders);
  ~TSrvForm() override;
  // Shows the window and serves until it is closed; the exit code.
  int Run();

  host_window::dialog_load LoadDialog() override { return dialog_.Load(); }
  void ReleaseDialog() override { dialog_.Release(); }
  void ShowDialog(const std::string& address) override;
  void Hide() override;
  void Close() override;
  void ShowMessage(std::u16string_view caption, std::u16string_view text) override;

  // The controls as a person uses them (the test driver's way in).
  void SelectPage(int page);
  void ClickMode(int mode);
  void ClickOption(option which);
  void ClickStart();
  void ClickDebug();
  // Presses OK on each message box shown.
  void DismissMessages();
  // The controls' and the settings' state in one line, and the log's text.
  std::string Describe();
  std::string LogText();
  const server_controller& Controller() const { return controller_; }
  // The window is destroyed; only the controller is left.
  bool Gone() const { return destroyed_; }

 private:
  void Build();
  GtkWidget* BuildSettings();
  GtkWidget* BuildLog();
  void ShowLog(const std::string& pending);
  void ShowControls();
  void StopCountdown();
  bool Tick();
  void Start(bool debugging);
  void OnOption(option which);
  void OnDestroy();

  html_dialog dialog_;
  log_view log_;
  server_controller controller_;
  std::unique_ptr<loop_source> source_;
  std::unique_ptr<window_driver> driver_;
  GtkWidget* window_ = nullptr;
  GtkWidget* pages_ = nullptr;
  std::array<GtkWidget*, 3> modes_{};
  std::array<GtkWidget*, option_count> options_{};
  GtkWidget* start_ = nullptr;
  GtkWidget* debug_ = nullptr;
  GtkTextBuffer* log_text_ = nullptr;  // our own reference: the log outlives the view
  GtkWidget* log_widget_ = nullptr;
  GtkTextMark* log_end_ = nullptr;  // stays at the end as text is added
  GtkWidget* time_panel_ = nullptr;
  GtkWidget* command_panel_ = nullptr;
  guint timer_ = 0;
  bool showing_ = false;  // the controls are being set from the state, not clicked
  bool destroyed_ = false;
};
