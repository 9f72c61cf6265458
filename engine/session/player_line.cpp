// The player's line beyond one plain command: several commands in a line,
// pronouns, «всё», «X и Y», a trailing question mark and the answer to a
// clarifying question. Each acts only where the plain command was not
// understood or was asked about, so every game keeps its own readings.

#include "command_sequence.h"
#include "key_matrix.h"
#include "keyword_table.h"
#include "location.h"
#include "object.h"
#include "player_command.h"
#include "session.h"

namespace {

// «всё» and «все» as the line is normalised.
const char16_t* const everything_word = u"все";
const char16_t* const except_word = u"кроме";
const char16_t* const conjunction_word = u"и";
const char16_t* const ambiguity_mark = u"неоднозначно: ";
const char16_t* const no_referent_reply = u"Непонятно, кого или что вы имеете в виду.";
const char16_t* const inventory_command = u"инвентарь";
// Things further down than this inside other things are not looked for.
constexpr int max_thing_depth = 16;
// A list of things longer than this, or a thing of more words, is not
// taken apart: each try parses the line again.
constexpr size_t max_conjuncts = 12;
constexpr size_t max_conjunct_words = 4;
// Pronouns look back over this many things named.
constexpr size_t max_named_things = 8;

constexpr char16_t number_key = u'ч';
constexpr char16_t gender_key = u'р';
constexpr char16_t plural = u'М';
constexpr char16_t verb_form_key = u'в';
constexpr char16_t imperative = u'П';
constexpr char16_t infinitive = u'И';
constexpr char16_t case_key = u'п';
constexpr char16_t nominative = u'И';
constexpr char16_t word_class_key = u'ф';
constexpr char16_t full_adjective = u'Л';

bool is_plural(const op_value& thing) { return key_matrix(thing.keys.Text()).GetMarker(number_key) == plural; }

bool fits_gender(const op_value& thing, const wstring& genders) {
  const char16_t gender = key_matrix(thing.keys.Text()).GetMarker(gender_key);
  return !gender || genders.Find(gender) >= 0;
}

// Every object in and on the holder, and in and on those, except the player.
void gather_things(const object& holder, const object* player, std::vector<object*>& things, int depth) {
  if (depth > max_thing_depth) return;
  for (const auto* list : {&holder.inside, &holder.outside})
    for (object* thing : *list) {
      if (thing == player) continue;
      if (thing->Type() == kw::type_object) things.push_back(thing);
      gather_things(*thing, player, things, depth + 1);
    }
}

// Whether the holder's name in the genitive, as after «из» and «с», ends
// with the word.
bool named_by(const wstring& name, const wstring& word) {
  wstring lower(name);
  lower.ToLower(true);
  if (lower == word) return true;
  const wstring last_word = wstring(u" ") + word.Text();
  return lower.Length() > last_word.Length() && lower.Right(last_word.Length()) == last_word;
}

bool is_understood(const value& result) { return !is_parse_failure(result); }

// The objects among the meanings of a token, each once.
void add_objects(const token& t, std::vector<const object*>& things) {
  for (const op_value& meaning : t.meanings) {
    const object* thing = meaning.v.Type() == kw::type_object ? meaning.v.GetEntity() : nullptr;
    if (thing && std::find(things.begin(), things.end(), thing) == things.end()) things.push_back(thing);
  }
}

// «, кроме лампы» or «, кроме лампы и ключа,» after «всё» at `at`: taken
// out of the command, up to a preposition or the end; the words of each
// thing left out.
std::vector<std::vector<wstring>> take_exception(typed_words& command, size_t at) {
  std::vector<std::vector<wstring>> excluded;
  for (size_t pos = at + 1; pos < command.size(); ++pos) {
    if (command[pos].sign || command[pos].text != except_word) continue;
    size_t end = pos + 1;
    excluded.emplace_back();
    for (; end < command.size() && !command[end].preposition; ++end) {
      const bool separator = command[end].sign || command[end].text == conjunction_word;
      if (!separator) excluded.back().push_back(command[end].text);
      else if (!excluded.back().empty()) excluded.emplace_back();
    }
    if (excluded.back().empty()) excluded.pop_back();
    const size_t from = command[pos - 1].sign && command[pos - 1].text == u"," ? pos - 1 : pos;
    command.erase(command.begin() + from, command.begin() + end);
    break;
  }
  return excluded;
}

// «всё из буфета», «всё со стола»: the last word naming where the things
// are taken from; empty when the command names no such place.
wstring source_word(const typed_words& command, size_t at) {
  size_t pos = at + 1;
  if (pos >= command.size() || !command[pos].preposition) return wstring();
  const wstring& preposition = command[pos].text;
  if (preposition != u"из" && preposition != u"с" && preposition != u"со") return wstring();
  wstring word;
  for (++pos; pos < command.size() && !command[pos].sign && !command[pos].preposition; ++pos) word = command[pos].text;
  return word;
}

}  // namespace

