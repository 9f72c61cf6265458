#pragma once

#include <cstdint>
#include <vector>

#include "wstring.h"

// The commands that reached the game since its world started, with the
// seed its random numbers were drawn from: replayed into a fresh world of
// the same game they rebuild the same state.
class command_journal {
 public:
  struct entry {
    wstring command;  // as the player typed it, code mark included
    // Undo takes it back: the game understood it and it changed the game.
    bool counts = false;
    // The digest of the commands up to this one, in order.
    uint64_t digest = 0;
  };

  // The digest of no commands, and of commands one more.
  static uint64_t FirstDigest();
  static uint64_t NextDigest(uint64_t digest, const wstring& command);

  // A journal of a world started now with that seed.
  void Start(uint64_t seed);
  uint64_t Seed() const { return seed_; }
  const std::vector<entry>& Entries() const { return entries_; }
  void Add(const wstring& command);
  // The digest of all commands so far.
  uint64_t Digest() const { return entries_.empty() ? FirstDigest() : entries_.back().digest; }
  // Which commands count for undo, in order.
  std::vector<bool> Counts() const;
  // Starts again with the seed and those commands, counted as given.
  void Resume(uint64_t seed, const std::vector<wstring>& commands, const std::vector<bool>& counts);
  void CountLast();
  // The position of the last command that counts; -1 when none does.
  int LastCounted() const;
  // Keeps the first `count` commands.
  void Truncate(int count);
  // Grows with every change, so a host is told of changes only.
  uint64_t Revision() const { return revision_; }

 private:
  uint64_t seed_ = 0;
  std::vector<entry> entries_;
  uint64_t revision_ = 0;
};

// A journal as text, for save files and hosts: a header naming the game
// file and its version (a digest of its source), the seed and the number
// of commands, then a command a line.
struct journal_file {
  wstring game;
  uint64_t version = 0;
  uint64_t seed = 0;
  std::vector<wstring> commands;

  wstring Format() const;
  // False when the text is not a journal or is damaged (a header line
  // missing or wrong, fewer or more commands than it says).
  static bool Parse(const wstring& text, journal_file& file);
};
