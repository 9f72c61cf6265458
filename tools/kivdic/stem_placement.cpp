#include "stem_placement.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>

namespace {

// How many articles deep room is made on a full key: an article moved off it
// may push one off its new key, and so on.
constexpr int relocation_depth = 2;

// Form texts with the same pair of keys are placed together.
struct form_group {
  form_keys keys;
  size_t forms;
};

std::vector<form_group> group_forms(const std::vector<form_keys>& forms) {
  std::vector<form_group> groups;
  for (const form_keys& keys : forms) {
    auto same = std::find_if(groups.begin(), groups.end(), [&](const form_group& group) {
      return group.keys.noun_key == keys.noun_key && group.keys.verb_key == keys.verb_key;
    });
    if (same == groups.end()) {
      groups.push_back({keys, 1});
    } else {
      ++same->forms;
    }
  }
  return groups;
}

bool has_key(const form_group& group, uint16_t key) { return group.keys.noun_key == key || group.keys.verb_key == key; }

class placer {
 public:
  explicit placer(std::span<const std::vector<form_keys>> forms) : groups_(forms.size()), keys_(forms.size()) {
    for (size_t i = 0; i < forms.size(); ++i) groups_[i] = group_forms(forms[i]);
  }

  void Place(size_t article, stem_placement& result);
  void RepairSharedTexts(std::span<const std::vector<form_keys>> forms, std::span<const size_t> priority);
  std::map<uint16_t, std::vector<size_t>> Entries(std::span<const size_t> priority) const;

 private:
  std::vector<std::vector<form_group>> groups_;  // per article
  std::vector<std::vector<uint16_t>> keys_;      // per article, the keys it is filed under
  std::array<std::vector<size_t>, 65536> entries_;

