#pragma once

#include <string>
#include <string_view>

// Replaces a file's contents so that a crash at any moment leaves either
// the old file or the new one whole: the bytes go to a temporary file
// beside it, reach the disk, and take its name by a rename, which is made
// lasting too. False when any step failed (the old file then stands).
bool replace_file(const std::string& path, std::string_view bytes);
