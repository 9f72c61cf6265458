#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "article.h"
#include "lexeme.h"
#include "text_compression.h"

// Verbs of the two aspects that name each other (брать and взять) are tied
// by tagged texts: whichever of the two a world declares second adds to
// both words the infinitive of the other aspect.

struct partner_verbs {
  size_t first;   // lexeme index
  size_t second;  // lexeme index
};

// Each pair once, for every verb whose aspect_partner is among the words and
// has the other aspect (the aspect comes from the own keys, "Сш" or "Нш").
std::vector<partner_verbs> FindPartnerVerbs(std::span<const lexeme> words);

// Gives each article of the pair (articles are indexed like the words) a
// tagged text under the other article's tag:
//   $P {
//   #ИвПф<aspect of Q>ш = "Q"
//   }
//   $Q {
//   #ИвПф<aspect of P>ш = "P"
//   }
void AddAspectTexts(std::span<const lexeme> words, partner_verbs pair, const text_compressor& compressor,
                    std::span<article> articles);
