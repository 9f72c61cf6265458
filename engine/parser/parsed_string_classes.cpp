// The character classes of a player's line.

#include "parsed_string.h"

// Unlike game code, "-" always joins letters into one word, "_" separates,
// and signs are punctuation of one character each.
wchar_set parsed_string::InputClasses() {
  class_table t;
  t.Range(u'_', 0x0000, 0x0020)
      .Range(u',', u'!', u'~')
      .Chars(u'\'', u"\"")
      .Chars(u'(', u"([{")
      .Chars(u')', u")]}")
      .Chars(u'@', u"-`")
      .Chars(u'_', u"_")
      .Range(u'N', u'0', u'9')
      .Range(u'L', u'A', u'Z')
      .Range(u'L', u'a', u'z')
      .Char(u'?', 0x007F)
      .Cyrillic(u'R');
  return wchar_set(t.Text(), u"(){}[]");
}
