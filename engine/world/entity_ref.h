#pragma once

#include <memory>

class object;

// A reference to a world entity that finds out when the entity is gone.
// The entity holds the one anchor its references share and clears it as it
// is destroyed, so every reference then resolves to null instead of to
// freed memory: values, and code that holds an entity while game code
// runs, resolve through it once where they use the entity.
class entity_ref {
 public:
  entity_ref() = default;
  // The anchor of an entity being made; only the entity itself makes one.
  static entity_ref Anchor(object* entity) {
    entity_ref made;
    made.anchor_ = std::make_shared<anchor>(anchor{entity});
    return made;
  }

  // The entity, or null once it is destroyed (or for an empty reference).
  object* Get() const { return anchor_ ? anchor_->entity : nullptr; }
  // Forgets the entity for every reference sharing the anchor.
  void Clear() const {
    if (anchor_) anchor_->entity = nullptr;
  }
  // Stays the same for all references to one entity, gone or not, so they
  // order and compare together.
  const void* Identity() const { return anchor_.get(); }

 private:
  struct anchor {
    object* entity;
  };
  std::shared_ptr<anchor> anchor_;
};
