#include "world_registry.h"

#include <functional>
#include <mutex>

#include "c_index.h"
#include "case_map.h"

namespace {

// Set when the registry is gone at unload: worlds the engine still holds
// then leave nothing.
bool registry_closed = false;

struct registry {
  ~registry() { registry_closed = true; }
  std::mutex lock;
  c_index<world_item, world_ext> worlds;
};

// Made on first use and gone when the library unloads, possibly before
// the worlds of the engine's sessions.
registry& the_registry() {
  static registry instance;
  return instance;
}

world_ext key_of(const world& home, const wstring& name) {
  world_ext key{name, &home};
  if (!key.name.IsEmpty()) key.name[0] = lower_case(key.name[0]);
  return key;
}

}  // namespace

int world_item::CompareKey(const world_ext& key) const {
  if (int order = ext.name.Compare(key.name.Text())) return order;
  if (ext.home == key.home) return 0;
  return std::less<const world*>()(ext.home, key.home) ? -1 : 1;
}

void register_world(const world& home, const wstring& name) {
  if (registry_closed) return;
  registry& r = the_registry();
  std::lock_guard<std::mutex> held(r.lock);
  int pos;
  r.worlds.Add(key_of(home, name), pos);
}

void unregister_world(const world& home, const wstring& name) {
  if (registry_closed) return;
  registry& r = the_registry();
  std::lock_guard<std::mutex> held(r.lock);
  int pos;
  if (r.worlds.Find(key_of(home, name), pos)) r.worlds.Delete(pos);
}

bool is_registered_world(const world& home, const wstring& name) {
  if (registry_closed) return false;
  registry& r = the_registry();
  std::lock_guard<std::mutex> held(r.lock);
  int pos;
  return r.worlds.Find(key_of(home, name), pos);
}