std::vector<wstring> session::CommandsOfLine() const {
  const wstring& line = current_command;
  if (!world_ || !in_game || line.IsEmpty() || line[0] == u'*' || line[0] == u'/' || line[0] == u'\\' ||
      Normalised(line).Mid(0, 4) == u"ide=")
    return {line};
  return split_commands(line);
}

value session::RunPlayerLine(context& ctx) {
  parsed = true;
  typed_words question;
  question.swap(memory_.question);
  const wstring ambiguity = memory_.ambiguity;
  memory_.ambiguity.Clear();
  value result;
  if (question.empty() || !CompleteQuestion(ctx, question, ambiguity, result)) {
    const kept_characters typed(ctx);
    result = run_player_command(*parsed_input, ctx, current_command, in_game);
    if (is_understood(result))
      RememberNamed(NamedThings());
    else
      RunRewritten(ctx, typed, result);
  }
  if (!is_understood(result)) command_failed_ = true;
  return result;
}

// «красную» after «неоднозначно: красная лампа или синяя лампа».
bool session::CompleteQuestion(context& ctx, const typed_words& question, const wstring& ambiguity,
                               value& result) {
  typed_words answer;
  wstring normalised = Normalised(current_command);
  normalised.Trim();
  int start = 0;
  for (int pos = 0; pos <= normalised.Length(); ++pos) {
    if (pos < normalised.Length() && normalised[pos] != u' ') continue;
    if (pos > start) answer.push_back(typed_word{normalised.Mid(start, pos - start)});
    start = pos + 1;
  }
  if (!answer_picks(ambiguity, answer)) return false;
  for (const typed_words& line : completions(question, answer))
    if (TryCommand(ctx, joined_words(line), result)) return true;
  return false;
}

// Reading a line sets the characters of the context (who speaks to whom),
// so each rewrite starts from those the typed command started from.
bool session::RunRewritten(context& ctx, const kept_characters& typed, value& result) {
  typed_words words = TypedWords();
  // What players type loosely: «Федя иди за мной» without the comma,
  // «возьми железный ключ» with a word the game never gave the key. The
  // mended line is tried as it is and then rewritten as any other. Both
  // read words alone in lines of three words or more, and the error reply
  // then needs the line read again.
  bool tried = words.size() > 2;
  const bool address_mended = AddCommaAfterAddress(ctx, words);
  const bool adjectives_dropped = DropUnknownAdjectives(ctx, words);
  if (address_mended || adjectives_dropped) {
    typed.RestoreTo(ctx);
    if (TryCommand(ctx, joined_words(words), result)) return true;
  }
  // Actions are told apart before a pronoun is looked for: it may name
  // what an earlier action of the line named.
  for (auto rewrite : {&session::RunWithoutQuestionMark, &session::RunInventoryQuestion, &session::RunJoinedCommands,
                       &session::RunWithPronoun, &session::RunForEverything, &session::RunForEachConjunct,
                       &session::RunWithoutReferent}) {
    typed.RestoreTo(ctx);
    if ((this->*rewrite)(ctx, words, tried, result)) return true;
  }
  // The error reply reads the readings of the command as typed.
  typed.RestoreTo(ctx);
  if (tried) {
    parsed_input->SetLine(current_command);
    op_value parsed;
    parsed_input->Parsing(ctx, parsed);
  }
  return false;
}

