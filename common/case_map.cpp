#include "case_map.h"

// ASCII letters, Cyrillic А-Я/а-я (U+0410..U+042F / U+0430..U+044F) and the
// letters with marks Ѐ-Џ/ѐ-џ (U+0400..U+040F / U+0450..U+045F), Ё/ё among them.

char16_t upper_case(char16_t unit) {
  if (unit >= u'a' && unit <= u'z') return char16_t(unit - 0x20);
  if (unit >= 0x0430 && unit <= 0x044F) return char16_t(unit - 0x20);
  if (unit >= 0x0450 && unit <= 0x045F) return char16_t(unit - 0x50);
  return unit;
}

char16_t lower_case(char16_t unit) {
  if (unit >= u'A' && unit <= u'Z') return char16_t(unit + 0x20);
  if (unit >= 0x0410 && unit <= 0x042F) return char16_t(unit + 0x20);
  if (unit >= 0x0400 && unit <= 0x040F) return char16_t(unit + 0x50);
  return unit;
}
