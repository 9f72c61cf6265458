#pragma once

#include <vector>

#include "wstring.h"

// A command as the words the player typed, the way the session rewrites a
// command the parser could not read into commands it can: «X и Y» into one
// command per thing, a clarifying answer into the question's command.
struct typed_word {
  wstring text;
  bool preposition = false;
  bool sign = false;
  // A string the player put in quotes (text without them).
  bool quoted = false;
};
using typed_words = std::vector<typed_word>;

// The words joined with blanks: a command again.
wstring joined_words(const typed_words& words);

// «положи лампу и ключ в сундук»: the command for the thing before «и»
// («положи лампу в сундук») and the commands that may be meant for the
// rest («положи ключ в сундук»), the thing before «и» taken as its last
// word first, then as more words up to the verb («красную лампу»). A
// conjunct runs up to a preposition, a sign, another «и» or the line's end,
// and may repeat the preposition before the first («о ключе и о горелке»);
// a list «лампу, ключ и нож» is read as «лампу и ключ и нож». False when
// the line has no such «и».
bool split_conjunction(const typed_words& line, typed_words& first, std::vector<typed_words>& seconds);

// How many things the line lists at most: one more than its «и» and the
// commas of its lists.
size_t things_listed(const typed_words& line);

// Whether an answer of one or two words names one of the things a reply
// «неоднозначно: …» offered: each word shares its beginning (three letters,
// or the whole of a shorter word) with a word of that reply.
bool answer_picks(const wstring& ambiguity, const typed_words& answer);

// The commands an answer may complete, most likely first: the answer put
// before one of the question's words («возьми лампу» and «красную» make
// «возьми красную лампу»), then in place of one of them.
std::vector<typed_words> completions(const typed_words& question, const typed_words& answer);

// What a pronoun stands for: its number, the genders of a singular thing it
// fits (letters of the key "р": М, Ж, С) and the cases it may be in (letters
// of the key "п"), most likely first.
struct pronoun_use {
  bool plural = false;
  bool singular = false;
  wstring genders;
  wstring cases;
};
// False for a word that is no pronoun of a thing (normalised text).
bool pronoun_of(const wstring& word, pronoun_use& use);

// Whether the line asks what the player carries: «что у меня», «что я
// несу», «что в руках» and the like, with or without «?».
bool asks_for_inventory(const typed_words& line);
