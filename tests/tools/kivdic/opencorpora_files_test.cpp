// Reading the files of the morphology data: the DAWG walk, word keys, JSON,
// paradigms and the corpus counts.

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "dictionary_text.h"
#include "opencorpora_corpus.h"
#include "opencorpora_dawg.h"
#include "opencorpora_json.h"
#include "opencorpora_tables.h"
#include "opencorpora_test_data.h"
#include "opencorpora_word_key.h"

using opencorpora_test::dawg_builder;

namespace {

std::map<std::string, uint32_t> AllKeys(const dawg& automaton) {
  std::map<std::string, uint32_t> keys;
  std::vector<std::string> order;
  automaton.ForEachKey([&](std::string_view key, uint32_t value) {
    keys[std::string(key)] = value;
    order.emplace_back(key);
  });
  EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
  EXPECT_EQ(order.size(), keys.size());
  return keys;
}

void SetU32(std::string& bytes, size_t at, uint32_t n) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((n >> (8 * i)) & 0xFF);
}

}  // namespace

TEST(OpenCorporaDawg, WalkListsEveryKeyWithItsValue) {
  std::map<std::string, uint32_t> keys = {
      {"a", 5}, {"ab", 7}, {"abc", 1}, {"b", 9}, {"ba", 0}, {"\xE0\xFF\x01\x03", 123456}, {"zz", 0x7FFFFFFF}};
  dawg automaton(dawg_builder(keys).Bytes(), "test");
  EXPECT_EQ(AllKeys(automaton), keys);
}

TEST(OpenCorporaDawg, EmptyKeyAndEmptyAutomaton) {
  std::map<std::string, uint32_t> with_empty = {{"", 3}, {"x", 4}};
  EXPECT_EQ(AllKeys(dawg(dawg_builder(with_empty).Bytes(), "test")), with_empty);
  EXPECT_TRUE(AllKeys(dawg(dawg_builder({}).Bytes(), "test")).empty());
}

TEST(OpenCorporaDawg, DamagedLayoutIsRefused) {
  std::string bytes = dawg_builder({{"ab", 1}, {"b", 2}}).Bytes();
  EXPECT_THROW(dawg(bytes.substr(0, bytes.size() - 1), "test"), std::runtime_error);  // guide cut short
  EXPECT_THROW(dawg(bytes + "x", "test"), std::runtime_error);                        // trailing bytes
  EXPECT_THROW(dawg(bytes.substr(0, 3), "test"), std::runtime_error);
  std::string no_units(4, '\0');
  EXPECT_THROW(dawg(no_units, "test"), std::runtime_error);
  std::string huge = bytes;
  SetU32(huge, 0, 0xFFFFFFF0u);  // more units than bytes
  EXPECT_THROW(dawg(huge, "test"), std::runtime_error);
  try {
    dawg(bytes + "x", "words.dawg");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("words.dawg"), std::string::npos);
  }
}

TEST(OpenCorporaDawg, WalkStopsAtTransitionsOutsideTheUnits) {
  std::string bytes = dawg_builder({{"ab", 1}, {"b", 2}}).Bytes();
  uint32_t unit_count = static_cast<uint8_t>(bytes[0]);
  // The root's offset sends every transition far past the last unit.
  SetU32(bytes, 4, (unit_count + 4096) << 10);
  dawg broken(bytes, "test");
  EXPECT_THROW(broken.ForEachKey([](std::string_view, uint32_t) {}), std::runtime_error);
}

TEST(OpenCorporaDawg, WalkStopsAtSiblingsOutOfOrder) {
  std::string bytes = dawg_builder({{"a", 1}, {"b", 2}}).Bytes();
  uint32_t unit_count = static_cast<uint8_t>(bytes[0]);
  size_t guide = 4 + 4 * unit_count + 4;
  // Find the unit for "b" and point its sibling back at "a".
  size_t b_unit = unit_count;
  for (size_t i = 1; i < unit_count; ++i) {
    uint32_t unit = static_cast<uint8_t>(bytes[4 + 4 * i]);
    if (unit == 'b') b_unit = i;
  }
  ASSERT_LT(b_unit, unit_count);
  bytes[guide + 2 * b_unit + 1] = 'a';
  dawg broken(bytes, "test");
  EXPECT_THROW(broken.ForEachKey([](std::string_view, uint32_t) {}), std::runtime_error);
}

TEST(OpenCorporaWordKey, DecodesFormParadigmAndIndex) {
  std::string key = opencorpora_test::WordKey("лампой", 55, 4);
  word_key decoded = DecodeWordKey(key);
  EXPECT_EQ(Cp1251ToUtf8(decoded.form), "лампой");
  EXPECT_EQ(decoded.paradigm, 55);
  EXPECT_EQ(decoded.index, 4);
  word_key large = DecodeWordKey(opencorpora_test::WordKey("x", 3255, 300));
  EXPECT_EQ(large.paradigm, 3255);
  EXPECT_EQ(large.index, 300);
  // The bytes of 55 and 4: high 0 -> 1, low 55 -> 111; high 0 -> 1, low 4 -> 9.
  EXPECT_EQ(key.substr(key.size() - 5), std::string("\x01\x01\x6F\x01\x09", 5));
}

TEST(OpenCorporaWordKey, MalformedKeysAreRefused) {
  EXPECT_THROW(DecodeWordKey("\x01\x01\x01\x01"), std::runtime_error);                 // too short
  EXPECT_THROW(DecodeWordKey(std::string("ab\x02\x01\x01\x01\x01", 7)), std::runtime_error);  // no separator
  EXPECT_THROW(DecodeWordKey(std::string("ab\x01\x02\x01\x01\x01", 7)), std::runtime_error);  // even byte
}

