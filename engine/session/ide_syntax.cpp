// The readings of the last command as the development environment shows
// them. They are read from the parser when asked for, so ordinary turns
// pay nothing for them.

#include "ide_syntax.h"

#include <algorithm>

#include "json_text.h"
#include "keyword_table.h"
#include "parsed_string.h"
#include "world.h"

namespace {

wstring character_name(const world& home, int32_t id) {
  const object* character = id ? home.FindById(id) : nullptr;
  return character ? character->Name() : wstring(u"-");
}

// A token whose heaviest meanings are several is one the reading left
// open.
bool is_uncertain(const token& t) {
  int32_t heaviest = 0;
  int count = 0;
  for (const op_value& meaning : t.meanings) {
    if (meaning.weight > heaviest) {
      heaviest = meaning.weight;
      count = 0;
    }
    if (meaning.weight == heaviest) ++count;
  }
  return count > 1;
}

void write_token(wstring& out, const token& t, world& home) {
  out += u'[';
  wstring text(t.text);
  if (is_uncertain(t)) text += u'?';
  append_json_text(out, text);
  for (const op_value& meaning : t.meanings) {
    out += u",[";
    append_json_number(out, meaning.weight);
    out += u',';
    append_json_text(out, kw::at(meaning.v.Type()).english);
    out += u',';
    append_json_text(out, meaning.v.ShortText(&home));
    out += u',';
    wstring keys(u"#");
    keys += meaning.keys;
    append_json_text(out, keys);
    out += u']';
  }
  out += u']';
}

// A reading's errors are those of its line and of the lines it was made
// from; the heaviest are those the player is told about.
int32_t heaviest_error(const token_line& line) {
  int32_t heaviest = 0;
  for (const token_line* from = &line; from; from = from->Parent()) heaviest = std::max(heaviest, from->HighestErrorWeight());
  return heaviest;
}

void write_errors(wstring& out, const token_line& line) {
  const int32_t heaviest = heaviest_error(line);
  wstring errors;
  for (const token_line* from = &line; from; from = from->Parent())
    for (const error_item& error : from->errors) {
      errors += u",[";
      append_json_number(errors, error.weight);
      errors += u',';
      append_json_text(errors, error.text);
      errors += u',';
      append_json_text(errors, error.weight == heaviest ? wstring(u"видна") : wstring());
      errors += u']';
    }
  if (errors.IsEmpty()) return;
  out += u",[\"ошибки:\"";
  out += errors;
  out += u']';
}

// The input words the reading's tokens stand for.
int32_t words_covered(const token_line& line) {
  int32_t words = 0;
  for (const token& t : line) words += t.weight;
  return words;
}

void write_reading(wstring& out, const token_line& line, bool chosen, world& home) {
  out += u'[';
  for (int32_t id : line.characters) {
    append_json_text(out, character_name(home, id));
    out += u',';
  }
  if (chosen) {
    append_json_text(out, wstring(u"выбрано"));
    out += u',';
    append_json_number(out, words_covered(line));
    out += u',';
    append_json_number(out, heaviest_error(line));
  } else {
    out += u"false,false,false";
  }
  for (const token& t : line) {
    out += u',';
    write_token(out, t, home);
  }
  write_errors(out, line);
  out += u']';
}

}  // namespace

wstring syntax_json(parsed_string& input) {
  wstring out(u"[");
  world& home = input.World();
  const token_line* chosen = input.Chosen();
  int written = 0;
  // The words as typed, each with all its meanings, come first: the
  // complete readings have most of them joined.
  if (input.Tokens().Count() > 0) {
    write_reading(out, input.Tokens(), false, home);
    ++written;
  }
  bool chosen_listed = false;
  for (const token_line* line : input.CompleteLines()) {
    if (written++ > 0) out += u',';
    chosen_listed = chosen_listed || line == chosen;
    write_reading(out, *line, line == chosen, home);
  }
  // A reading chosen for want of a one-token line is a copy of a complete
  // one, made after the search.
  if (chosen && !chosen_listed) {
    if (written > 0) out += u',';
    write_reading(out, *chosen, true, home);
  }
  out += u']';
  return out;
}