// «Федя иди за мной»: a thing named in the nominative, then a verb; the
// comma of an address goes between them.
bool session::AddCommaAfterAddress(context& ctx, typed_words& words) {
  if (words.size() < 3 || words[0].sign || words[0].preposition || words[0].quoted || words[1].sign) return false;
  if (!NamesThingInNominative(ctx, words[0]) || !StartsWithVerb(ctx, words[1])) return false;
  words.insert(words.begin() + 1, typed_word{u",", false, true, false});
  return true;
}

bool session::NamesThingInNominative(context& ctx, const typed_word& word) {
  parsed_input->SetLine(word.text);
  op_value parsed;
  parsed_input->Parsing(ctx, parsed);
  for (const token& t : parsed_input->Tokens())
    for (const op_value& meaning : t.meanings)
      if (meaning.v.Type() == kw::type_object && key_matrix(meaning.keys.Text()).GetMarker(case_key) == nominative)
        return true;
  return false;
}

// «возьми железный ключ»: an adjective the dictionary knows but the game
// gave no thing, before another word, is left out; the noun still names
// the thing (or asks which one is meant).
bool session::DropUnknownAdjectives(context& ctx, typed_words& words) {
  bool dropped = false;
  for (size_t pos = 1; pos + 1 < words.size(); ++pos) {
    const typed_word& next = words[pos + 1];
    if (next.sign || next.preposition || !IsUnknownAdjective(ctx, words[pos])) continue;
    words.erase(words.begin() + pos);
    --pos;
    dropped = true;
  }
  return dropped;
}

bool session::IsUnknownAdjective(context& ctx, const typed_word& word) {
  if (word.sign || word.preposition || word.quoted || word.text == conjunction_word) return false;
  parsed_input->SetLine(word.text);
  op_value parsed;
  parsed_input->Parsing(ctx, parsed);
  bool adjective = false;
  for (const token& t : parsed_input->Tokens())
    for (const op_value& meaning : t.meanings) {
      // Its own text is a meaning of every word.
      if (meaning.v.Type() == kw::type_string) continue;
      if (meaning.v.Type() != kw::type_word) return false;
      adjective = adjective || key_matrix(meaning.keys.Text()).GetMarker(word_class_key) == full_adjective;
    }
  return adjective;
}

// «с ?» is «с» when the question mark does not make a question of it.
bool session::RunWithoutQuestionMark(context& ctx, const typed_words& words, bool& tried, value& result) {
  if (words.size() < 2 || !words.back().sign || words.back().text != u"?") return false;
  tried = true;
  wstring command = joined_words(typed_words(words.begin(), words.end() - 1));
  if (const wstring* expansion = abbreviations_.Expansion(command)) command = *expansion;
  return TryCommand(ctx, command, result);
}

bool session::RunWithPronoun(context& ctx, const typed_words& words, bool& tried, value& result) {
  const kept_characters typed(ctx);
  for (size_t pos = 1; pos < words.size(); ++pos) {
    pronoun_use use;
    if (words[pos].sign || !pronoun_of(words[pos].text, use)) continue;
    const std::vector<op_value> things = Referents(use);
    if (things.empty()) return false;
    tried = true;
    std::vector<wstring> commands;
    for (const op_value& thing : things) commands.push_back(CommandForThing(ctx, typed, words, pos, thing, use.cases));
    typed.RestoreTo(ctx);
    if (commands.size() > 1) return RunForEach(ctx, commands, each_mode::labelled, result);
    // One thing: its command as if typed, refusal included.
    parsed_input->SetLine(commands[0]);
    op_value parsed;
    parsed_input->Parsing(ctx, parsed);
    result = is_understood(parsed.v) ? run_parsed_command(*parsed_input, ctx, parsed, in_game) : parsed.v;
    if (is_understood(result)) RememberNamed(NamedThings());
    return true;
  }
  return false;
}

