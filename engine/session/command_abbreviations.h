#pragma once

#include "c_index.h"
#include "wstring.h"

// The short commands players type for movement and the inventory ("с" for
// "на север"), as a sorted index from the short form to the full one.
class command_abbreviations {
 public:
  command_abbreviations();

  // The full command for a normalised command that is a short form; null
  // for any other command.
  const wstring* Expansion(const wstring& normalised_command) const;

 private:
  struct pair {
    wstring key;
    wstring expansion;

    void SetKey(const wstring& k) { key = k; }
    int CompareKey(const wstring& k) const { return key.Compare(k.Text()); }
  };

  void Add(const char16_t* key, const char16_t* expansion);

  c_index<pair, wstring> pairs_;
};
