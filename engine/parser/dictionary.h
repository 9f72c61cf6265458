#pragma once

#include <cstdint>
#include <string>

#include "c_index.h"
#include "world_services.h"
#include "wstring.h"

struct dic_article;
class dic_loader;
class world;

// The word as the dictionary looks it up: without leading "@" and "$", in
// lower case with normalisation; empty when it does not begin with a
// Cyrillic letter (U+0400 to U+0451), for which no article exists.
wstring dictionary_word(const wstring& word);

// The morphological dictionary as a world uses it: finds a word's article
// and declares the word from it, once per world. The file is shared; what a
// world has taken and looked up is kept in the world.
class dictionary : public dictionary_lookup {
 public:
  // entry_label: where the engine names the dictionary entry being declared
  // for crash reports; may be null.
  dictionary(const dic_loader& file, wstring* entry_label) : file_(file), entry_label_(entry_label) {}

  // Finds the article that has the word (leading "@" and "$" skipped) among
  // its forms. With text, the expanded declaration: unless browsing, an
  // article already taken into the world is passed over and the one found
  // is marked taken. Without text only the match is reported.
  bool FindArticle(world& home, const wstring& word, wstring* text, bool browse) const;

  // dictionary_lookup: declares the word from its article, at most one
  // lookup per word and world.
  bool DeclareFromDictionary(world& home, const wstring& word) override;

  // The known words one edit away from a word of 5 to 15 characters: word
  // forms of the world and words the dictionary has. True when `found` is
  // not empty.
  bool SpellingCandidates(world& home, const wstring& word, c_index<wstring, wstring>& found) const;

 private:
  int LemmaRank(const world& home, const dic_article& article, const wstring& sought, const wstring& spelled) const;
  wstring ExpandArticle(const world& home, const dic_article& article) const;
  bool IsKnownWord(world& home, const wstring& candidate) const;
  void DeclarePieces(world& home, const wstring& word);
  void RunDeclarations(world& home, const wstring& word, const wstring& text);

  const dic_loader& file_;
  wstring* entry_label_;
};
