// A plug-in module for the tests: counts how often the engine calls its
// "Init" and "Exit" entries.

#include <atomic>
#include <cstring>

namespace {
std::atomic<int> init_calls{0};
std::atomic<int> exit_calls{0};
}  // namespace

extern "C" {
__attribute__((visibility("default"))) void Init() { ++init_calls; }
__attribute__((visibility("default"))) void Exit() { ++exit_calls; }
__attribute__((visibility("default"))) int PluginCalls(const char* entry) {
  return std::strcmp(entry, "Init") == 0 ? init_calls.load() : exit_calls.load();
}
}
