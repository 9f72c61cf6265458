#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Evidence of how much Russian words are used, from texts other than the
// morphology data: running text gives token counts, a lexicon (such as a
// spelling dictionary) says only that a word is common enough to be listed.
// Words are kept in Windows-1251, lower case, with "ё" read as "е".

struct usage_evidence {
  std::unordered_map<std::string, double> uses;
  std::unordered_set<std::string> lexicon;
};

// Counts the Cyrillic words of a UTF-8 text (hyphenated words count whole).
void AddText(usage_evidence& evidence, std::string_view utf8);

// Adds the word of each line, up to a "/" (spelling dictionaries put flags
// there); lines that are not a Cyrillic word are skipped.
void AddLexicon(usage_evidence& evidence, std::string_view utf8);

// "ё" read as "е", as the texts mostly write it; Windows-1251 in and out.
std::string FoldYo(std::string text);

struct usage_source {
  std::string path;     // a file, or a folder whose files are read (not links or *.dat indexes)
  std::string package;  // the Debian package that installs it, named when it is missing
  bool lexicon = false;
};

// Russian texts of Debian packages: aphorisms and jokes (fortunes-ru), a
// thesaurus (mythes-ru) and a spelling dictionary's stems (hunspell-ru).
std::vector<usage_source> DebianUsageSources();

// Throws std::runtime_error naming the path and package when a source is
// missing or cannot be read.
usage_evidence ReadUsageEvidence(const std::vector<usage_source>& sources);
