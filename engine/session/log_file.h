#pragma once

#include "wstring.h"

// Appends text to a log file: the file is the base folder joined with the
// relative name ("logs\full_log.csv"), created when missing (its folder is
// not) for its owner only, and never grown past max_log_bytes (world_log.h).
// The text is written in the 8-bit code page without a terminator.
// Failures are ignored: a log never stops a game.
void append_to_log(const wstring& base_folder, const char16_t* relative_name, const wstring& text);

// The path on disk of a log under the base folder.
wstring log_path(const wstring& base_folder, const char16_t* relative_name);

// A file name written with either separator, as a path on disk.
wstring disk_path(const wstring& name);
