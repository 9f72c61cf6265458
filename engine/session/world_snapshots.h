#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "random_source.h"
#include "world.h"
#include "wstring.h"

// Copies of a session's world taken as its game goes on, so that undo and
// restore start from the nearest one and replay only the commands after
// it, instead of the whole journal from a fresh world.
class world_snapshots {
 public:
  // Commands between two copies taken as the game goes on: a copy costs
  // about as much as a few commands, and undo replays at most this many.
  static constexpr size_t interval = 32;
  // How many of those are kept (the latest), and how many taken at saves:
  // a copy of a library game weighs some megabytes, and a host keeps
  // many sessions.
  static constexpr size_t kept_on_the_way = 2;
  static constexpr size_t kept_at_saves = 1;

  // The world after a journal's first commands, with what the session
  // needs besides to go on from there.
  struct snapshot {
    std::unique_ptr<world> copy;
    random_stream random{0};
    bool in_game = false;
    // What the copy was taken after: the game file, its version, the seed
    // and the commands (their number and digest), with those that count
    // for undo.
    wstring game_file;
    uint64_t version = 0;
    uint64_t seed = 0;
    size_t commands = 0;
    uint64_t digest = 0;
    std::vector<bool> counts;
  };

  // Whether a copy is due after that many commands and none is kept for
  // them yet.
  bool Due(size_t commands, uint64_t digest) const;
  // Keeps a copy; one taken at a save is kept apart from those taken on
  // the way, so that a long game does not push it out.
  void Keep(snapshot taken, bool at_save);
  // The kept copy that takes a journal farthest: same game file, version
  // and seed, its commands the first of `commands`; null when none does.
  const snapshot* Nearest(const wstring& game_file, uint64_t version, uint64_t seed,
                          const std::vector<wstring>& commands) const;
  void Clear();

 private:
  std::deque<snapshot> on_the_way_;
  std::deque<snapshot> at_saves_;
};
