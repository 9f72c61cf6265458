#pragma once

#include "wstring.h"

// Log rows of seven fields: each cut to 256 units, carriage returns
// dropped, line feeds and tabs made spaces, joined by tabs and ended by a
// carriage return and line feed.
constexpr int log_record_fields = 7;
wstring log_record_text(const wstring (&fields)[log_record_fields]);

// No log file grows past this many bytes.
constexpr long max_log_bytes = 1000000;

// Appends the text in the 8-bit code page to the file at path (either
// separator), creating it readable and writable by its owner only. Text
// that would take the file past max_log_bytes is not written, nor is
// anything to a file that cannot be opened: a log never stops a game.
void append_log_file(const wstring& path, const wstring& text);