  bool HasRoom(uint16_t key) const { return entries_[key].size() < articles_per_key; }
  void File(size_t article, uint16_t key);
  void PutMostUsefulFirst(const std::vector<size_t>& holders, uint16_t noun_key);
  std::optional<uint16_t> BestKey(const std::vector<form_group>& uncovered, bool with_room) const;
  std::optional<uint16_t> ChooseKey(const std::vector<form_group>& uncovered);
  bool FreeSlot(uint16_t key, int depth, std::set<uint16_t>& busy);
  bool MoveAway(size_t article, uint16_t key, int depth, std::set<uint16_t>& busy);
};

void placer::File(size_t article, uint16_t key) {
  entries_[key].push_back(article);
  keys_[article].push_back(key);
}

// The key that covers most of the forms still uncovered, among the keys
// with room or among all; a tie goes to the less loaded key, then to the
// lower key for a stable result.
std::optional<uint16_t> placer::BestKey(const std::vector<form_group>& uncovered, bool with_room) const {
  std::unordered_map<uint16_t, size_t> covered_forms;
  for (const form_group& group : uncovered) {
    if (!with_room || HasRoom(group.keys.noun_key)) covered_forms[group.keys.noun_key] += group.forms;
    if (group.keys.verb_key != group.keys.noun_key && (!with_room || HasRoom(group.keys.verb_key)))
      covered_forms[group.keys.verb_key] += group.forms;
  }
  std::optional<uint16_t> best;
  auto better = [&](uint16_t key, size_t forms) {
    size_t best_forms = covered_forms[*best];
    if (forms != best_forms) return forms > best_forms;
    if (entries_[key].size() != entries_[*best].size()) return entries_[key].size() < entries_[*best].size();
    return key < *best;
  };
  for (const auto& [key, forms] : covered_forms)
    if (!best || better(key, forms)) best = key;
  return best;
}

// Moves the article off the key when every form that only the key covers
// can go to its other key, making room there by moving other articles as
// deep as `depth` allows. Keys in `busy` are being freed or filled and take
// nobody else meanwhile.
bool placer::MoveAway(size_t article, uint16_t key, int depth, std::set<uint16_t>& busy) {
  std::set<uint16_t> targets;
  std::vector<uint16_t>& keys = keys_[article];
  for (const form_group& group : groups_[article]) {
    if (!has_key(group, key)) continue;
    uint16_t other = group.keys.noun_key == key ? group.keys.verb_key : group.keys.noun_key;
    if (std::find(keys.begin(), keys.end(), other) != keys.end()) continue;
    if (other == key || busy.count(other)) return false;
    targets.insert(other);
  }
  busy.insert(targets.begin(), targets.end());
  bool room = std::all_of(targets.begin(), targets.end(), [&](uint16_t target) {
    return HasRoom(target) || (depth > 0 && FreeSlot(target, depth - 1, busy));
  });
  for (uint16_t target : targets) busy.erase(target);
  if (!room) return false;
  std::vector<size_t>& entry = entries_[key];
  entry.erase(std::find(entry.begin(), entry.end(), article));
  keys.erase(std::find(keys.begin(), keys.end(), key));
  for (uint16_t target : targets) File(article, target);
  return true;
}

// Frees a place on a full key by moving one of its articles, the least
// useful first.
bool placer::FreeSlot(uint16_t key, int depth, std::set<uint16_t>& busy) {
  bool marked = busy.insert(key).second;
  std::vector<size_t> occupants = entries_[key];
  bool freed = false;
  for (auto it = occupants.rbegin(); it != occupants.rend() && !freed; ++it) freed = MoveAway(*it, key, depth, busy);
  if (marked) busy.erase(key);
  return freed;
}

// The key that covers most uncovered forms, room made for it if need be;
// else the best key that has room.
std::optional<uint16_t> placer::ChooseKey(const std::vector<form_group>& uncovered) {
  std::optional<uint16_t> best = BestKey(uncovered, false);
  std::set<uint16_t> busy;
  if (best && (HasRoom(*best) || FreeSlot(*best, relocation_depth, busy))) return best;
  return BestKey(uncovered, true);
}

// The keys that any set of keys covering these forms needs at least, found
// greedily: what an article lost when none of them had room.
size_t keys_needed(std::vector<form_group> uncovered) {
  size_t keys = 0;
  while (!uncovered.empty()) {
    std::map<uint16_t, size_t> covered_forms;
    for (const form_group& group : uncovered) {
      covered_forms[group.keys.noun_key] += group.forms;
      if (group.keys.verb_key != group.keys.noun_key) covered_forms[group.keys.verb_key] += group.forms;
    }
    auto best = std::max_element(covered_forms.begin(), covered_forms.end(),
                                 [](const auto& a, const auto& b) { return a.second < b.second; });
    uint16_t key = best->first;
    std::erase_if(uncovered, [&](const form_group& group) { return has_key(group, key); });
    ++keys;
  }
  return keys;
}

void placer::Place(size_t article, stem_placement& result) {
  std::vector<form_group> uncovered = groups_[article];
  while (!uncovered.empty()) {
    std::optional<uint16_t> key = ChooseKey(uncovered);
    if (!key) break;
    File(article, *key);
    std::erase_if(uncovered, [&](const form_group& group) { return has_key(group, *key); });
  }
  if (uncovered.empty()) return;
  size_t forms = 0;
  for (const form_group& group : uncovered) forms += group.forms;
  result.losses.push_back({article, keys_needed(uncovered), forms});
}

// `holders` are the articles of one text, most useful first.
void placer::PutMostUsefulFirst(const std::vector<size_t>& holders, uint16_t noun_key) {
  const std::vector<size_t>& entry = entries_[noun_key];
  auto listed = [&](size_t article) { return std::find(entry.begin(), entry.end(), article) != entry.end(); };
  if (listed(holders.front()) || !std::any_of(holders.begin() + 1, holders.end(), listed)) return;
  if (HasRoom(noun_key)) File(holders.front(), noun_key);
}

void placer::RepairSharedTexts(std::span<const std::vector<form_keys>> forms, std::span<const size_t> priority) {
  std::unordered_map<uint32_t, std::vector<size_t>> holders;
  std::unordered_map<uint32_t, uint16_t> noun_keys;
  for (size_t article : priority)
    for (const form_keys& keys : forms[article]) {
      if (keys.shared_text == unshared_text) continue;
      holders[keys.shared_text].push_back(article);
      noun_keys[keys.shared_text] = keys.noun_key;
    }
  for (const auto& [text, articles] : holders) PutMostUsefulFirst(articles, noun_keys[text]);
}

std::map<uint16_t, std::vector<size_t>> placer::Entries(std::span<const size_t> priority) const {
  std::vector<size_t> rank(groups_.size());
  for (size_t i = 0; i < priority.size(); ++i) rank[priority[i]] = i;
  std::map<uint16_t, std::vector<size_t>> entries;
  for (size_t key = 0; key < entries_.size(); ++key) {
    if (entries_[key].empty()) continue;
    std::vector<size_t> articles = entries_[key];
    // Moving an article may have put it behind less useful ones.
    std::sort(articles.begin(), articles.end(), [&](size_t a, size_t b) { return rank[a] < rank[b]; });
    entries.emplace(uint16_t(key), std::move(articles));
  }
  return entries;
}

}  // namespace

stem_placement PlaceArticles(std::span<const std::vector<form_keys>> forms, std::span<const size_t> priority) {
  auto state = std::make_unique<placer>(forms);
  stem_placement result;
  for (size_t article : priority) state->Place(article, result);
  state->RepairSharedTexts(forms, priority);
  result.entries = state->Entries(priority);
  return result;
}
