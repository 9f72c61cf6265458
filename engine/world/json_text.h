#pragma once

#include "wstring.h"

// Texts written into the development environment's JSON replies.

// A JSON string; quotes and backslashes are escaped, so any name or text
// keeps the reply valid JSON.
inline void append_json_text(wstring& out, const wstring& text) {
  out += u'"';
  for (int i = 0; i < text.Length(); ++i) {
    if (text[i] == u'"' || text[i] == u'\\') out += u'\\';
    out += text[i];
  }
  out += u'"';
}

inline void append_json_number(wstring& out, int number) { out += wstring(double(number)); }
