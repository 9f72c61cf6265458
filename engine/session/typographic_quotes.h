#pragma once

#include "wstring.h"

// The parser's replies as a careful text shows them: straight double quotes
// become «…» (opening and closing in turn, mark-up tags left alone) and
// three full stops one ellipsis character.
wstring typographic_quotes(const wstring& text);
