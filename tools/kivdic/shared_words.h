#pragma once

#include <span>
#include <vector>

#include "lexeme.h"

// Lexemes of different classes whose lemmas the engine reads as one name
// (the noun «красный», a Red, and the adjective) declare one word of the
// world from separate articles. The own keys are the whole word's, so the
// noun's gender and animacy would be read on every adjective form; such a
// noun carries them on its own forms instead.

// For each lexeme, whether it is a noun whose word a lexeme of another class
// declares as well.
std::vector<bool> NounsSharingTheirWord(std::span<const lexeme> words);

// The noun with its own keys moved into the keys of its forms; a form that
// has a key of the same letter keeps its own.
lexeme WithOwnKeysOnForms(const lexeme& noun);
