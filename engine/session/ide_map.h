#pragma once

#include "wstring.h"

class world;

// The map of the world's locations for the development environment: a
// JSON array with one element per plane, in the order of the plane names,
// each holding the plane's name, its bounds and its locations.
wstring map_json(const world& home);