// «осмотри его» before anything was named: the pronoun stands for nothing.
bool session::RunWithoutReferent(context&, const typed_words& words, bool&, value& result) {
  for (size_t pos = 1; pos < words.size(); ++pos) {
    pronoun_use use;
    if (words[pos].sign || !pronoun_of(words[pos].text, use)) continue;
    if (!Referents(use).empty()) return false;
    result = value::Result(kw::result_fail, wstring(no_referent_reply));
    return true;
  }
  return false;
}

// «что у меня?», «что я несу»: the inventory, when the game has it.
bool session::RunInventoryQuestion(context& ctx, const typed_words& words, bool& tried, value& result) {
  if (!asks_for_inventory(words)) return false;
  tried = true;
  return TryCommand(ctx, inventory_command, result);
}

// «возьми всё», «положи всё в сундук», «возьми всё, кроме лампы».
bool session::RunForEverything(context& ctx, const typed_words& words, bool& tried, value& result) {
  const kept_characters typed(ctx);
  size_t at = 0;
  while (at < words.size() && (words[at].sign || words[at].text != everything_word)) ++at;
  if (at == 0 || at == words.size()) return false;
  const location* here = PlayerLocation();
  if (!here) return false;
  tried = true;
  const wstring idle_verb = IdleVerb(ctx);
  typed_words command(words);
  std::vector<const object*> left_out;
  for (const std::vector<wstring>& phrase : take_exception(command, at)) {
    const std::vector<const object*> named = ThingsNamedBy(ctx, phrase);
    left_out.insert(left_out.end(), named.begin(), named.end());
  }
  const wstring source = source_word(command, at);
  std::vector<object*> things;
  gather_things(*here, Player(), things, 0);
  if (const object* player = Player()) gather_things(*player, player, things, 0);
  std::vector<wstring> commands;
  for (object* thing : things) {
    if (IsPersonLikePlayer(*thing)) continue;
    if (std::find(left_out.begin(), left_out.end(), thing) != left_out.end()) continue;
    if (!source.IsEmpty() && !HeldBy(*thing, source, ctx)) continue;
    op_value named;
    named.v = value::Entity(kw::type_object, thing);
    command[at].text = ThingInCase(named, u'В', ctx);
    commands.push_back(joined_words(command));
  }
  typed.RestoreTo(ctx);
  if (RunForEach(ctx, commands, each_mode::quiet, result)) return true;
  result = value::Result(kw::result_fail, idle_verb.IsEmpty() ? wstring(u"Здесь нет ничего подходящего.")
                                                              : wstring(u"Здесь нечего ") + idle_verb.Text() + u".");
  return true;
}

// Whether the thing is in or on the holder whose name ends with the word
// (genitive, as after «из» and «с»).
bool session::HeldBy(const object& thing, const wstring& word, context& ctx) const {
  context* holder = thing.Parent();
  if (!holder || !holder->IsEntity()) return false;
  object& entity = static_cast<object&>(*holder);
  op_value named;
  named.v = value::Entity(entity.Type(), &entity);
  return named_by(ThingInCase(named, u'Р', ctx), word);
}

// The things words such as «спичек» or «красной лампы» name, read by the
// parser as it reads a command: the phrase the rules made of them all,
// else each thing every word of them names.
std::vector<const object*> session::ThingsNamedBy(context& ctx, const std::vector<wstring>& words) {
  if (words.empty()) return {};
  typed_words phrase;
  for (const wstring& word : words) phrase.push_back(typed_word{word});
  parsed_input->SetLine(joined_words(phrase));
  op_value parsed;
  parsed_input->Parsing(ctx, parsed);
  std::vector<const object*> things;
  for (const token_line* reading : parsed_input->CompleteLines())
    if (reading->Count() == 1) add_objects((*reading)[0], things);
  if (!things.empty()) return things;
  bool first = true;
  const token_line& typed = parsed_input->Tokens();
  for (int n = 0; n < typed.Count(); ++n) {
    std::vector<const object*> named;
    add_objects(typed[n], named);
    if (named.empty()) continue;
    const auto named_before = [&things](const object* thing) {
      return std::find(things.begin(), things.end(), thing) != things.end();
    };
    if (!first) named.erase(std::stable_partition(named.begin(), named.end(), named_before), named.end());
    things.swap(named);
    first = false;
  }
  return things;
}