TEST(OpenCorporaJson, StringArrays) {
  EXPECT_EQ(ParseJsonStringArray(" [ \"\", \"-ва\",\n \"ой\" ] \n", "t"), (std::vector<std::string>{"", "-ва", "ой"}));
  EXPECT_EQ(ParseJsonStringArray("[]", "t"), std::vector<std::string>{});
  EXPECT_EQ(ParseJsonStringArray(R"(["a\"b\\c\/d\n", "\u0451\u0416", "\ud83d\ude00"])", "t"),
            (std::vector<std::string>{"a\"b\\c/d\n", "ёЖ", "\xF0\x9F\x98\x80"}));
  for (const char* bad : {"", "[", "[\"a\"", "[\"a\",]", "[\"a\" \"b\"]", "[1]", "[\"a\"] x", "[\"\\x\"]", "[\"\\u12\"]"})
    EXPECT_THROW(ParseJsonStringArray(bad, "t"), std::runtime_error) << bad;
}

TEST(OpenCorporaJson, ArrayFoundByMemberName) {
  std::string meta = R"([["format_version", "2.4"], ["compile_options", {"max_suffix_length": 5, "paradigm_prefixes": ["", "по", "наи"]}]])";
  EXPECT_EQ(ParseJsonStringArrayAfter(meta, "paradigm_prefixes", "meta.json"),
            (std::vector<std::string>{"", "по", "наи"}));
  EXPECT_THROW(ParseJsonStringArrayAfter(meta, "missing", "meta.json"), std::runtime_error);
  EXPECT_THROW(ParseJsonStringArrayAfter(meta, "format_version", "meta.json"), std::runtime_error);  // not an array
}

TEST(OpenCorporaParadigms, ParsedAndChecked) {
  // Two paradigms: two cells (suffixes 1 2, tags 0 3, prefixes 0 1), one cell.
  std::string bytes("\x02\x00"
                    "\x06\x00" "\x01\x00\x02\x00" "\x00\x00\x03\x00" "\x00\x00\x01\x00"
                    "\x03\x00" "\x00\x00" "\x01\x00" "\x02\x00", 24);
  std::vector<paradigm> paradigms = ParseParadigms(bytes, 3, 4, 3);
  ASSERT_EQ(paradigms.size(), 2u);
  ASSERT_EQ(paradigms[0].size(), 2u);
  EXPECT_EQ(paradigms[0][1].suffix, 2);
  EXPECT_EQ(paradigms[0][1].tag, 3);
  EXPECT_EQ(paradigms[0][1].prefix, 1);
  EXPECT_EQ(paradigms[1][0].prefix, 2);
  EXPECT_THROW(ParseParadigms(bytes, 2, 4, 3), std::runtime_error);  // suffix 2 of 2
  EXPECT_THROW(ParseParadigms(bytes, 3, 3, 3), std::runtime_error);  // tag 3 of 3
  EXPECT_THROW(ParseParadigms(bytes, 3, 4, 2), std::runtime_error);  // prefix 2 of 2
  EXPECT_THROW(ParseParadigms(bytes.substr(0, 23), 3, 4, 3), std::runtime_error);
  EXPECT_THROW(ParseParadigms(bytes + std::string(1, '\0'), 3, 4, 3), std::runtime_error);
  std::string bad_length("\x01\x00\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00", 12);
  EXPECT_THROW(ParseParadigms(bad_length, 3, 4, 3), std::runtime_error);
}

TEST(OpenCorporaCorpus, CountsRecoveredFromFractions) {
  EXPECT_EQ(CountsFromMillionths({750000, 250000}), (std::vector<uint32_t>{3, 1}));
  EXPECT_EQ(CountsFromMillionths({571428, 428571}), (std::vector<uint32_t>{4, 3}));
  // Rounded one millionth low, as the data has it: 38/80, 41/80, 1/80.
  EXPECT_EQ(CountsFromMillionths({475000, 512499, 12500}), (std::vector<uint32_t>{38, 41, 1}));
  // A tag missing from the list still leaves the others' counts.
  EXPECT_EQ(CountsFromMillionths({200000, 600000}), (std::vector<uint32_t>{1, 3}));
  EXPECT_EQ(CountsFromMillionths({1000000}), (std::vector<uint32_t>{1}));
  EXPECT_TRUE(CountsFromMillionths({}).empty());
  EXPECT_TRUE(CountsFromMillionths({0, 1000000}).empty());
}

TEST(OpenCorporaCorpus, CountsByFormAndTagWithoutSmoothing) {
  std::vector<std::string> tags = {"NOUN,inan,femn sing,gent", "NOUN,inan,femn plur,nomn", "VERB,perf,intr plur,past,indc"};
  std::string lampy = ToCp1251("лампы");
  std::string stali = ToCp1251("стали");
  std::map<std::string, uint32_t> keys = {
      {lampy + ":" + tags[0], 750000}, {lampy + ":" + tags[1], 250000},
      {stali + ":" + tags[1], 200000}, {stali + ":" + tags[2], 800000},
      {stali + ":UNKNOWN,tag", 0},
  };
  corpus_counts counts(dawg(dawg_builder(keys).Bytes(), "test"), tags);
  EXPECT_EQ(counts.Count(lampy, 0), 2u);  // 3 less the one that smoothing adds
  EXPECT_EQ(counts.Count(lampy, 1), 0u);
  EXPECT_EQ(counts.Count(stali, 2), 3u);
  EXPECT_EQ(counts.Count(stali, 0), 0u);
  EXPECT_EQ(counts.Count(ToCp1251("лампа"), 0), 0u);
}
