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
                                     server_log::view shown)
    : options_(options),
      folders_(folders),
      log_(folders.site_root + "NetLog.log", std::move(shown)),
      engine_(sessions_, folders_),
      router_(sessions_, engine_, folders_, options_.settings, log_),
      loop_([this](std::string_view head, const std::string& remote) { return router_.Handle(head, remote); },
            [this] { RefreshLog(); }) {}

server_controller::~server_controller() {
  engine_.UnloadEngine();
  RefreshLog();
}

bool server_controller::Create() {
  // Cookie logs and subscriptions live here; a missing folder would lose them.
  mkdir((folders_.site_root + "users").c_str(), 0700);
  mkdir((folders_.site_root + "home").c_str(), 0700);
  mkdir((folders_.site_root + "users/sessions").c_str(), 0700);
  std::u16string message;
  bool bound = engine_.LoadEngine(options_.settings.prompt_worker, message) == 0;
  if (bound) {
    log_.Add(u"Root=" + from_utf8(folders_.site_root) + u"\r\n");
    router_.ResumeKeptSessions();
    ApplyStartMode();
  } else {
    log_.Add(message + u"\r\n");
  }
  RefreshLog();
  return bound;
}

// There is no modal HTML window here: the window mode falls back to the
// browser, as it does where that window is missing.
void server_controller::ApplyStartMode() {
  if (options_.settings.mode != start_mode::window) return;
  std::cerr << to_utf8(u"Не найдена MSHTML.DLL: Игра в окне невозможна") << '\n';
  options_.settings.mode = start_mode::browser;
}

std::u16string server_controller::CountdownTick() {
  if (countdown_ == 0) return {};
  return u"Начать игру - " + decimal(countdown_--);
}

bool server_controller::Start() {
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
  address_ = "http://127.0.0.1";
  if (Port() != 80) address_.append(":").append(std::to_string(Port()));
  std::string page = options_.arguments.empty() ? "/" : options_.arguments[0];
  if (page.empty() || page[0] != '/') page.insert(0, 1, '/');
  address_ += page;
  log_.Add(from_utf8(address_) + u"\r\n");
  if (options_.settings.mode == start_mode::browser) OpenBrowser();
  RefreshLog();
  return true;
}

bool server_controller::OpenPort() {
  int port = options_.port;
  for (int attempt = 0; attempt < port_attempts; ++attempt) {
    if (loop_.Listen(options_.listen_address, port)) {
      log_.Add(u"Открыт порт " + decimal(Port()) + u"\r\n");
      return true;
    }
    if (errno != EACCES && errno != EADDRINUSE) {
      log_.Add("Socket error: " + std::to_string(errno) + " " + std::strerror(errno) + "\r\n");
      return false;
    }
    port = attempt == 0 ? first_retry_port : port + retry_port_step;
  }
  log_.Add(u"Не удалось открыть порт!\r\n");
  return false;
}

void server_controller::OpenBrowser() {
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