// «всё» means things: a character of the player's own kind is left out.
bool session::IsPersonLikePlayer(const object& thing) const {
  const object* player = Player();
  return player && player->main_class != 0 && thing.main_class == player->main_class;
}

// «возьми лампу и ключ»: the command for each thing.
bool session::RunForEachConjunct(context& ctx, const typed_words& words, bool& tried, value& result) {
  const kept_characters typed(ctx);
  typed_words first;
  std::vector<typed_words> seconds;
  if (things_listed(words) > max_conjuncts || !split_conjunction(words, first, seconds)) return false;
  tried = true;
  std::vector<wstring> commands{joined_words(first)};
  typed_words rest = ChooseUnderstood(ctx, seconds);
  while (split_conjunction(rest, first, seconds)) {
    commands.push_back(joined_words(first));
    rest = ChooseUnderstood(ctx, seconds);
  }
  commands.push_back(joined_words(rest));
  typed.RestoreTo(ctx);
  return RunForEach(ctx, commands, each_mode::labelled, result);
}

// «открой буфет и возьми спички», «открой буфет, возьми коробок и зажги
// спичку»: actions joined by «и» or commas, run in a row. A comma joins
// only after an action (not after «Вася,»); an address goes with every
// action («Вася, возьми ключ и дай его мне»).
bool session::RunJoinedCommands(context& ctx, const typed_words& words, bool& tried, value& result) {
  const kept_characters typed(ctx);
  std::vector<wstring> commands;
  typed_words address;
  size_t start = 0;
  for (size_t pos = 1; pos + 1 < words.size(); ++pos) {
    const bool comma = words[pos].sign && words[pos].text == u",";
    if (!comma && (words[pos].sign || words[pos].text != conjunction_word)) continue;
    tried = true;
    const typed_words before(words.begin() + start, words.begin() + pos);
    const wstring after = joined_words(typed_words(words.begin() + pos + 1, words.end()));
    // The next action may need this one done first: a verb beginning it is enough.
    if (!StartsWithVerb(ctx, words[pos + 1]) && !ReadsAsAction(ctx, after)) continue;
    if (comma && !ReadsAsAction(ctx, joined_words(before))) {
      if (commands.empty() && address.empty()) address.assign(words.begin(), words.begin() + pos + 1);
      continue;
    }
    commands.push_back(joined_words(before));
    start = pos + 1;
  }
  if (commands.empty()) return false;
  commands.push_back(joined_words(typed_words(words.begin() + start, words.end())));
  for (size_t n = 1; n < commands.size() && !address.empty(); ++n)
    commands[n] = joined_words(address) + u" " + commands[n].Text();
  typed.RestoreTo(ctx);
  RunInSequence(ctx, commands, result);
  return true;
}

// Whether the word, read alone, may be a verb as commands give them (an
// imperative or an infinitive) and names no thing of the world («печь»).
bool session::StartsWithVerb(context& ctx, const typed_word& word) {
  if (word.sign || word.preposition || word.quoted) return false;
  parsed_input->SetLine(word.text);
  op_value parsed;
  parsed_input->Parsing(ctx, parsed);
  bool verb = false;
  for (const token& t : parsed_input->Tokens())
    for (const op_value& meaning : t.meanings) {
      if (meaning.v.Type() == kw::type_object) return false;
      const char16_t form = key_matrix(meaning.keys.Text()).GetMarker(verb_form_key);
      verb = verb || form == imperative || form == infinitive;
    }
  return verb;
}

bool session::ReadsAsAction(context& ctx, const wstring& text) {
  parsed_input->SetLine(Unabbreviated(text));
  op_value parsed;
  parsed_input->Parsing(ctx, parsed);
  return is_understood(parsed.v) && phase_of(parsed) == command_phase::execute;
}

