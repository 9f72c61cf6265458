#pragma once

#include "wstring.h"

class world;

// The engine-wide registry of live worlds: every world enters it when it
// is made and leaves it when it goes. Safe to use from any thread.

// The key of a registered world: its name (first letter lower-cased) and
// the world itself, since sessions may name their worlds alike.
struct world_ext {
  wstring name;
  const world* home = nullptr;
};

// One registered world.
struct world_item {
  world_ext ext;
  void SetKey(const world_ext& key) { ext = key; }
  int CompareKey(const world_ext& key) const;
};

void register_world(const world& home, const wstring& name);
void unregister_world(const world& home, const wstring& name);
// Whether the world of that name is registered now.
bool is_registered_world(const world& home, const wstring& name);
