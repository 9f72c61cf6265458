#pragma once

#include "wstring.h"

class world;

// Finds a word of a player's command among the world's prepositions, then
// among its word forms; when neither knows it, declares it from the
// dictionary and looks again. The position found is set, the other (or
// both) -1; true when either was found.
bool FindWord(world& home, const wstring& text, int& form_pos, int& preposition_pos);