// The first of the commands that is understood; the first when none is.
typed_words session::ChooseUnderstood(context& ctx, const std::vector<typed_words>& candidates) {
  for (size_t n = 0; n < candidates.size() && n < max_conjunct_words; ++n) {
    const typed_words& candidate = candidates[n];
    parsed_input->SetLine(joined_words(candidate));
    op_value parsed;
    parsed_input->Parsing(ctx, parsed);
    if (is_understood(parsed.v)) return candidate;
  }
  return candidates.front();
}

bool session::RunForEach(context& ctx, const std::vector<wstring>& commands, each_mode mode, value& result) {
  std::vector<op_value> named, acted;
  std::vector<output_pool_item> refusals;
  bool any = false;
  bool succeeded = false;
  // Each command is read as the player typed it: an error reply before it
  // turns the characters round for its answer.
  const kept_characters typed(ctx);
  const std::vector<value> common = ThingsEveryCommandNames(ctx, typed, commands);
  for (const wstring& text : commands) {
    typed.RestoreTo(ctx);
    parsed_input->SetLine(text);
    op_value parsed;
    parsed_input->Parsing(ctx, parsed);
    if (!is_understood(parsed.v) && mode == each_mode::quiet) continue;
    any = true;
    const int reply_start = output.Items().Count();
    StartReplyLine();
    if (!is_understood(parsed.v)) {
      ReplyToFailure(ctx, parsed.v);
      continue;
    }
    const std::vector<op_value> things = NamedThings();
    // The reply is told by the thing that differs from command to command
    // («спроси Игната о ключе и горелке»: the key, the burner).
    auto own = things.begin();
    while (own != things.end() && std::find(common.begin(), common.end(), own->v) != common.end()) ++own;
    if (own == things.end()) own = things.begin();
    int label_end = -1;
    if (own != things.end()) {
      wstring label = ThingInCase(*own, u'И', ctx);
      label.ToUpper(true);
      Print(label + u": ");
      label_end = output.Items().Count();
    }
    const value outcome = run_parsed_command(*parsed_input, ctx, parsed, in_game);
    if (label_end >= 0) JoinReplyToLabel(label_end);
    if (!is_understood(outcome)) {
      ReplyToFailure(ctx, outcome);
      if (mode == each_mode::quiet) CutReply(reply_start, refusals);
    } else {
      succeeded = true;
      named.insert(named.end(), things.begin(), things.end());
      if (own != things.end()) acted.push_back(*own);
    }
    if (ctx.state != context::stop_none) {
      result = outcome;
      break;
    }
  }
  if (!any) return false;
  // With nothing done, the refusals say why.
  if (!succeeded)
    for (const output_pool_item& item : refusals) output.AddItem(item.kind, item.print_text, item.speech_text);
  // Every reply is printed: the turn adds none.
  if (ctx.state == context::stop_none) result = value::Result(kw::result_ok, wstring());
  if (succeeded) {
    RememberNamed(named);
    memory_.group = acted;
  }
  // The line goes on only when something was done.
  if (!succeeded) command_failed_ = true;
  return true;
}

// The things every one of the commands names (none when there is only
// one command), each read before any of them runs.
std::vector<value> session::ThingsEveryCommandNames(context& ctx, const kept_characters& typed,
                                                    const std::vector<wstring>& commands) {
  std::vector<value> common;
  if (commands.size() < 2) return common;
  bool first = true;
  for (const wstring& text : commands) {
    typed.RestoreTo(ctx);
    parsed_input->SetLine(text);
    op_value parsed;
    parsed_input->Parsing(ctx, parsed);
    if (!is_understood(parsed.v)) continue;
    std::vector<value> named;
    for (const op_value& thing : NamedThings())
      if (first || std::find(common.begin(), common.end(), thing.v) != common.end()) named.push_back(thing.v);
    common.swap(named);
    first = false;
  }
  return common;
}

