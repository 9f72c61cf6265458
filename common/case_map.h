#pragma once

// Letter case for ASCII and Cyrillic (U+0400 .. U+045F, Ё and ё included)
// from our own tables, whatever the C locale says; other units are kept.
char16_t upper_case(char16_t unit);
char16_t lower_case(char16_t unit);
