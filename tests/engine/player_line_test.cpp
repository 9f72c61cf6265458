// The rewriting of a player's line: a line cut into its commands, «X и Y»
// into one command per thing, a clarifying answer into the commands it may
// complete, and the pronouns of things.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_sequence.h"
#include "line_rewrite.h"

namespace {

std::vector<std::u16string> texts(const std::vector<wstring>& parts) {
  std::vector<std::u16string> out;
  for (const wstring& part : parts) out.emplace_back(part.Text());
  return out;
}

using commands = std::vector<std::u16string>;

// Words of a command; "^" before a word marks a preposition, a lone "," or
// "?" is a sign.
typed_words words(std::initializer_list<const char16_t*> list) {
  typed_words out;
  for (const char16_t* text : list) {
    typed_word word;
    if (text[0] == u'^') {
      word.preposition = true;
      ++text;
    }
    word.text = text;
    word.sign = std::u16string(text) == u"," || std::u16string(text) == u"?";
    out.push_back(word);
  }
  return out;
}

std::u16string line(const typed_words& w) { return joined_words(w).Text(); }

TEST(command_sequence, cuts_at_full_stops_semicolons_and_sequence_words) {
  EXPECT_EQ(texts(split_commands(u"осмотри стол. возьми ключ")), (commands{u"осмотри стол", u"возьми ключ"}));
  EXPECT_EQ(texts(split_commands(u"открой дверь;иди на север")), (commands{u"открой дверь", u"иди на север"}));
  EXPECT_EQ(texts(split_commands(u"возьми лампу, затем зажги её, Потом с")),
            (commands{u"возьми лампу", u"зажги её", u"с"}));
  // Three commands, an ellipsis and doubled marks make no empty commands.
  EXPECT_EQ(texts(split_commands(u"с... ю;; в.")), (commands{u"с", u"ю", u"в"}));
}

TEST(command_sequence, keeps_what_is_not_a_separator) {
  // A comma alone, or before a word that only begins like «затем».
  EXPECT_EQ(texts(split_commands(u"Вася, возьми лампу")), (commands{u"Вася, возьми лампу"}));
  EXPECT_EQ(texts(split_commands(u"возьми лампу, потомка не буди")), (commands{u"возьми лампу, потомка не буди"}));
  // Quoted text is the player's string, marks and all.
  EXPECT_EQ(texts(split_commands(u"скажи \"стой. кто идёт?\" Васе. с")),
            (commands{u"скажи \"стой. кто идёт?\" Васе", u"с"}));
  EXPECT_EQ(texts(split_commands(u"напиши «ура; ура» на стене")), (commands{u"напиши «ура; ура» на стене"}));
  // Dots inside a word or a path end no command.
  EXPECT_EQ(texts(split_commands(u"сохранить ../../во двор")), (commands{u"сохранить ../../во двор"}));
  EXPECT_EQ(texts(split_commands(u"набери 3.14. с")), (commands{u"набери 3.14", u"с"}));
  // A line of nothing but marks stays for the parser to answer.
  EXPECT_EQ(texts(split_commands(u" . ")), (commands{u" . "}));
  EXPECT_EQ(texts(split_commands(u"")), (commands{u""}));
}

TEST(command_sequence, drops_closing_marks_of_a_single_command) {
  EXPECT_EQ(texts(split_commands(u"положить лампу.")), (commands{u"положить лампу"}));
  EXPECT_EQ(texts(split_commands(u"с ")), (commands{u"с"}));
  EXPECT_EQ(texts(split_commands(u"  прыгни!! ")), (commands{u"прыгни"}));
  // A question mark may make a question: the parser decides.
  EXPECT_EQ(texts(split_commands(u"лампа горит?")), (commands{u"лампа горит?"}));
}

// The command for the first thing and those that may be meant for the
// second, as texts.
struct split_lines {
  std::u16string first;
  commands seconds;
};

split_lines split(const typed_words& line) {
  typed_words first;
  std::vector<typed_words> seconds;
  split_lines out;
  if (!split_conjunction(line, first, seconds)) return out;
  out.first = joined_words(first).Text();
  for (const typed_words& second : seconds) out.seconds.push_back(joined_words(second).Text());
  return out;
}

TEST(line_rewrite, conjunction_gives_one_command_per_thing) {
  split_lines s = split(words({u"возьми", u"лампу", u"и", u"ключ"}));
  EXPECT_EQ(s.first, u"возьми лампу");
  EXPECT_EQ(s.seconds, (commands{u"возьми ключ"}));
  // The rest of the command goes with each thing; the first thing may be
  // its noun alone or with its adjective, the second keeps its own.
  s = split(words({u"положи", u"красную", u"лампу", u"и", u"медный", u"ключ", u"^в", u"сундук"}));
  EXPECT_EQ(s.first, u"положи красную лампу в сундук");
  EXPECT_EQ(s.seconds, (commands{u"положи красную медный ключ в сундук", u"положи медный ключ в сундук"}));
  // A preposition before the first thing governs the second as well.
  s = split(words({u"посмотри", u"^на", u"лампу", u"и", u"ключ"}));
  EXPECT_EQ(s.first, u"посмотри на лампу");
  EXPECT_EQ(s.seconds, (commands{u"посмотри на ключ"}));
  s = split(words({u"положи", u"^в", u"сундук", u"лампу", u"и", u"ключ"}));
  EXPECT_EQ(s.first, u"положи в сундук лампу");
  EXPECT_EQ(s.seconds, (commands{u"положи в сундук ключ", u"положи в ключ"}));
}

TEST(line_rewrite, conjunction_in_lists_and_addresses) {
  // «лампу, ключ и нож»: the list is read as «лампу и ключ и нож».
  split_lines s = split(words({u"возьми", u"лампу", u",", u"ключ", u"и", u"нож", u"^со", u"стола"}));
  EXPECT_EQ(s.first, u"возьми лампу со стола");
  EXPECT_EQ(s.seconds, (commands{u"возьми ключ и нож со стола"}));
  // The address is no part of the list.
  s = split(words({u"вася", u",", u"возьми", u"лампу", u"и", u"ключ"}));
  EXPECT_EQ(s.first, u"вася , возьми лампу");
  EXPECT_EQ(s.seconds, (commands{u"вася , возьми ключ"}));
  EXPECT_EQ(things_listed(words({u"возьми", u"лампу", u",", u"ключ", u"и", u"нож", u"^со", u"стола"})), 3u);
  EXPECT_EQ(things_listed(words({u"вася", u",", u"возьми", u"лампу", u"и", u"ключ"})), 2u);
  EXPECT_EQ(things_listed(words({u"и", u"и"})), 1u);
  // No thing on one side of «и»: nothing to split.
  typed_words first;
  std::vector<typed_words> seconds;
  EXPECT_FALSE(split_conjunction(words({u"и"}), first, seconds));
  EXPECT_FALSE(split_conjunction(words({u"возьми", u"и", u"ключ"}), first, seconds));
  EXPECT_FALSE(split_conjunction(words({u"возьми", u"лампу", u"и"}), first, seconds));
  EXPECT_FALSE(split_conjunction(words({u"возьми", u"лампу", u"и", u"^в", u"сундук"}), first, seconds));
  EXPECT_FALSE(split_conjunction(words({u"возьми", u"лампу"}), first, seconds));
}

TEST(line_rewrite, conjunct_may_repeat_the_preposition_of_the_first) {
  split_lines s = split(words({u"спроси", u"игната", u"^о", u"ключе", u"и", u"^о", u"горелке"}));
  EXPECT_EQ(s.first, u"спроси игната о ключе");
  EXPECT_EQ(s.seconds, (commands{u"спроси игната о горелке"}));
  // Each of a list; what follows the list goes with every thing.
  s = split(words({u"посмотри", u"^на", u"лампу", u",", u"^на", u"ключ", u"и", u"^на", u"нож", u"^в", u"сундуке"}));
  EXPECT_EQ(s.first, u"посмотри на лампу в сундуке");
  EXPECT_EQ(s.seconds, (commands{u"посмотри на ключ и на нож в сундуке"}));
  // Another preposition is no repetition: «и» then joins nothing here.
  typed_words first;
  std::vector<typed_words> seconds;
  EXPECT_FALSE(split_conjunction(words({u"спроси", u"игната", u"^о", u"ключе", u"и", u"^про", u"горелку"}), first,
                                 seconds));
  EXPECT_FALSE(split_conjunction(words({u"положи", u"лампу", u"и", u"^в", u"сундук"}), first, seconds));
  EXPECT_FALSE(split_conjunction(words({u"спроси", u"^о", u"ключе", u"и", u"^о"}), first, seconds));
}

TEST(line_rewrite, quoted_words_keep_their_quotes) {
  typed_words said = words({u"скажи", u"стой там", u"и", u"молчи"});
  said[1].quoted = true;
  EXPECT_EQ(line(said), u"скажи \"стой там\" и молчи");
}

TEST(line_rewrite, clarifying_answer_must_name_an_offered_thing) {
  const wstring ambiguity(u"неоднозначно: красную лампу или синюю лампу; ");
  EXPECT_TRUE(answer_picks(ambiguity, words({u"красную"})));
  EXPECT_TRUE(answer_picks(ambiguity, words({u"синяя"})));
  EXPECT_TRUE(answer_picks(ambiguity, words({u"синюю", u"лампу"})));
  // Words of the reply itself, other things, commands and long answers.
  EXPECT_FALSE(answer_picks(ambiguity, words({u"или"})));
  EXPECT_FALSE(answer_picks(ambiguity, words({u"зелёную"})));
  EXPECT_FALSE(answer_picks(ambiguity, words({u"осмотреться"})));
  EXPECT_FALSE(answer_picks(ambiguity, words({u"красную", u"лампу", u"пожалуйста"})));
  EXPECT_FALSE(answer_picks(ambiguity, words({})));
  EXPECT_FALSE(answer_picks(ambiguity, words({u"?"})));
}

TEST(line_rewrite, completions_put_the_answer_before_a_word_then_in_its_place) {
  std::vector<std::u16string> made;
  for (const typed_words& w : completions(words({u"положи", u"лампу", u"^на", u"стол"}), words({u"красную"})))
    made.push_back(line(w));
  EXPECT_EQ(made, (commands{u"положи красную лампу на стол", u"положи лампу на красную стол",
                            u"положи красную на стол", u"положи лампу на красную"}));
  EXPECT_TRUE(completions(words({u"возьми"}), words({u"красную"})).empty());
}

TEST(line_rewrite, pronouns_of_things) {
  pronoun_use use;
  ASSERT_TRUE(pronoun_of(u"ее", use));
  EXPECT_TRUE(use.singular);
  EXPECT_FALSE(use.plural);
  EXPECT_EQ(std::u16string(use.genders.Text()), u"Ж");
  EXPECT_EQ(std::u16string(use.cases.Text()), u"ВР");
  ASSERT_TRUE(pronoun_of(u"него", use));
  EXPECT_EQ(std::u16string(use.genders.Text()), u"МС");
  ASSERT_TRUE(pronoun_of(u"них", use));
  EXPECT_TRUE(use.plural);
  EXPECT_FALSE(use.singular);
  // «ним» is a thing in the instrumental or things in the dative.
  ASSERT_TRUE(pronoun_of(u"ним", use));
  EXPECT_TRUE(use.plural && use.singular);
  ASSERT_TRUE(pronoun_of(u"это", use));
  EXPECT_EQ(std::u16string(use.genders.Text()), u"МЖС");
  // Persons are the library's words, not pronouns of things.
  EXPECT_FALSE(pronoun_of(u"я", use));
  EXPECT_FALSE(pronoun_of(u"ты", use));
  EXPECT_FALSE(pronoun_of(u"лампу", use));
}

}  // namespace

