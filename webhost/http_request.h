#pragma once

#include <string>
#include <string_view>

// One request as the server reads it: GET over HTTP/1.1 only, the URL in
// lower case, split into path and query, the game folder and the cookie
// "KIV2".
struct http_request {
  bool valid = false;           // the first line holds "GET " and " HTTP/1.1"
  std::string first_line;       // as received, for the log
  std::string request_text;     // the request line from "GET " up to " HTTP/1.1"
  std::u16string path;
  std::u16string query;         // "cmd=" and "site=" queries are URL-decoded
  std::u16string game_folder;   // the path up to and including its last "/"
  std::u16string cookie;        // keeps its letter case

  bool IsUpdate() const;
  bool IsUpdide() const;
  bool IsFolder() const;
  bool IsGame() const;
  // The path may name a file: no NUL and no ".." step, so serving it never
  // leaves the site's folders.
  bool SafePath() const;
};

http_request parse_request(std::string_view head);
