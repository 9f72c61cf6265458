#pragma once

#include <string>

// A modal message box of the desktop original: here a line with caption and
// text on standard error and in "logs/engine.log" beside the program; nothing
// waits for a person.
void show_message_box(const char16_t* text, const char16_t* caption);

// The line a message box writes, in the 8-bit code page.
std::string message_box_line(const char16_t* text, const char16_t* caption);

// Where message boxes are kept, relative to the current folder.
constexpr const char16_t* message_box_log = u"logs/engine.log";
