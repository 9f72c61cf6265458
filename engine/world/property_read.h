#pragma once

#include "c_array.h"
#include "value.h"
#include "wstring.h"

class context;
class object;

// The holders of the properties named so that an entity sees: the entity
// itself when it has one, then its classes in the order of
// object::WalkClasses.
c_array<context*, context*> property_holders(object& entity, const wstring& normalised_name);

// Reads a property of the holder value, or calls its method, by the English
// name or else the Russian one: the value's entity holds it (or the entity
// the value was read from, or the context of a context value). Properties
// reached through classes count; a name of an attribute reads the attribute.
// False, with the result untouched, when the holder has no such property;
// otherwise the result records the holder as its owner.
bool read_property(const value& holder, context& ctx, const wstring& english, const wstring& russian,
                   value& result);
