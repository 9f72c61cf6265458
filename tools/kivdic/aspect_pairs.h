#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lexeme.h"

// Aspect partners: a perfective verb and the imperfective verb of the same
// meaning (открыть / открывать, взять / брать).

struct aspect_pair {
  std::string perfective;
  std::string imperfective;
};

// Lines "perfective imperfective"; "#" starts a comment. Throws
// std::runtime_error naming `what` and the line for any other line.
std::vector<aspect_pair> ParseAspectPairs(std::string_view text, const std::string& what);
std::vector<aspect_pair> ReadAspectPairsFile(const std::string& path);

// The imperfectives that regular derivation makes from a perfective
// (открыть → открывать, включить → включать, отпереть → отпирать,
// осмотреть → осматривать); most of them are no words.
std::vector<std::string> DerivedImperfectives(const std::string& perfective);

// Sets aspect_partner on both verbs of each pair among the lexemes, where
// both are verbs of one aspect each and neither has a partner yet: the given
// pairs first, then a perfective and the one imperfective derived from it,
// when no other perfective derives that imperfective too and the
// perfective is not по- added to an imperfective of the lexemes (почитать,
// почитывать). Returns the number of pairs made.
size_t PairAspects(std::vector<lexeme>& lexemes, const std::vector<aspect_pair>& hand_pairs);
