// The base of the combination rules: the pattern, the common match with
// agreement, and the generic joining.

#include "link.h"

#include "token_line.h"

namespace {

// Where the pattern reader stores its items: the three key strings at
// positions -3 to -1, then the elements.
constexpr int first_position = -3;

bool is_blank(char16_t c) { return c == u' ' || c == u'\t'; }
bool ends_item(char16_t c) { return c == u'|' || c == u';'; }

// Keeps the marked entries of the token's key set; true when that removed
// any (the token is then changed).
bool keep_marked(token& t) {
  bool removed = t.keys.KeepMarked(false);
  if (removed) t.changed = true;
  return removed;
}

}  // namespace

link::link(const wstring& pattern, int main_element, const wstring& name, char16_t mode)
    : name_(name), mode_(mode), main_element_(main_element) {
  int position = first_position;
  for (const char16_t* c = pattern.Text(); *c;) {
    while (is_blank(*c)) ++c;
    const char16_t* start = c;
    while (*c && !ends_item(*c)) ++c;
    wstring item;
    item.Assign(start, int(c - start));
    // An item the text ends without a terminator still counts.
    if (!*c && item.IsEmpty()) break;
    StoreItem(position++, item);
    if (*c) ++c;
  }
}

void link::StoreItem(int position, const wstring& item) {
  switch (position) {
    case -3:
      leading_keys_ = item;
      return;
    case -2:
      result_keys_ = item;
      return;
    case -1:
      agreement_keys_ = item;
      return;
  }
  if (position >= max_elements) throw u"link::link() - лишний параметр";
  is_pattern_[position] = item.Length() > 0 && item[0] == u'#';
  if (is_pattern_[position])
    patterns_[position] = key_matrix(item.Text());
  else
    literals_[position] = item;
  element_count_ = position + 1;
}

bool link::Match(context&, token_line& line) const {
  if (line.i + element_count_ > line.Count()) return false;
  for (int e = 0; e < element_count_; ++e) {
    token& t = line[line.i + e];
    if (is_pattern_[e] ? !t.keys.MarkMatching(patterns_[e]) : t.text != literals_[e]) return false;
  }
  if (!agreement_keys_.IsEmpty() && !Agrees(line)) return false;
  for (int e = 0; e < element_count_; ++e) {
    if (!is_pattern_[e]) continue;
    token& t = line[line.i + e];
    keep_marked(t);
    t.DropMeaningsOutsideKeys();
  }
  line.j = line.i + element_count_;
  return true;
}

// The matched entries of every token must agree with those of the main
// token in the agreement keys; the agreeing entries stay marked.
bool link::Agrees(token_line& line) const {
  token& main = line[line.i + main_element_];
  if (is_pattern_[main_element_]) keep_marked(main);
  key_matrix scratch;
  for (int e = 0; e < element_count_; ++e) {
    if (e == main_element_) continue;
    token& other = line[line.i + e];
    if (is_pattern_[e]) keep_marked(other);
    if (key_list::CrossScore(scratch, main.keys, other.keys, agreement_keys_.Text()) == 0) return false;
  }
  return true;
}

bool link::Apply(context& ctx, token_line& line) const {
  if (!Match(ctx, line)) return false;
  token& joined = StartJoined(line);
  for (const op_value& meaning : line[line.i + main_element_].meanings) {
    op_value copy = meaning;
    key_matrix keys;
    keys.AddKey(meaning.keys.Text(), result_keys_.Text());
    keys.AddKey(leading_keys_.Text());
    copy.keys = keys.GetKey();
    joined.AddMeaning(copy);
  }
  joined.RebuildKeys();
  joined.text = MatchedText(line, u" ");
  return joined.meanings.Count() > 0;
}

token& link::StartJoined(token_line& line) const {
  token& joined = line.joined;
  joined.Clear();
  joined.weight = 0;
  for (int n = line.i; n < line.j; ++n) joined.weight += line[n].weight;
  return joined;
}

wstring link::MatchedText(const token_line& line, const char16_t* separator) const {
  wstring text;
  for (int n = line.i; n < line.j; ++n) {
    if (n > line.i) text += separator;
    text += line[n].text;
  }
  return text;
}

void link::Execute(context&, token_line&, op_value&) const {
  throw u"link::Execute() - метод должен быть перегружен!";
}

void link::Remember(context&, token_line&, op_value&) const {
  throw u"link::Remember() - метод должен быть перегружен!";
}
