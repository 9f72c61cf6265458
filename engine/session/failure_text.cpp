#include "failure_text.h"

wstring failure_text(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const wstring& text) {
    return text;
  } catch (const char16_t* text) {
    return wstring(text);
  } catch (const char* text) {
    return wstring(text);
  } catch (const std::exception& error) {
    return wstring(error.what());
  } catch (...) {
  }
  return wstring(u"неизвестная ошибка!");
}
