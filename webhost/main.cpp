// webkiv: serves kiv games to browsers.

#include <sys/resource.h>
#include <unistd.h>

#include <iostream>
#include <thread>

#include "command_line.h"
#include "server_controller.h"
#include "text_edit.h"

namespace {

// Each client holds a descriptor for up to 100 ms after its reply.
void allow_many_connections() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
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
  server_log::view shown;
  if (!options.quiet) shown = [](const std::string& text) { std::cerr << text << std::flush; };
  server_controller controller(options, host_folders::ForProgram(host_folders::RunningProgramFolder()), shown);
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
