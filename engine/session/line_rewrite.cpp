#include "line_rewrite.h"

namespace {

// Letters a word of the answer and a word of the question share at least.
constexpr int shared_beginning = 3;

struct pronoun_row {
  const char16_t* word;
  pronoun_use use;
};

// Written as the line is normalised: «ё» is «е». «это» fits any thing.
const pronoun_row pronouns[] = {
    {u"его", {false, true, u"МС", u"ВР"}},   {u"него", {false, true, u"МС", u"ВР"}},
    {u"ее", {false, true, u"Ж", u"ВР"}},     {u"нее", {false, true, u"Ж", u"ВР"}},
    {u"ней", {false, true, u"Ж", u"ТПД"}},   {u"нем", {false, true, u"МС", u"П"}},
    {u"ему", {false, true, u"МС", u"Д"}},    {u"нему", {false, true, u"МС", u"Д"}},
    {u"им", {true, true, u"МС", u"ТД"}},     {u"ним", {true, true, u"МС", u"ТД"}},
    {u"их", {true, false, u"", u"ВР"}},      {u"них", {true, false, u"", u"ВРП"}},
    {u"ими", {true, false, u"", u"Т"}},      {u"ними", {true, false, u"", u"Т"}},
    {u"это", {true, true, u"МЖС", u"ВИ"}},
};

// Questions about what the player carries, as the line is normalised.
const char16_t* const inventory_questions[] = {
    u"что у меня",    u"что у меня есть", u"что у меня с собой", u"что у меня в руках", u"что в руках",
    u"что я несу",    u"что я нес",      u"что со мной",        u"что при мне",         u"что с собой",
    u"что я взял",    u"что у меня в карманах", u"что в карманах",
};

bool is_conjunction(const typed_word& word) { return !word.sign && word.text == u"и"; }
bool is_comma(const typed_word& word) { return word.sign && word.text == u","; }

// A comma inside a list of things, «лампу, ключ и нож»: later in the line
// an «и» follows, and the comma is not the one after an address («Вася,
// возьми …», the line's second word).
bool is_list_comma(const typed_words& line, int pos) {
  if (!is_comma(line[pos]) || pos < 2) return false;
  for (int next = pos + 1; next < int(line.size()); ++next) {
    if (is_conjunction(line[next])) return true;
    if (line[next].sign) return false;
  }
  return false;
}

// Where the command begins: after an address to a character.
int command_start(const typed_words& line, int before) {
  int start = 0;
  for (int pos = 0; pos < before; ++pos)
    if (is_comma(line[pos]) && !is_list_comma(line, pos)) start = pos + 1;
  return start;
}

bool ends_conjunct(const typed_word& word) { return word.preposition || word.sign || is_conjunction(word); }

// The preposition before the conjunct that ends before `at` («о» in «о
// ключе и о горелке»); empty when none.
wstring leading_preposition(const typed_words& line, int at) {
  int pos = at - 1;
  while (pos >= 0 && !ends_conjunct(line[pos])) --pos;
  return pos >= 0 && line[pos].preposition ? line[pos].text : wstring();
}

// 1 when the word at pos repeats the preposition, else 0.
int repeated_preposition(const typed_words& line, int pos, const wstring& preposition) {
  const bool repeats = !preposition.IsEmpty() && pos < int(line.size()) && line[pos].preposition &&
                       line[pos].text == preposition;
  return repeats ? 1 : 0;
}

typed_words slice(const typed_words& line, int from, int to) {
  return typed_words(line.begin() + from, line.begin() + to);
}

void append(typed_words& to, const typed_words& line, int from, int to_pos) {
  to.insert(to.end(), line.begin() + from, line.begin() + to_pos);
}

int shared_length(const wstring& a, const wstring& b) {
  int n = 0;
  while (n < a.Length() && n < b.Length() && a[n] == b[n]) ++n;
  return n;
}

bool is_letter(char16_t c) { return (c >= u'а' && c <= u'я') || c == u'ё' || (c >= u'a' && c <= u'z'); }

std::vector<wstring> words_of(const wstring& text) {
  wstring lower(text);
  lower.ToLower(true);
  std::vector<wstring> words;
  int start = -1;
  for (int pos = 0; pos <= lower.Length(); ++pos) {
    const bool letter = pos < lower.Length() && is_letter(lower[pos]);
    if (letter && start < 0) start = pos;
    if (!letter && start >= 0) {
      words.push_back(lower.Mid(start, pos - start));
      start = -1;
    }
  }
  return words;
}

}  // namespace

