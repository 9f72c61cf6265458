#pragma once

#include "wstring.h"

// The lines of one method in an entity's source: from the section header
// that names it (normalised, spaces as "_") up to the next header, joined
// with CR LF; empty when no header names it.
wstring method_source(const wstring& source, const wstring& method);
