#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "c_index.h"
#include "c_iterator.h"
#include "test_support.h"

namespace {

struct int_array : c_array<int> {
  int Cap() const { return Capacity(); }
};
using int_iterator = c_iterator<int, int>;

void fill(c_array<int>& array, int n) {
  for (int i = 0; i < n; ++i) array.Insert(array.Count(), i);
}

std::vector<int> items(c_array<int>& array) {
  std::vector<int> out;
  for (int i = 0; i < array.Count(); ++i) out.push_back(array[i]);
  return out;
}

// An item that owns heap memory and finds itself by an int key.
struct owner {
  std::unique_ptr<int> key;
  std::unique_ptr<std::string> label;
  void SetKey(int k) {
    key = std::make_unique<int>(k);
    label = std::make_unique<std::string>("item " + std::to_string(k));
  }
  int CompareKey(int k) const { return *key < k ? -1 : *key > k ? 1 : 0; }
};

TEST(Array, IndexingAndInsertPositions) {
  const char* range = "array::operator[] Index out of range!";
  const char* insert = "c_array::Insert() invalid Insert !";
  int_array a;
  EXPECT_EQ(narrow_message([&] { a[0]; }), range);
  EXPECT_EQ(narrow_message([&] { a.Insert(-1, 5); }), insert);
  fill(a, 3);  // 0 1 2
  EXPECT_EQ(a[-1], 2);
  EXPECT_EQ(a[-3], 0);
  EXPECT_EQ(narrow_message([&] { a[3]; }), range);
  EXPECT_EQ(narrow_message([&] { a[-4]; }), range);

  a.Insert(3, 30);   // at count: appends
  a.Insert(-1, 20);  // before the last
  a.Insert(-5, 10);  // -count is the front
  EXPECT_EQ(items(a), (std::vector<int>{10, 0, 1, 2, 20, 30}));
  for (int bad : {7, -7, -12}) EXPECT_EQ(narrow_message([&] { a.Insert(bad, 99); }), insert) << bad;
  EXPECT_EQ(a.Count(), 6);
}

TEST(Array, GrowthShrinkingAndDelete) {
  int_array a;
  a.Insert(0, 0);
  EXPECT_EQ(a.Cap(), 16);
  fill(a, 15);
  a.Insert(8, 100);  // the seventeenth, in the middle of a full block
  EXPECT_EQ(a.Cap(), 24);
  EXPECT_EQ(a[8], 100);
  EXPECT_EQ(a[9], 7);
  EXPECT_EQ(a[16], 14);

  int_array b;
  fill(b, 17);
  b.Delete(4, 12);  // 8 of 24 remain
  EXPECT_EQ(b.Cap(), 16);
  EXPECT_EQ(items(b), (std::vector<int>{0, 1, 2, 3, 13, 14, 15, 16}));

  int_array d;
  fill(d, 40);
  ASSERT_EQ(d.Cap(), 54);
  d.Delete(0, 12);  // 27 remain: not more than twice, no new block
  EXPECT_EQ(d.Cap(), 54);
  d.Delete(0);  // 26 remain: 39
  EXPECT_EQ(d.Cap(), 39);
  EXPECT_EQ(d[0], 14);

  int_array e;
  e.Delete(0);  // no storage
  fill(e, 6);
  for (auto [first, last] : {std::pair{4, 6}, {3, 2}, {6, 0}, {-7, 0}}) e.Delete(first, last);
  EXPECT_EQ(e.Count(), 6);
  e.Delete(-1);     // the last
  e.Delete(1, -3);  // 1 .. 2
  EXPECT_EQ(items(e), (std::vector<int>{0, 3, 4}));
  e.Delete(0, -1);  // everything: the block goes
  EXPECT_EQ(e.Cap(), 0);
}

TEST(Array, NonTrivialItemsRelocate) {
  c_array<wstring, const char16_t*> texts;
  std::vector<std::u16string> expected;
  for (int i = 0; i < 100; ++i) {
    std::u16string text = wstring(double(i)).Text();
    int at = (i * 7) % (texts.Count() + 1);
    texts.Insert(at, text.c_str());
    expected.insert(expected.begin() + at, text);
  }
  texts.Delete(10, 69);
  expected.erase(expected.begin() + 10, expected.begin() + 70);
  c_array<wstring, const char16_t*> copy(texts);
  texts.Clear();
  ASSERT_EQ(copy.Count(), int(expected.size()));
  for (int i = 0; i < copy.Count(); ++i) EXPECT_EQ(copy[i], expected[i].c_str()) << i;
}

TEST(Iterator, WalkSurvivesDeletionAndInsertion) {
  c_array<int> a;
  fill(a, 10);
  std::vector<int> visited;
  int_iterator it(&a);
  for (bool more = it.First(); more; more = it.Next()) {
    visited.push_back(it);
    if (it.Item() % 2 == 0) a.Delete(it.Position());  // the current item
  }
  EXPECT_EQ(visited, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(items(a), (std::vector<int>{1, 3, 5, 7, 9}));

  c_array<int> b;
  fill(b, 10);
  int_iterator walk(&b);
  walk.First();
  for (int i = 0; i < 4; ++i) walk.Next();
  b.Delete(2, 6);  // a range around the current item
  EXPECT_EQ(wide_message([&] { walk.Item(); }), "c_iterator::operator arrayitem&() Index out of range!");
  ASSERT_TRUE(walk.Next());
  EXPECT_EQ(walk.Item(), 7);
  b.Insert(0, 100);  // changes before the current item keep it current
  b.Delete(0, 1);
  EXPECT_EQ(walk.Item(), 7);
  b.Insert(-1, 50);  // after it: the walk meets the new item
  visited.clear();
  while (walk.Next()) visited.push_back(walk);
  EXPECT_EQ(visited, (std::vector<int>{8, 50, 9}));
}

TEST(Iterator, PredicatesAndPrev) {
  c_array<int> a;
  fill(a, 10);
  auto odd = [](int& v) { return v % 2 == 1; };
  auto walk = [](int_iterator& it, bool forward) {
    std::vector<int> seen;
    if (forward)
      for (bool more = it.First(); more; more = it.Next()) seen.push_back(it);
    else
      while (it.Prev()) seen.push_back(it);
    return seen;
  };
  int_iterator odds(&a, odd);
  EXPECT_EQ(walk(odds, true), (std::vector<int>{1, 3, 5, 7, 9}));
  EXPECT_EQ(walk(odds, false), (std::vector<int>{9, 7, 5, 3, 1}));
  int_iterator plain(&a);
  walk(plain, true);
  EXPECT_EQ(walk(plain, false), (std::vector<int>{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));

  // The stop predicate is asked about rejected items only.
  enum { stop_high, never, stop_low } rule = stop_high;
  int_iterator stopped(&a, odd, [&](int& v) { return rule == stop_high ? v >= 6 : rule == stop_low && v <= 4; });
  EXPECT_EQ(walk(stopped, true), (std::vector<int>{1, 3, 5}));
  rule = never;
  while (stopped.Next()) {
  }
  rule = stop_low;
  EXPECT_EQ(walk(stopped, false), (std::vector<int>{9, 7, 5}));

  c_array<int> empty;
  int_iterator none(&empty);
  EXPECT_FALSE(none.First());
  EXPECT_FALSE(none.Next());
  int_iterator rejecting(&a, [](int&) { return false; });
  EXPECT_FALSE(rejecting.First());
}

TEST(Iterator, OutlivesItsArray) {
  EXPECT_EQ(wide_message([] { int_iterator it(nullptr); }), "c_iterator(c_array*) invalid Array!");
  auto a = std::make_unique<c_array<int>>();
  fill(*a, 5);
  int_iterator first(a.get());
  auto middle = std::make_unique<int_iterator>(a.get());
  int_iterator last(a.get());
  first.First();
  last.First();
  last.Next();
  middle.reset();  // unlinks from the middle of the list
  a->Delete(0);
  EXPECT_EQ(last.Item(), 1);
  EXPECT_TRUE(first.Next());
  EXPECT_EQ(first.Item(), 1);

  a.reset();
  EXPECT_EQ(wide_message([&] { first.Next(); }), "c_iterator::Next() - invalid Array!");
  EXPECT_EQ(wide_message([&] { first.First(); }), "c_iterator::First() - invalid Array!");
  EXPECT_EQ(wide_message([&] { last.Prev(); }), "c_iterator::Prev() - invalid Array!");
  EXPECT_EQ(wide_message([&] { last.Item(); }), "c_iterator::operator arrayitem&() - Invalid Array!");
}

TEST(Index, FindAndAdd) {
  c_index<int> index;
  int pos = -1;
  EXPECT_FALSE(index.Find(5, pos));
  EXPECT_EQ(pos, 0);
  for (auto [key, at] : {std::pair{20, 0}, {40, 1}, {10, 0}, {30, 2}}) {
    EXPECT_TRUE(index.Add(key, pos));
    EXPECT_EQ(pos, at);
  }
  EXPECT_FALSE(index.Add(30, pos));
  EXPECT_EQ(pos, 2);
  EXPECT_EQ(index.Count(), 4);
  for (auto [key, found, at] : {std::tuple{5, false, 0}, {10, true, 0}, {40, true, 3}, {50, false, 4},
                                {25, false, 2}, {35, false, 3}}) {
    EXPECT_EQ(index.Find(key, pos), found) << key;
    EXPECT_EQ(pos, at) << key;
  }

  // Against a reference set, in random order.
  c_index<int> big;
  std::set<int> reference;
  std::mt19937 random(7);
  for (int i = 0; i < 3000; ++i) {
    int key = int(random() % 1000);
    EXPECT_EQ(big.Add(key, pos), reference.insert(key).second);
    ASSERT_EQ(big[pos], key);
  }
  for (int key = -1; key <= 1000; ++key) {
    ASSERT_EQ(big.Find(key, pos), reference.count(key) == 1);
    ASSERT_EQ(pos, int(std::distance(reference.begin(), reference.lower_bound(key)))) << key;
  }
}

TEST(Index, TextKeysAndOwningItems) {
  c_index<wstring, const char16_t*> words;
  int pos;
  for (const char16_t* word : {u"дом", u"арка", u"я", u"дом", u"Я", u"ёж", u"борт"}) words.Add(word, pos);
  // Ordinal order of units: Я (U+042F) first, ё (U+0451) last.
  const char16_t* order[] = {u"Я", u"арка", u"борт", u"дом", u"я", u"ёж"};
  ASSERT_EQ(words.Count(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(words[i], order[i]) << i;
  EXPECT_FALSE(words.Find(u"в", pos));
  EXPECT_EQ(pos, 3);

  c_index<owner, int> owners;
  std::mt19937 random(3);
  std::set<int> reference;
  for (int i = 0; i < 500; ++i) {
    int key = int(random() % 200);
    owners.Add(key, pos);
    reference.insert(key);
    if (i % 5 == 4) {
      int gone = *owners[int(random() % owners.Count())].key;
      ASSERT_TRUE(owners.Find(gone, pos));
      owners.Delete(pos);
      reference.erase(gone);
    }
  }
  ASSERT_EQ(owners.Count(), int(reference.size()));
  int i = 0;
  for (int key : reference) {
    EXPECT_EQ(*owners[i].key, key);
    EXPECT_EQ(*owners[i++].label, "item " + std::to_string(key));
  }
}

}  // namespace
