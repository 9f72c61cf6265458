#pragma once

#include <vector>

#include "wstring.h"

// A line the player typed as several commands: «осмотри стол. возьми ключ»,
// «открой дверь; иди на север», «возьми лампу, затем зажги её». The parts,
// in order, without the marks that ended them; a closing «.», «!» or blank
// of a single command is dropped too. Quoted text is never cut. A line with
// nothing but marks is kept as it is.
std::vector<wstring> split_commands(const wstring& line);
