#pragma once

// A modal message box of the desktop original: here a line with caption and
// text on standard error and in "logs/engine.log" beside the program; nothing
// waits for a person.
void show_message_box(const char16_t* text, const char16_t* caption);
