#pragma once

#include "value.h"
#include "wstring.h"

class context;
class location;
class object;
class world;

// Where running code stands in the world.

// The entity the code acts in: the first context up the chain that is an
// entity or is placed in one; null in the world's own code.
object* own_object(context& ctx);
// The location around the code's entity, else the player character's.
location* current_location(context& ctx);
// The entity of that identifier as a value; null when there is none.
value entity_value(const world& home, int id);
value entity_value(object* entity);
