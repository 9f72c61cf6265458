#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lexeme.h"

// A small text form of lexemes, for test fixtures and for reading by eye.
// UTF-8; lines starting with "#" are comments. One block per lexeme, blocks
// parted by blank lines: a header line
//   lemma TAB classes (parted by blanks) TAB own key TAB default key TAB aspect partner TAB rank
// and then one line "form TAB key" per form, the lemma's form first.

std::string FormatExcerpt(const std::vector<lexeme>& lexemes);
// Throws std::runtime_error naming `what` and the line of a malformed block.
std::vector<lexeme> ParseExcerpt(std::string_view text, const std::string& what);

// The file starts with the credit that the data's licence asks for.
void WriteExcerpt(const std::string& path, const std::vector<lexeme>& lexemes);
std::vector<lexeme> ReadExcerpt(const std::string& path);
