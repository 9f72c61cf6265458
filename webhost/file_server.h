#pragma once

#include <string>

#include "host_folders.h"
#include "server_log.h"

class web_session;

// Serves a file of the site: looked up in the site root, then in the
// fallback folder, then again with its leading folders dropped one by
// one. Pages get "[gamelist]" and "[location]" filled in.
class file_server {
 public:
  static constexpr long max_file_bytes = 10000000;

  file_server(const host_folders& folders, server_log& log) : folders_(folders), log_(log) {}

  // The whole reply. `session` (may be null) gives the location and a new
  // cookie to set; `gamelist` fills "[gamelist]".
  std::string Serve(std::u16string path, web_session* session, const std::u16string& gamelist);

 private:
  // The file on disk of the first match of the search; empty when none.
  std::string Find(std::string path);
  std::string Reply(const std::string& file, const struct content_type& row, web_session* session,
                    const std::u16string& gamelist, std::u16string& error);

  host_folders folders_;
  server_log& log_;
};
