#pragma once

#include <vector>

#include "c_array.h"
#include "output_words.h"
#include "tokenizer.h"
#include "wstring.h"

// One piece of a turn's output: its kind (the lexeme kind, or one of the
// kinds set by the engine), the text shown with its mark-up and the text
// spoken.
struct output_pool_item {
  char16_t kind = 0;
  wstring print_text;
  wstring speech_text;

  void SetKey(char16_t key) { kind = key; }
  int CompareKey(char16_t key) const { return int(kind) - int(key); }
};

// Everything a session says to the player during one turn, cut into
// lexemes. Finish() cleans the punctuation that joined pieces leave behind,
// sets spacing and capitals, agrees prepositions, drops reflexive doubling
// and a location description shown unchanged last time, and removes
// escapes.
class output_pool : public tokenizer {
 public:
  static constexpr char16_t word_kind = u'L';
  static constexpr char16_t number_kind = u'N';
  static constexpr char16_t dice_kind = u'D';
  static constexpr char16_t punctuation_kind = u',';
  static constexpr char16_t sign_kind = u'+';
  static constexpr char16_t stray_closer_kind = u')';
  static constexpr char16_t tag_kind = u'<';
  static constexpr char16_t group_kind = u'[';
  static constexpr char16_t call_kind = u'F';
  static constexpr char16_t call_argument_kind = u'f';

  output_pool();

  // Prints text: its lexemes join the items. Scan errors propagate.
  void Add(const wstring& text);
  void AddItem(char16_t kind, const wstring& print_text, const wstring& speech_text);
  // End-of-turn processing of the items.
  void Finish();
  // The speech texts of all items but host-function calls, stress marks
  // written as "<".
  wstring GetSpeechText() const;
  // Deletes every location block that has its closing tag.
  void RemoveLocations();
  // typed with each character that differs from expected marked in red.
  static wstring Highlight(const char16_t* typed, const char16_t* expected);

  // The world's word objects for preposition agreement; null while no world
  // is loaded. Not owned.
  void SetWords(const output_words* words) { words_ = words; }
  // A new game shows its first location even when it reads as the last
  // one shown.
  void ForgetShownLocation() { shown_location_text_.Clear(); }
  // Whether this turn printed text outside location blocks so far.
  bool PrintedOutsideLocation() const { return text_outside_location_; }
  // The next command of the same line starts: its reply is its own.
  void StartNextCommand() { text_outside_location_ = false; }

  c_array<output_pool_item, char16_t>& Items() { return items_; }
  void Clear() { items_.Clear(); }

 protected:
  bool OnLexeme(const char16_t* start, int length, bool pure_russian, char16_t kind) override;

 private:
  void AppendToEscape(const char16_t* start, int length, char16_t kind);
  void AppendItem(const char16_t* start, int length, char16_t kind);
  void FollowLocationTag(const wstring& tag);

  void DropRepeatedLocation();
  void CleanPunctuationPairs();
  void PairWithOpenPunctuation(int second, std::vector<int>& open, std::vector<bool>& deleted);
  void TurnUnderscoresIntoSpaces();
  void SpaceBeforeRussianWords();
  void AgreePrepositions();
  void AgreePreposition(int word, int next);
  void RemoveReflexiveDoubling();
  void SetCapitalsAndFullStops();
  void UnescapeTexts();

  // The first item from `from` on that is not mark-up or a host call;
  // the item count when there is none.
  int NextShown(int from) const;
  bool IsSingleSpace(int i) const;
  void DeleteMarked(const std::vector<bool>& marked);

  c_array<output_pool_item, char16_t> items_;
  bool inside_location_ = false;
  bool text_outside_location_ = false;
  wstring location_text_;
  wstring shown_location_text_;
  const output_words* words_ = nullptr;
};
