#include "engine_library.h"

#include <dlfcn.h>

#include <stdexcept>

engine_library::engine_library(const std::string& path) {
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) throw std::runtime_error(dlerror());
  RegFunction = reinterpret_cast<decltype(RegFunction)>(Symbol("RegFunction"));
  RegFunctionANSI = reinterpret_cast<decltype(RegFunctionANSI)>(Symbol("RegFunctionANSI"));
  Init = reinterpret_cast<decltype(Init)>(Symbol("Init"));
  Run = reinterpret_cast<decltype(Run)>(Symbol("Run"));
  Input = reinterpret_cast<decltype(Input)>(Symbol("Input"));
  Exit = reinterpret_cast<decltype(Exit)>(Symbol("Exit"));
  PrintANSI = reinterpret_cast<decltype(PrintANSI)>(Symbol("PrintANSI"));
}

engine_library::~engine_library() {
  if (handle_) dlclose(handle_);
}

void* engine_library::Symbol(const char* name) {
  void* symbol = dlsym(handle_, name);
  if (!symbol) {
    std::string message = std::string("the engine has no export ") + name;
    dlclose(handle_);
    handle_ = nullptr;
    throw std::runtime_error(message);
  }
  return symbol;
}
