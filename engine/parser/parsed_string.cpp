// A player's command: its line, its tokens, the description of its known
// words, and the phases of the chosen reading.

#include "parsed_string.h"

#include "c_index.h"
#include "context.h"
#include "failure_text.h"
#include "keyword_table.h"
#include "object.h"

namespace {

// The first keyword a word's class may stand for, and the last.
constexpr int first_tag_keyword = kw::result_no;
constexpr int last_tag_keyword = kw::rel_part;

void append_element(wstring& list, const wstring& element) {
  if (!list.IsEmpty()) list += u',';
  list += element;
}

// The word-information element of a text that is only itself.
wstring plain_text_element(const wstring& text) {
  wstring element(u"[1,\"string\",\"");
  for (int n = 0; n < text.Length(); ++n) {
    // A quote or backslash the player typed must not end the JSON text.
    if (text[n] == u'"' || text[n] == u'\\') element += u'\\';
    element += text[n];
  }
  element += u"\",\"i\"]";
  return element;
}

}  // namespace

parsed_string::busy_mark::busy_mark(bool& flag) : flag_(flag) {
  if (flag_) throw u"parsed_string::Parsing() разбор уже идёт!";
  flag_ = true;
}

parsed_string::parsed_string(world& home, interpreter& runner, const system_factory& rules)
    : tokenizer(InputClasses()),
      world_(home),
      runner_(runner),
      rules_(rules),
      tokens_(std::make_unique<token_line>(*this)) {
  for (int code = first_tag_keyword; code <= last_tag_keyword; ++code) {
    keyword_names_.Insert(keyword_names_.Count(), context::NormalisedName(kw::at(code).english));
    keyword_names_.Insert(keyword_names_.Count(), context::NormalisedName(kw::at(code).russian));
  }
}

parsed_string::~parsed_string() { DropLines(); }

void parsed_string::SetLine(const wstring& line) { line_ = line; }

// Children are made after their parents, so dropping from the last line
// back never leaves a line without its parent.
void parsed_string::DropLines() {
  while (!lines_.empty()) lines_.pop_back();
  complete_.Clear();
  chosen_ = nullptr;
  tokens_->Clear();
  too_long_ = false;
  applications_ = 0;
  lines_made_ = 0;
}

wstring parsed_string::SetUpLine(context& ctx) {
  DropLines();
  if (last_input) *last_input = line_;
  wstring lowered = line_;
  lowered.ToLower(true);
  // What the player types is no code: a character or bracket the tokenizer
  // refuses is the player's mistake, told like any other.
  wstring refusal = run_guarded([&] { Scan(lowered.Text()); });
  if (!refusal.IsEmpty()) return refusal;
  if (too_long_) return wstring(too_long);
  FillTokens(ctx);
  return wstring();
}

wstring parsed_string::DescribeWords(context& ctx) {
  busy_mark running(busy_);
  const bool mode = word_information_mode;
  word_information_mode = true;
  word_information.Clear();
  SetUpLine(ctx);
  word_information_mode = mode;
  return word_information;
}

bool parsed_string::OnLexeme(const char16_t* start, int length, bool pure_russian, char16_t kind) {
  if (tokens_->Count() == max_tokens) {
    too_long_ = true;
    return true;
  }
  token& t = tokens_->Insert(tokens_->Count(), token());
  t.kind = kind;
  t.russian = pure_russian;
  t.text.Assign(start, length);
  return false;
}

void parsed_string::FillTokens(context& ctx) {
  int last_preposition = -1;
  for (int n = 0; n < tokens_->Count(); ++n) {
    token& t = (*tokens_)[n];
    FillMeanings(ctx, t, last_preposition < 0 ? no_preposition : n - last_preposition);
    if (t.preposition) last_preposition = n;
  }
  if (word_information_mode) CollectWordInformation();
}

void parsed_string::CollectWordInformation() {
  word_information = wstring();
  c_index<object*, object*> described;
  c_index<wstring, wstring> plain_texts;
  int pos;
  for (const token& t : *tokens_) {
    for (const op_value& meaning : t.meanings) {
      int type = meaning.v.Type();
      if (type == kw::type_string) {
        if (meaning.v.Text() == t.text && plain_texts.Add(t.text, pos))
          append_element(word_information, plain_text_element(t.text));
        continue;
      }
      object* entity = meaning.v.GetEntity();
      if (!kw::is_entity_type(type) || !entity || !described.Add(entity, pos)) continue;
      wstring element;
      entity->WriteObjectTree(element, 1, type != kw::type_word && type != kw::type_preposition);
      append_element(word_information, element);
    }
  }
}

void parsed_string::Execute(context& ctx, op_value& result) {
  busy_mark running(busy_);
  if (last_input) *last_input = line_;
  if (!chosen_) throw u"parsed_string::Execute() error: 1!";
  chosen_->Execute(ctx, result);
}

void parsed_string::Remember(context& ctx, op_value& result) {
  busy_mark running(busy_);
  if (last_input) *last_input = line_;
  if (!chosen_) throw u"parsed_string::Remember() error: 1!";
  chosen_->Remember(ctx, result);
}
