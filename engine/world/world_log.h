#pragma once

#include "wstring.h"

// Log rows of seven fields: each cut to 256 units, carriage returns
// dropped, line feeds and tabs made spaces, joined by tabs and ended by a
// carriage return and line feed.
constexpr int log_record_fields = 7;
wstring log_record_text(const wstring (&fields)[log_record_fields]);
