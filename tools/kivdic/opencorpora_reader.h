#pragma once

#include <string>
#include <vector>

#include "lexeme.h"
#include "lexeme_choice.h"

// The lexemes of the morphology data (the dicts folder of the data package:
// words.dawg, paradigms.array, suffixes.json, gramtab-opencorpora-int.json,
// meta.json, p_t_given_w.intdawg) that become dictionary articles, most
// useful first. Throws std::runtime_error naming a file that is missing or
// damaged, or a usage source whose package is not installed.
std::vector<lexeme> ReadOpenCorporaLexemes(const std::string& dicts_dir, const lexeme_choice& choice,
                                           choice_summary& summary);
