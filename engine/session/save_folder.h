#pragma once

#include <string>
#include <vector>

#include "wstring.h"

// Where one player's saved games of one game lie: "saves/<player>/" in the
// game's folder, a file "<name>.sav" each. Names from players are made safe
// for the file system first, so no path a player types reaches a file name.
class save_folder {
 public:
  static constexpr int max_name_length = 40;

  save_folder(const wstring& game_folder, const wstring& player);

  // The name as it is stored: letters and digits in lower case, any other
  // run of characters one "-", at most max_name_length units; empty when
  // no letter or digit is left.
  static wstring SafeName(const wstring& name);

  // The save's text, or false when there is no such save.
  bool Read(const wstring& safe_name, wstring& text) const;
  // Replaces the save as a whole (see replace_file); false when it failed.
  bool Write(const wstring& safe_name, const wstring& text) const;
  // The saves' names, sorted.
  std::vector<wstring> Names() const;

 private:
  std::string Path(const wstring& safe_name) const;

  std::string folder_;
};
