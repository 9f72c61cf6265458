#pragma once

#include <string>

#include "kiv.h"

// The engine library loaded at run time with its exports resolved, as any
// host loads it.
class engine_library {
 public:
  // Throws std::runtime_error naming what could not be loaded.
  explicit engine_library(const std::string& path);
  ~engine_library();
  engine_library(const engine_library&) = delete;
  engine_library& operator=(const engine_library&) = delete;

  decltype(&::RegFunction) RegFunction = nullptr;
  decltype(&::RegFunctionANSI) RegFunctionANSI = nullptr;
  decltype(&::Init) Init = nullptr;
  decltype(&::Run) Run = nullptr;
  decltype(&::Input) Input = nullptr;
  decltype(&::Exit) Exit = nullptr;
  decltype(&::PrintANSI) PrintANSI = nullptr;

 private:
  void* Symbol(const char* name);

  void* handle_ = nullptr;
};
