#pragma once

#include <exception>

#include "wstring.h"

// The message a caught failure carries: a wstring, a wide or 8-bit text, or
// a standard exception's message; "неизвестная ошибка!" for anything else.
wstring failure_text(std::exception_ptr failure);

// Runs `action`, answering the message of the failure it raised, or an
// empty text when it finished.
template <class Action>
wstring run_guarded(Action&& action) {
  try {
    action();
    return wstring();
  } catch (...) {
    return failure_text(std::current_exception());
  }
}
