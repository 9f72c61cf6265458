#pragma once

#include <string>
#include <vector>

#include "server_log.h"

// One listed game.
struct game_item {
  std::u16string group;    // the heading it is listed under
  std::u16string title;    // the link text
  std::u16string address;  // its folder's index.html, else the game file
};

// The games found in and below a folder, sorted by group and title, and
// the HTML list that fills "[gamelist]" in pages.
class catalogue {
 public:
  static constexpr int max_depth = 2;
  static constexpr int header_bytes = 256;  // counted in characters of the decoded text

  explicit catalogue(std::string site_root) : site_root_(std::move(site_root)) {}

  // Replaces the list by the games of `folder` (a path on disk, ending in
  // "/").
  void Scan(const std::string& folder, server_log& log);
  const std::vector<game_item>& Items() const { return items_; }
  const std::u16string& Html() const { return html_; }

  // A game file's group and title, read from its first two lines; false
  // when they are not both non-empty comments.
  static bool ReadHeader(const std::string& game_file, std::u16string& group, std::u16string& title);

 private:
  void ScanFolder(const std::string& folder, int depth);
  void Add(game_item item);
  std::u16string Address(const std::string& folder, const std::string& game_file) const;
  void BuildHtml();

  std::string site_root_;
  std::vector<game_item> items_;
  std::u16string html_;
};
