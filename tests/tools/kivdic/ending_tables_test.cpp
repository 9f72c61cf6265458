#include "ending_tables.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "dictionary_text.h"

namespace {

std::set<uint16_t> noun_keys(const ending_tables& tables, std::initializer_list<const char*> words) {
  std::set<uint16_t> keys;
  for (const char* word : words) keys.insert(tables.NounKey(ToCp1251(word)));
  return keys;
}

std::set<uint16_t> verb_keys(const ending_tables& tables, std::initializer_list<const char*> words) {
  std::set<uint16_t> keys;
  for (const char* word : words) keys.insert(tables.VerbKey(ToCp1251(word)));
  return keys;
}

// The endings of a table in file order.
std::vector<std::string> table_endings(const std::string& bytes, bool with_replacements) {
  std::vector<std::string> endings;
  for (size_t at = 0; bytes[at] != '\0';) {
    std::string ending = bytes.c_str() + at;
    at += ending.size() + 1;
    at += with_replacements ? std::string(bytes.c_str() + at).size() + 1 : 1;
    endings.push_back(ending);
  }
  return endings;
}

TEST(ending_tables, TablesAreWrittenAsTheFileHoldsThem) {
  constexpr std::string_view noun_endings[] = {"ами", "а"};
  const ending_tables::verb_rule_text verb_rules[] = {{"ешь", "е"}, {"у", ""}};
  ending_tables tables(noun_endings, verb_rules);
  EXPECT_EQ(tables.NounTableBytes(), ToCp1251("ами") + std::string("\0\0", 2) + ToCp1251("а") +
                                         std::string("\0\0\0", 3));
  EXPECT_EQ(tables.VerbTableBytes(), ToCp1251("ешь") + std::string(1, '\0') + ToCp1251("е") +
                                         std::string(1, '\0') + ToCp1251("у") + std::string("\0\0\0", 3));
}

TEST(ending_tables, EmptyEndingIsRefused) {
  constexpr std::string_view noun_endings[] = {"а", ""};
  EXPECT_THROW(ending_tables(noun_endings, {}), std::invalid_argument);
  const ending_tables::verb_rule_text verb_rules[] = {{"", "а"}};
  EXPECT_THROW(ending_tables({}, verb_rules), std::invalid_argument);
}

TEST(ending_tables, StandardTablesTryLongerEndingsFirst) {
  const ending_tables& tables = ending_tables::Standard();
  std::vector<std::string> noun = table_endings(tables.NounTableBytes(), false);
  std::vector<std::string> verb = table_endings(tables.VerbTableBytes(), true);
  auto longest_first = [](const std::string& a, const std::string& b) { return a.size() > b.size(); };
  EXPECT_TRUE(std::is_sorted(noun.begin(), noun.end(), longest_first));
  EXPECT_TRUE(std::is_sorted(verb.begin(), verb.end(), longest_first));
  // Declined words get a second whole-article key from the verb table.
  std::set<std::string> verb_set(verb.begin(), verb.end());
  for (const std::string& ending : noun) EXPECT_TRUE(verb_set.count(ending)) << Cp1251ToUtf8(ending);
  EXPECT_EQ(verb_set.size(), verb.size());
}

TEST(ending_tables, DeclinedFormsShareOneNounKeyAndOneVerbKey) {
  const ending_tables& tables = ending_tables::Standard();
  auto lamp = {"лампа", "лампы", "лампе", "лампу", "лампой", "лампою", "ламп", "лампам", "лампами", "лампах"};
  EXPECT_EQ(noun_keys(tables, lamp).size(), 1u);
  EXPECT_EQ(verb_keys(tables, lamp).size(), 1u);
  auto table = {"стол", "стола", "столу", "столом", "столе", "столы", "столов", "столам", "столами", "столах"};
  EXPECT_EQ(noun_keys(tables, table).size(), 1u);
  auto red = {"красный", "красного", "красному", "красным", "красном", "красная", "красной", "красную",
              "красное", "красные", "красных", "красными", "красен", "красна", "красно", "красны", "краснее"};
  EXPECT_EQ(noun_keys(tables, red).size(), 1u);
  EXPECT_NE(noun_keys(tables, {"лампа"}), noun_keys(tables, {"стол"}));
}

TEST(ending_tables, ConjugatedFormsShareOneVerbKey) {
  const ending_tables& tables = ending_tables::Standard();
  EXPECT_EQ(verb_keys(tables, {"читать", "читаю", "читаешь", "читает", "читаем", "читаете", "читают", "читал",
                               "читала", "читало", "читали", "читай", "читайте", "читающий", "читающего",
                               "читавший", "читавшая", "читаемый", "читая", "читав"})
                .size(),
            1u);
  EXPECT_EQ(verb_keys(tables, {"говорить", "говорю", "говоришь", "говорит", "говорим", "говорите", "говорят",
                               "говорил", "говорила", "говори", "говорящий", "говоривший", "говоря"})
                .size(),
            1u);
  // A reflexive verb keeps apart from its base.
  EXPECT_EQ(verb_keys(tables, {"умываться", "умываюсь", "умывался", "умывающийся"}).size(), 1u);
  EXPECT_NE(verb_keys(tables, {"умываться"}), verb_keys(tables, {"умывать"}));
}

}  // namespace
