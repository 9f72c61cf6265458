#pragma once

#include <cstdint>

#include "key_matrix.h"
#include "op_value.h"
#include "wstring.h"

class context;
class token;
class token_line;

// One combination rule: a pattern of two to four neighbouring tokens and
// a way to join their meanings into those of one new token. The base
// class reads the pattern, matches it and joins generically; subclasses
// join in their own ways.
class link {
 public:
  static constexpr int max_elements = 4;
  static constexpr char16_t default_mode = 16;

  // pattern: "keys|result keys|agreement keys|element;element;..."; an
  // element beginning with "#" is a key pattern, any other a literal word.
  // Raises "link::link() - лишний параметр" for a fifth element.
  link(const wstring& pattern, int main_element, const wstring& name, char16_t mode = default_mode);
  virtual ~link() = default;
  link(const link&) = delete;
  link& operator=(const link&) = delete;

  // Tries the rule on the line at its position i; on success the line's
  // joined token holds the new meanings and its end j is set.
  virtual bool Apply(context& ctx, token_line& line) const;
  virtual void Execute(context& ctx, token_line& line, op_value& result) const;
  virtual void Remember(context& ctx, token_line& line, op_value& result) const;

  const wstring& Name() const { return name_; }
  char16_t Mode() const { return mode_; }
  int ElementCount() const { return element_count_; }
  int MainElement() const { return main_element_; }
  bool IsPattern(int e) const { return is_pattern_[e]; }
  const key_matrix& Pattern(int e) const { return patterns_[e]; }
  const wstring& Literal(int e) const { return literals_[e]; }
  const wstring& ResultKeys() const { return result_keys_; }
  const wstring& AgreementKeys() const { return agreement_keys_; }
  const wstring& LeadingKeys() const { return leading_keys_; }

 protected:
  // The common test of every rule at the line's position i: elements,
  // agreement, narrowing of the matched tokens; sets j on success.
  bool Match(context& ctx, token_line& line) const;
  // The line's joined token made empty, weighing as the matched tokens do.
  token& StartJoined(token_line& line) const;

 private:
  // The texts of the matched tokens, i to j - 1, joined by the separator.
  wstring MatchedText(const token_line& line, const char16_t* separator) const;
  // Stores a pattern item: positions -3 to -1 are the key strings, then the
  // elements.
  void StoreItem(int position, const wstring& item);
  bool Agrees(token_line& line) const;

  wstring name_;
  char16_t mode_;
  int element_count_ = 0;
  int main_element_;
  bool is_pattern_[max_elements] = {};
  key_matrix patterns_[max_elements];
  wstring literals_[max_elements];
  wstring leading_keys_;
  wstring result_keys_;
  wstring agreement_keys_;
};