void session::RunInSequence(context& ctx, const std::vector<wstring>& commands, value& result) {
  const kept_characters typed(ctx);
  result = value::Result(kw::result_ok, wstring());
  for (auto text = commands.begin(); text != commands.end(); ++text) {
    typed.RestoreTo(ctx);
    const int mark = StartReplyLine();
    const value outcome = RunOneOfSequence(ctx, typed, *text);
    if (!is_understood(outcome)) ReplyToFailure(ctx, outcome);
    // Spaced as separate commands are.
    DropDoubledBreak(mark);
    if (ctx.state != context::stop_none) {
      // A move: what follows goes on in the new place, once the move is
      // done and the place shown.
      if (ctx.state == context::stop_goto) line_rest_.assign(std::next(text), commands.end());
      result = outcome;
      return;
    }
    if (!is_understood(outcome)) {
      command_failed_ = true;
      return;
    }
  }
}

// One action of a row: its pronouns find what the actions before it
// named, and «всё» is each thing.
value session::RunOneOfSequence(context& ctx, const kept_characters& typed, const wstring& typed_text) {
  const wstring text = Unabbreviated(typed_text);
  parsed_input->SetLine(text);
  op_value parsed;
  parsed_input->Parsing(ctx, parsed);
  if (is_understood(parsed.v)) {
    const value outcome = run_parsed_command(*parsed_input, ctx, parsed, in_game);
    if (is_understood(outcome)) RememberNamed(NamedThings());
    return outcome;
  }
  const typed_words words = TypedWords();
  // The reply to the command as typed reads who it was said to.
  const kept_characters as_read(ctx);
  value outcome;
  bool tried = false;
  for (auto rewrite : {&session::RunWithPronoun, &session::RunForEverything, &session::RunWithoutReferent}) {
    typed.RestoreTo(ctx);
    if ((this->*rewrite)(ctx, words, tried, outcome)) return outcome;
  }
  as_read.RestoreTo(ctx);
  if (tried) {
    // The reply reads the readings of the action as typed.
    parsed_input->SetLine(text);
    parsed_input->Parsing(ctx, parsed);
  }
  return parsed.v;
}

// The output printed since start, taken out and kept.
void session::CutReply(int start, std::vector<output_pool_item>& kept) {
  auto& items = output.Items();
  for (int n = start; n < items.Count(); ++n) kept.push_back(items[n]);
  while (items.Count() > start) items.Delete(start);
}

// Each thing's reply on a line of its own.
int session::StartReplyLine() {
  if (!output.PrintedOutsideLocation()) return -1;
  Print(wstring(u"\n"));
  return output.Items().Count();
}

// Game text begins with a line break; after a thing's name it goes on the
// same line, as a sentence.
void session::JoinReplyToLabel(int label_end) {
  auto& items = output.Items();
  int n = label_end;
  while (n < items.Count() && items[n].print_text == u" ") ++n;
  if (n < items.Count() && items[n].print_text == u"\n") items.Delete(n);
  while (n < items.Count() && items[n].kind != output_pool::word_kind) {
    if (items[n].print_text == u"\n") return;
    ++n;
  }
  if (n < items.Count()) items[n].print_text.ToUpper(true);
}

int session::SeparateFromPreviousCommand() {
  int mark = -1;
  if (output.PrintedOutsideLocation()) {
    Print(wstring(u"\n"));
    mark = output.Items().Count();
  }
  output.StartNextCommand();
  return mark;
}

// Game text begins with its own line break: one is enough.
void session::DropDoubledBreak(int mark) {
  auto& items = output.Items();
  if (mark > 0 && mark < items.Count() && items[mark].print_text == u"\n" && items[mark - 1].print_text == u"\n")
    items.Delete(mark);
}

bool session::TryCommand(context& ctx, const wstring& text, value& result) {
  parsed_input->SetLine(text);
  op_value parsed;
  parsed_input->Parsing(ctx, parsed);
  if (!is_understood(parsed.v)) return false;
  result = run_parsed_command(*parsed_input, ctx, parsed, in_game);
  if (is_understood(result)) RememberNamed(NamedThings());
  return true;
}

// The words of the last command parsed, as typed.
typed_words session::TypedWords() {
  typed_words words;
  for (const token& t : parsed_input->Tokens())
    words.push_back(typed_word{t.text, t.preposition, t.kind == u',', t.kind == u'"'});
  return words;
}