wstring joined_words(const typed_words& words) {
  wstring text;
  for (const typed_word& word : words) {
    if (!text.IsEmpty()) text += u" ";
    if (word.quoted) text += u"\"";
    text += word.text;
    if (word.quoted) text += u"\"";
  }
  return text;
}

bool split_conjunction(const typed_words& source, typed_words& first, std::vector<typed_words>& seconds) {
  typed_words line(source);
  for (int pos = 0; pos < int(line.size()); ++pos)
    if (is_list_comma(line, pos)) line[pos] = typed_word{u"и", false, false, false};
  const int count = int(line.size());
  for (int at = 1; at + 1 < count; ++at) {
    if (!is_conjunction(line[at])) continue;
    const int verb = command_start(line, at);
    if (at - 1 <= verb || ends_conjunct(line[at - 1])) continue;
    // The list ends after its last conjunct; a conjunct may repeat the
    // preposition of the first («о ключе и о горелке»).
    const wstring lead = leading_preposition(line, at);
    int list_end = at;
    while (list_end < count && is_conjunction(line[list_end])) {
      const int start = list_end + 1 + repeated_preposition(line, list_end + 1, lead);
      int next = start;
      while (next < count && !ends_conjunct(line[next])) ++next;
      if (next == start) break;
      list_end = next;
    }
    if (list_end == at) continue;
    first = slice(line, 0, at);
    append(first, line, list_end, count);
    seconds.clear();
    const int rest = at + 1 + repeated_preposition(line, at + 1, lead);
    for (int left = at - 1; left > verb && !ends_conjunct(line[left]); --left) {
      typed_words second = slice(line, 0, left);
      append(second, line, rest, count);
      seconds.push_back(second);
    }
    return true;
  }
  return false;
}

size_t things_listed(const typed_words& line) {
  size_t count = 1;
  for (int pos = 1; pos + 1 < int(line.size()); ++pos)
    if (is_conjunction(line[pos]) || is_list_comma(line, pos)) ++count;
  return count;
}

bool answer_picks(const wstring& ambiguity, const typed_words& answer) {
  if (answer.empty() || answer.size() > 2) return false;
  const std::vector<wstring> offered = words_of(ambiguity);
  for (const typed_word& word : answer) {
    if (word.sign || word.preposition) return false;
    const int needed = word.text.Length() < shared_beginning ? word.text.Length() : shared_beginning;
    bool found = false;
    for (const wstring& candidate : offered)
      if (candidate != u"неоднозначно" && candidate != u"или" && shared_length(word.text, candidate) >= needed)
        found = true;
    if (!found) return false;
  }
  return true;
}

std::vector<typed_words> completions(const typed_words& question, const typed_words& answer) {
  std::vector<typed_words> made;
  for (bool replace : {false, true}) {
    for (int pos = 1; pos < int(question.size()); ++pos) {
      if (question[pos].sign || question[pos].preposition) continue;
      typed_words line = slice(question, 0, pos);
      append(line, answer, 0, int(answer.size()));
      append(line, question, replace ? pos + 1 : pos, int(question.size()));
      made.push_back(line);
    }
  }
  return made;
}

bool pronoun_of(const wstring& word, pronoun_use& use) {
  for (const pronoun_row& row : pronouns) {
    if (word != row.word) continue;
    use = row.use;
    return true;
  }
  return false;
}

bool asks_for_inventory(const typed_words& line) {
  typed_words words(line);
  while (!words.empty() && words.back().sign && words.back().text == u"?") words.pop_back();
  for (const typed_word& word : words)
    if (word.quoted) return false;
  const wstring text = joined_words(words);
  for (const char16_t* question : inventory_questions)
    if (text == question) return true;
  return false;
}
