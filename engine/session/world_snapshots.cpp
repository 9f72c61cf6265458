#include "world_snapshots.h"

#include "command_journal.h"

namespace {

bool holds_copy_after(const std::deque<world_snapshots::snapshot>& kept, size_t commands, uint64_t digest) {
  for (const world_snapshots::snapshot& s : kept)
    if (s.commands == commands && s.digest == digest) return true;
  return false;
}

}  // namespace

bool world_snapshots::Due(size_t commands, uint64_t digest) const {
  return commands % interval == 0 && !holds_copy_after(on_the_way_, commands, digest);
}

void world_snapshots::Keep(snapshot taken, bool at_save) {
  std::deque<snapshot>& kept = at_save ? at_saves_ : on_the_way_;
  kept.push_back(std::move(taken));
  if (kept.size() > (at_save ? kept_at_saves : kept_on_the_way)) kept.pop_front();
}

const world_snapshots::snapshot* world_snapshots::Nearest(const wstring& game_file, uint64_t version, uint64_t seed,
                                                          const std::vector<wstring>& commands) const {
  // The journal's digests, first for no commands, then one more each.
  std::vector<uint64_t> digests{command_journal::FirstDigest()};
  for (const wstring& command : commands) digests.push_back(command_journal::NextDigest(digests.back(), command));
  const snapshot* best = nullptr;
  for (const std::deque<snapshot>* kept : {&on_the_way_, &at_saves_})
    for (const snapshot& s : *kept) {
      if (s.game_file != game_file || s.version != version || s.seed != seed) continue;
      if (s.commands > commands.size() || s.digest != digests[s.commands]) continue;
      if (!best || s.commands > best->commands) best = &s;
    }
  return best;
}

void world_snapshots::Clear() {
  on_the_way_.clear();
  at_saves_.clear();
}
