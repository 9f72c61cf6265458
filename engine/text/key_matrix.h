#pragma once

#include <cstdint>

#include "c_array.h"
#include "wstring.h"

// Key character lists: which key characters exist, in the order keys are
// written back.
extern const char16_t* const latin_key_chars;   // 90: "t", "+", then "!".."~" but ; < = \ t +
extern const char16_t* const russian_key_chars; // 66: А..Я with Ё, а..я with ё
extern const char16_t* const all_key_chars;     // the Latin list, then the Russian list

// A set of one-character keys, each with a one-character marker, held as a
// table from character to marker. "*" marks a key that must be present on
// both sides, "!" a key that may be present; other markers must match.
// Key texts are marker-and-character pairs.
class key_matrix {
 public:
  static constexpr int slot_count = 178;

  key_matrix() { Clear(); }
  // Clear() then AddKey(key_text).
  explicit key_matrix(const char16_t* key_text);

  void Clear();
  void SetKey(char16_t c, char16_t marker);
  void ClearKeys(const char16_t* chars);
  void AddKey(const char16_t* key_text, const char16_t* filter = nullptr);
  char16_t GetMarker(char16_t c) const;
  wstring GetKey(const char16_t* chars = all_key_chars) const;
  bool Matches(const char16_t* key_text, bool strict = false) const;
  int Score(const char16_t* key_text) const;

  int KeyCount() const { return key_count_; }
  int StarCount() const { return star_count_; }
  bool HasOptional() const { return has_optional_; }
  // Keys marked "*" or "!" ask for a word form that fits them.
  bool AsksForForm() const { return star_count_ > 0 || has_optional_; }

 private:
  // The slot of a key character, or -1 outside both ranges.
  static int SlotOf(char16_t c);

  uint16_t slots_[slot_count];
  int32_t key_count_;
  int32_t star_count_;
  bool has_optional_;
};

struct key_list_item {
  wstring key_text;
  int32_t score = 0;

  void SetKey(const char16_t* key) { key_text = key; }
  int CompareKey(const char16_t* key) const { return key_text.Compare(key); }
};

// Key texts scored, filtered and cross-matched against matrices.
class key_list : public c_array<key_list_item, const char16_t*> {
 public:
  void Add(const char16_t* key_text) { Insert(Count(), key_text); }
  int ScoreAll(const key_matrix& matrix);
  int ScoreAll(const char16_t* key_text);
  bool MarkMatching(const key_matrix& matrix);
  static int CrossScore(key_matrix& matrix, key_list& list1, key_list& list2, const char16_t* filter);
  bool KeepMarked(bool force);
  bool DropMarked(bool force);
};
