#include "union_objects.h"

// What a conjunction would join is not settled, so it joins nothing and the
// values on both sides stay separate tokens.
bool union_objects::Apply(context&, token_line&) const { return false; }
