#include "window_driver.h"

#include <glib-unix.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "server_window.h"

namespace {

constexpr const char* option_names[] = {"close", "editor", "letters", "stress", "netlog"};

struct pending_command {
  window_driver* driver;
  std::string command;
};

}  // namespace

window_driver::window_driver(TSrvForm& form)
    : form_(form),
      watch_(g_unix_fd_add(STDIN_FILENO, GIOCondition(G_IO_IN | G_IO_HUP), [](gint, GIOCondition, gpointer driver) {
        static_cast<window_driver*>(driver)->Read();
        return gboolean(G_SOURCE_CONTINUE);
      }, this)) {}

window_driver::~window_driver() {
  if (watch_) g_source_remove(watch_);
}

void window_driver::Ready() { Answer("ready " + form_.Describe()); }

void window_driver::Closed() {
  const server_controller& controller = form_.Controller();
  Answer(std::string("closed bound=") + (controller.EngineBound() ? "1" : "0") +
         " listening=" + (controller.Listening() ? "1" : "0"));
}

// Each command runs from the main loop on its own, so one that waits (the
// page window) leaves the driver free to read the next.
void window_driver::Read() {
  char buffer[4096];
  ssize_t n = read(STDIN_FILENO, buffer, sizeof(buffer));
  if (n <= 0) {
    g_source_remove(watch_);
    watch_ = 0;
    return;
  }
  input_.append(buffer, size_t(n));
  for (size_t end = input_.find('\n'); end != std::string::npos; end = input_.find('\n')) {
    auto* command = new pending_command{this, input_.substr(0, end)};
    input_.erase(0, end + 1);
    g_idle_add([](gpointer data) -> gboolean {
      auto* command = static_cast<pending_command*>(data);
      command->driver->Perform(command->command);
      delete command;
      return G_SOURCE_REMOVE;
    }, command);
  }
}

void window_driver::Perform(const std::string& command) {
  if (form_.Gone()) {
    Answer("gone");
    return;
  }
  std::string verb = command.substr(0, command.find(' '));
  std::string argument = command.size() > verb.size() ? command.substr(verb.size() + 1) : "";
  if (verb == "page") form_.SelectPage(std::atoi(argument.c_str()));
  else if (verb == "mode") form_.ClickMode(std::atoi(argument.c_str()));
  else if (verb == "option") {
    for (int which = 0; which < TSrvForm::option_count; ++which)
      if (argument == option_names[which]) form_.ClickOption(TSrvForm::option(which));
  } else if (verb == "start") form_.ClickStart();
  else if (verb == "debug") form_.ClickDebug();
  else if (verb == "dismiss") form_.DismissMessages();
  else if (verb == "close") {
    form_.Close();
    return;
  } else if (verb == "log") {
    Answer("log " + form_.LogText());
    return;
  } else if (verb != "state") {
    Answer("unknown " + command);
    return;
  }
  // A start in mode 0 may come back after the window was closed.
  Answer(form_.Gone() ? "gone" : "state " + form_.Describe());
}

void window_driver::Answer(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}
