#include "server_controller.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <thread>

#include "text_edit.h"

extern char** environ;

server_controller::server_controller(const command_line& options, const host_folders& folders,
                                     server_log::view shown, host_window* window)
    : options_(options),
      folders_(folders),
      window_(window),
      log_(folders.site_root + "NetLog.log", std::move(shown)),
      engine_(sessions_, folders_),
      router_(sessions_, engine_, folders_, options_.settings, log_),
      loop_([this](std::string_view head, const std::string& remote) { return router_.Handle(head, remote); },
            [this] { RefreshLog(); }) {}

server_controller::~server_controller() { Stop(); }

bool server_controller::Create() {
  // Cookie logs and subscriptions live here; a missing folder would lose them.
  mkdir((folders_.site_root + "users").c_str(), 0700);
  mkdir((folders_.site_root + "home").c_str(), 0700);
  mkdir((folders_.site_root + "users/sessions").c_str(), 0700);
  std::u16string message;
  buttons_enabled_ = engine_.LoadEngine(options_.settings.prompt_worker, message) == 0;
  if (buttons_enabled_) {
    log_.Add(u"Root=" + from_utf8(folders_.site_root) + u"\r\n");
    LoadDialog();
    router_.ResumeKeptSessions();
    ApplyStartMode();
  } else {
    log_.Add(message + u"\r\n");
  }
  RefreshLog();
  return buttons_enabled_;
}

void server_controller::LoadDialog() {
  if (!window_) return;  // the console has no page window, and says so only when asked for one
  switch (window_->LoadDialog()) {
    case host_window::dialog_load::loaded: has_dialog_ = true; return;
    case host_window::dialog_load::library_missing: log_.Add(u"Не удалось загрузить MSHTML.DLL\r\n"); break;
    case host_window::dialog_load::function_missing:
      log_.Add(u"Не удалось получить функцию ShowHTMLDialog()\r\n");
      break;
  }
  options_.settings.mode = start_mode::browser;
}

void server_controller::SetStartMode(start_mode mode) {
  options_.settings.mode = mode;
  switch (mode) {
    case start_mode::window:
      if (has_dialog_) {
        controls_.close_start_window_enabled = true;
        return;
      }
      if (window_) window_->ShowMessage(u"Не найдена MSHTML.DLL", u"Игра в окне невозможна");
      else std::cerr << to_utf8(u"Не найдена MSHTML.DLL: Игра в окне невозможна") << '\n';
      SetStartMode(start_mode::browser);
      return;
    case start_mode::browser:
      options_.settings.close_start_window = false;
      controls_.close_start_window_enabled = false;
      controls_.editor_enabled = true;
      return;
    case start_mode::server: options_.settings.close_start_window = false; return;
  }
}

std::u16string server_controller::CountdownTick() {
  if (!counting_) return {};
  if (countdown_ == 0) {
    counting_ = false;
    return {};
  }
  return std::u16string(start_caption) + u" - " + decimal(countdown_--);
}

std::u16string server_controller::StopCountdown() {
  counting_ = false;
  return start_caption;
}

bool server_controller::Start() {
  counting_ = false;
  buttons_enabled_ = false;
  if (StartsAtOnce()) {
    switch (options_.arguments[1][0]) {
      case 'b': options_.settings.mode = start_mode::browser; break;
      case 's': options_.settings.mode = start_mode::server; break;
      case 'w': options_.settings.mode = start_mode::window; break;
      default: break;
    }
    ApplyStartMode();
  }
  if (!OpenPort()) {
    RefreshLog();
    return false;
  }
  // The console tells the address in every mode; the log only when a page opens.
  address_ = "http://127.0.0.1";
  if (Port() != 80) address_.append(":").append(std::to_string(Port()));
  std::string page = options_.arguments.empty() ? "/" : options_.arguments[0];
  if (page.empty() || page[0] != '/') page.insert(0, 1, '/');
  address_ += page;
  if (options_.settings.mode != start_mode::server) {
    log_.Add(from_utf8(address_) + u"\r\n");
    if (options_.settings.mode == start_mode::window) ShowInDialog();
    else OpenBrowser();
  }
  RefreshLog();
  return true;
}

bool server_controller::StartDebugging() {
  SetStartMode(start_mode::browser);
  options_.settings.editor = true;
  return Start();
}

void server_controller::Stop() {
  loop_.CloseAll();
  engine_.UnloadEngine();
  RefreshLog();
}

bool server_controller::OpenPort() {
  int port = options_.port;
  for (int attempt = 0; attempt < port_attempts; ++attempt) {
    if (loop_.Listen(options_.listen_address, port)) {
      log_.Add(u"Открыт порт " + decimal(Port()) + u"\r\n");
      return true;
    }
    if (errno != EACCES && errno != EADDRINUSE) {
      // The log has the code; the reason goes where errors are shown.
      int error = errno;
      log_.Add("Socket error: " + std::to_string(error) + "\r\n");
      if (window_) window_->ShowMessage(u"KIV2 web", from_ansi(std::strerror(error)));
      else std::cerr << "webkiv: " << std::strerror(error) << '\n';
      return false;
    }
    port = attempt == 0 ? options_.first_retry_port : port + retry_port_step;
  }
  log_.Add(u"Не удалось открыть порт!\r\n");
  return false;
}

void server_controller::ShowInDialog() {
  if (!has_dialog_) {
    log_.Add(u"Error: Не удалось получить функцию ShowHTMLDialog\r\n");
    return;
  }
  RefreshLog();
  bool close = options_.settings.close_start_window;
  if (close) window_->Hide();
  window_->ShowDialog(address_);
  if (close) window_->Close();
  window_->ReleaseDialog();
  has_dialog_ = false;
}

void server_controller::OpenBrowser() {
  if (has_dialog_) window_->ReleaseDialog();
  has_dialog_ = false;
  const char* argv[] = {"xdg-open", address_.c_str(), nullptr};
  pid_t child = 0;
  int error = posix_spawnp(&child, "xdg-open", nullptr, nullptr, const_cast<char**>(argv), environ);
  if (error != 0) {
    log_.Add(u"Error: Не удалось открыть браузер\r\n" + from_ansi(std::strerror(error)) + u"\r\n");
    return;
  }
  // xdg-open returns once the browser is on its way; its failure is told
  // on standard error, as the log belongs to the serving thread.
  std::thread([child] {
    int status = 0;
    if (waitpid(child, &status, 0) == child && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
      std::cerr << to_utf8(u"Error: Не удалось открыть браузер") << " (xdg-open)\n";
  }).detach();
}
