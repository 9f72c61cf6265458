// A plug-in module for the tests whose "Init" entry takes its time, so the
// engine's worker serves nothing for a while.

#include <chrono>
#include <thread>

extern "C" __attribute__((visibility("default"))) void Init() {
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
}
