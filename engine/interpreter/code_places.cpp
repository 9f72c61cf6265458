#include "code_places.h"

#include "context.h"
#include "keyword_table.h"
#include "location.h"
#include "object.h"
#include "world.h"

object* own_object(context& ctx) {
  context* c = &ctx;
  for (int step = 0; c && step < context::max_enclosing_steps; ++step, c = c->Parent()) {
    if (c->IsEntity()) return static_cast<object*>(c);
    if (c->Place()) return c->Place();
  }
  return nullptr;
}

location* current_location(context& ctx) {
  object* entity = own_object(ctx);
  if (!entity) entity = ctx.World()->FindById(ctx.World()->player);
  return entity ? dynamic_cast<location*>(entity->NearestLocation()) : nullptr;
}

value entity_value(object* entity) { return entity ? value::Entity(entity->Type(), entity) : value(); }

value entity_value(const world& home, int id) { return entity_value(id ? home.FindById(id) : nullptr); }
