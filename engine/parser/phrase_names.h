#pragma once

#include "wstring.h"

class context;
class key_matrix;
class object;
class token;

// A phrase of several words names one thing of the world by their texts
// joined with "_" («красная_лампа», «ручка_двери»).

// The entity's form for the keys: its own, else the best of its words';
// false when none fits.
bool phrase_form(const object& entity, const key_matrix& keys, wstring& text);

// Adds to the token what the name stands for around the actor: the word of
// that name, and the entities the actor finds by it (with their reach), all
// with the grammatical keys of `keys`.
void add_named_meanings(context& ctx, const wstring& name, const wstring& keys, token& joined);
