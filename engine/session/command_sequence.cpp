#include "command_sequence.h"

namespace {

// The words that, after a comma, start the next command.
const char16_t* const sequence_words[] = {u"затем", u"потом"};

bool is_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool is_letter(char16_t c) { return (c >= u'а' && c <= u'я') || (c >= u'А' && c <= u'Я') || c == u'ё' || c == u'Ё'; }

// The part without surrounding blanks and closing exclamation marks.
wstring trimmed_part(const wstring& line, int start, int end) {
  while (start < end && is_blank(line[start])) ++start;
  while (end > start && (is_blank(line[end - 1]) || line[end - 1] == u'!')) --end;
  return line.Mid(start, end - start);
}

// The length of ", затем " or ", потом " at pos (the comma), 0 when none.
int sequence_word_at(const wstring& line, int pos) {
  if (line[pos] != u',') return 0;
  int word = pos + 1;
  while (word < line.Length() && is_blank(line[word])) ++word;
  for (const char16_t* candidate : sequence_words) {
    const int n = wide_length(candidate);
    if (word + n > line.Length()) continue;
    wstring found = line.Mid(word, n);
    found.ToLower(true);
    if (found != candidate) continue;
    if (word + n < line.Length() && is_letter(line[word + n])) continue;
    return word + n - pos;
  }
  return 0;
}

// The length of the full stop (or ellipsis) at pos that ends a command: one
// followed by a blank, a letter or the end; dots inside a name such as
// "../" end nothing (0).
int full_stop_at(const wstring& line, int pos) {
  int end = pos;
  while (end < line.Length() && line[end] == u'.') ++end;
  if (end < line.Length() && !is_blank(line[end]) && !is_letter(line[end])) return 0;
  return end - pos;
}

}  // namespace

std::vector<wstring> split_commands(const wstring& line) {
  std::vector<wstring> parts;
  char16_t closing_quote = 0;
  int start = 0;
  const auto close_part = [&](int end) {
    wstring part = trimmed_part(line, start, end);
    if (!part.IsEmpty()) parts.push_back(part);
  };
  for (int pos = 0; pos < line.Length(); ++pos) {
    const char16_t c = line[pos];
    if (closing_quote) {
      if (c == closing_quote) closing_quote = 0;
      continue;
    }
    if (c == u'"' || c == u'«') {
      closing_quote = c == u'"' ? u'"' : u'»';
      continue;
    }
    int skip = c == u'.' ? full_stop_at(line, pos) : c == u';' ? 1 : sequence_word_at(line, pos);
    if (skip == 0) {
      while (c == u'.' && pos + 1 < line.Length() && line[pos + 1] == u'.') ++pos;
      continue;
    }
    close_part(pos);
    start = pos + skip;
    pos = start - 1;
  }
  close_part(line.Length());
  if (parts.empty()) parts.push_back(line);
  return parts;
}
