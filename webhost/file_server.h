#pragma once

#include <sys/types.h>

#include <chrono>
#include <ctime>
#include <string>
#include <unordered_map>

#include "host_folders.h"
#include "server_log.h"

class web_session;
struct content_type;

// Serves a file of the site: looked up in the site root, then in the
// fallback folder, then again with its leading folders dropped one by
// one. Pages get "[gamelist]" and "[location]" filled in.
//
// Files found are kept read and decoded: a request costs one stat of the
// file while it stays as it was, and the search runs again at most a
// second later, so a file put earlier in the search order is found then.
class file_server {
 public:
  using clock = std::chrono::steady_clock;
  static constexpr long max_file_bytes = 10000000;
  static constexpr size_t max_cached_bytes = 64 * 1024 * 1024;
  static constexpr std::chrono::seconds search_again{1};

  file_server(const host_folders& folders, server_log& log) : folders_(folders), log_(log) {}

  // The whole reply. `session` (may be null) gives the location and a new
  // cookie to set; `gamelist` fills "[gamelist]".
  std::string Serve(std::u16string path, web_session* session, const std::u16string& gamelist);

 private:
  // What tells a changed file from the one that was read.
  struct file_stamp {
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};
    bool operator==(const file_stamp& other) const;
  };
  struct cached_file {
    std::string file;  // where the search found it
    file_stamp stamp;
    clock::time_point searched;
    std::string body;     // the bytes, or the text as UTF-8
    long characters = 0;  // of a text, for the log
  };

  // The file's content, read now or kept from before; null with `error`
  // set when it cannot be served.
  const cached_file* Content(const std::string& path, const content_type& row, std::u16string& error);
  // The file on disk of the first match of the search; empty when none.
  std::string Find(std::string path);
  bool Load(const std::string& file, const content_type& row, cached_file& loaded, std::u16string& error);
  void Keep(const std::string& path, cached_file loaded);
  std::string Reply(const cached_file& content, const content_type& row, web_session* session,
                    const std::u16string& gamelist);

  host_folders folders_;
  server_log& log_;
  std::unordered_map<std::string, cached_file> cache_;
  size_t cached_bytes_ = 0;
};