TEST(line_rewrite, questions_about_what_the_player_carries) {
  EXPECT_TRUE(asks_for_inventory(words({u"что", u"^у", u"меня", u"?"})));
  EXPECT_TRUE(asks_for_inventory(words({u"что", u"^у", u"меня", u"есть"})));
  EXPECT_TRUE(asks_for_inventory(words({u"что", u"я", u"несу", u"?", u"?"})));
  EXPECT_TRUE(asks_for_inventory(words({u"что", u"^в", u"руках"})));
  // Other questions, a quoted phrase, a question about someone else.
  EXPECT_FALSE(asks_for_inventory(words({u"что", u"^у", u"васи"})));
  EXPECT_FALSE(asks_for_inventory(words({u"что", u"^у", u"меня", u"в", u"сундуке"})));
  EXPECT_FALSE(asks_for_inventory(words({u"что"})));
  EXPECT_FALSE(asks_for_inventory(words({u"?"})));
  EXPECT_FALSE(asks_for_inventory(words({})));
  typed_words said = words({u"скажи", u"что у меня"});
  said[1].quoted = true;
  EXPECT_FALSE(asks_for_inventory(said));
  typed_words quoted = words({u"что", u"^у", u"меня"});
  quoted[2].quoted = true;
  EXPECT_FALSE(asks_for_inventory(quoted));
}