// The things just named come first; the earlier ones stay behind them.
void session::RememberNamed(const std::vector<op_value>& things) {
  std::vector<op_value> named(things);
  for (const op_value& thing : things)
    if (is_plural(thing)) memory_.group.clear();
  for (const op_value& earlier : memory_.named) {
    if (named.size() >= max_named_things) break;
    bool again = false;
    for (const op_value& thing : things) again = again || thing.v == earlier.v;
    if (!again) named.push_back(earlier);
  }
  memory_.named.swap(named);
}

// The things the chosen reading of the last command was about, in the order
// of its words: the values bound to the function's arguments.
std::vector<op_value> session::NamedThings() const {
  std::vector<op_value> things;
  const token_line* chosen = parsed_input->Chosen();
  const token_line* reading = chosen ? chosen->Parent() : nullptr;
  if (!reading || reading->Parent() == nullptr) return things;
  for (int pos = reading->i; pos < reading->j && pos < reading->Count(); ++pos) {
    const token& t = (*reading)[pos];
    if (t.saved_meaning < 0 || t.saved_meaning >= t.meanings.Count()) continue;
    const op_value& meaning = t.meanings[t.saved_meaning];
    if (meaning.v.Type() == kw::type_object && meaning.v.GetEntity()) things.push_back(meaning);
  }
  return things;
}

// The last named things a pronoun can stand for: the latest thing of its
// number and gender; for «их», the things the last command acted on one by
// one, unless a thing named in the plural came after them.
std::vector<op_value> session::Referents(const pronoun_use& use) const {
  if (use.plural && !use.singular && !memory_.group.empty()) return memory_.group;
  for (const op_value& thing : memory_.named) {
    if (!thing.v.GetEntity()) continue;
    const bool fits = is_plural(thing) ? use.plural : use.singular && fits_gender(thing, use.genders);
    if (fits) return {thing};
  }
  return {};
}

// The command with the pronoun replaced by the thing's name, in the first
// of the pronoun's cases that makes it understood (else in the first).
wstring session::CommandForThing(context& ctx, const kept_characters& typed, typed_words words, size_t pos,
                                 const op_value& thing, const wstring& cases) {
  wstring first_try;
  for (int n = 0; n < cases.Length(); ++n) {
    words[pos].text = ThingInCase(thing, cases[n], ctx);
    const wstring text = joined_words(words);
    if (first_try.IsEmpty()) first_try = text;
    typed.RestoreTo(ctx);
    parsed_input->SetLine(text);
    op_value parsed;
    parsed_input->Parsing(ctx, parsed);
    if (is_understood(parsed.v)) return text;
  }
  return first_try;
}

wstring session::ThingInCase(const op_value& thing, char16_t grammatical_case, context& ctx) const {
  const char16_t case_keys[] = {grammatical_case, u'п', 0};
  key_matrix asked(case_keys);
  asked.AddKey(thing.keys.Text(), u"ч");
  value plain(thing.v);
  plain.SetKeyText(wstring());
  bool missing_form = false;
  wstring name = plain.ToString(world_.get(), &ctx, &asked, 0, missing_form);
  name.ToLower(true);
  return name;
}

// The verb of the line in the imperfective infinitive («брать» for
// «возьми»), for the reply that there is nothing to do it with; empty when
// the first word is no verb.
wstring session::IdleVerb(context& ctx) const {
  const token_line& typed = parsed_input->Tokens();
  if (typed.Count() == 0) return wstring();
  for (const op_value& meaning : typed[0].meanings) {
    if (meaning.v.Type() != kw::type_word && meaning.v.Type() != kw::type_act) continue;
    if (!key_matrix(meaning.keys.Text()).GetMarker(u'в')) continue;
    key_matrix asked(u"ИвНш");
    value plain(meaning.v);
    plain.SetKeyText(wstring());
    bool missing_form = false;
    wstring verb = plain.ToString(world_.get(), &ctx, &asked, 0, missing_form);
    verb.ToLower(true);
    return verb;
  }
  return wstring();
}

void session::NoteQuestion(const wstring& reply) {
  if (reply.Find(ambiguity_mark) < 0) return;
  memory_.question = TypedWords();
  memory_.ambiguity = reply;
}
