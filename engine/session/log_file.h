#pragma once

#include "wstring.h"

// Appends text to a log file: the file is the base folder joined with the
// relative name ("logs\full_log.csv"), created when missing (its folder is
// not), and receives nothing once it is larger than max_log_bytes. The text
// is written in the 8-bit code page without a terminator. Failures are
// ignored: a log never stops a game.
void append_to_log(const wstring& base_folder, const char16_t* relative_name, const wstring& text);

constexpr long max_log_bytes = 1000000;

// A file name written with either separator, as a path on disk.
wstring disk_path(const wstring& name);
