// webkiv: serves kiv games to browsers.

#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <thread>

#include "command_line.h"
#include "server_controller.h"
#include "text_edit.h"
#ifdef KIV_WINDOW
#include "server_window.h"
#endif

namespace {

// Each client holds a descriptor for up to 100 ms after its reply.
void allow_many_connections() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
}

// The window needs a display; both start arguments ask for a start without it.
bool wants_window(const command_line& options) {
  auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
  };
  return options.arguments.size() < 2 && (set("DISPLAY") || set("WAYLAND_DISPLAY"));
}

}  // namespace

int main(int argc, char** argv) {
  command_line options;
  std::string error;
  if (!options.Parse(argc, argv, error)) {
    std::cerr << "webkiv: " << error << "\n" << command_line::Usage();
    return 2;
  }
  if (options.help) {
    std::cout << command_line::Usage();
    return 0;
  }
  allow_many_connections();
  host_folders folders = host_folders::ForProgram(host_folders::RunningProgramFolder());
#ifdef KIV_WINDOW
  if (wants_window(options) && gtk_init_check(nullptr, nullptr)) return TSrvForm(options, folders).Run();
#endif
  server_log::view shown;
  if (!options.quiet) shown = [](const std::string& text) { std::cerr << text << std::flush; };
  server_controller controller(options, folders, shown);
  if (!controller.Create()) return 1;
  if (!controller.StartsAtOnce()) {
    for (std::u16string caption = controller.CountdownTick(); !caption.empty();
         caption = controller.CountdownTick()) {
      std::cerr << to_utf8(caption) << std::endl;
      std::this_thread::sleep_for(std::chrono::seconds(1));
    }
  }
  if (!controller.Start()) return 1;
  std::cout << controller.Address() << std::endl;
  controller.Serve();
  return 0;
}
