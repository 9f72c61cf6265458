// The engine's exported C interface. Nothing is thrown across it.

#include "failure_text.h"
#include "kiv.h"
#include "kiv_engine.h"

namespace {

// A message returned by Run or Input stays valid until the caller's next
// call, so each host thread has its own.
const char16_t* returned_failure(std::exception_ptr failure) {
  thread_local wstring message;
  message = failure_text(failure);
  return message.Text();
}

}  // namespace

extern "C" {

KIV_EXPORT int32_t RegFunction(const char16_t* name, kiv_host_function fn, int32_t kind, int32_t argument_count) {
  try {
    return kiv_engine::Instance().RegisterWide(name, fn, kind, argument_count);
  } catch (...) {
    return KIV_REG_NO_NAME;
  }
}

KIV_EXPORT int32_t RegFunctionANSI(const char* name, kiv_host_function_ansi fn, int32_t kind,
                                   int32_t argument_count) {
  try {
    return kiv_engine::Instance().RegisterAnsi(name, fn, kind, argument_count);
  } catch (...) {
    return KIV_REG_NO_NAME;
  }
}

KIV_EXPORT int32_t Init(void* const* plugins) {
  try {
    return kiv_engine::Instance().Init(plugins) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

KIV_EXPORT const char16_t* Run(int32_t session_id, const char16_t* user_name, const char16_t* game_file) {
  try {
    return kiv_engine::Instance().Run(session_id, user_name, game_file);
  } catch (...) {
    return returned_failure(std::current_exception());
  }
}

KIV_EXPORT const char16_t* Input(int32_t session_id, const char16_t* command, int32_t) {
  try {
    return kiv_engine::Instance().Input(session_id, command);
  } catch (...) {
    return returned_failure(std::current_exception());
  }
}

KIV_EXPORT const char16_t* Resume(int32_t session_id, const char16_t* user_name, const char16_t* game_file,
                                  const char16_t* journal) {
  try {
    return kiv_engine::Instance().Resume(session_id, user_name, game_file, journal);
  } catch (...) {
    return returned_failure(std::current_exception());
  }
}

KIV_EXPORT const char16_t* Release(int32_t session_id) {
  try {
    return kiv_engine::Instance().Release(session_id);
  } catch (...) {
    return returned_failure(std::current_exception());
  }
}

KIV_EXPORT int32_t Exit(int32_t) {
  try {
    kiv_engine::Instance().Exit();
  } catch (...) {
  }
  return 1;
}

KIV_EXPORT void PrintANSI(const char* text) {
  try {
    kiv_engine::Instance().PrintAnsi(text);
  } catch (...) {
  }
}

}  // extern "C"
