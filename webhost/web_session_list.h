#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "web_session.h"

// Every web session, keyed by cookie and game folder, and the lock that
// guards them. The engine's worker never waits for that lock: its output is
// queued and delivered to the sessions by whoever holds the lock next, so
// no output is lost however long a request keeps the lock.
class web_session_list {
 public:
  static constexpr std::chrono::milliseconds lock_wait{100};

  std::timed_mutex& Mutex() { return mutex_; }

  // Called with the lock held.
  web_session* Find(const std::u16string& cookie, const std::u16string& game_folder);
  web_session& Create(const std::u16string& cookie, const std::u16string& game_folder, bool new_cookie);
  int Count() const { return int(sessions_.size()); }
  void Clear();
  void Remove(web_session& session);
  std::vector<web_session*> All() const;
  // Hands the queued engine output to its sessions (id 0: all of them);
  // the development environment's replies only with the editor on, as
  // nothing else takes them.
  void DeliverQueued(bool letters, bool editor);

  // Called on any thread, without the lock.
  void Queue(int32_t id, std::u16string_view channel, std::u16string_view text);

 private:
  enum class channel { print, ide, journal };
  struct queued_output {
    int32_t id;
    channel kind;
    std::u16string text;
  };
  void Deliver(web_session& session, const queued_output& output, bool letters);

  std::timed_mutex mutex_;
  std::map<std::pair<std::u16string, std::u16string>, std::unique_ptr<web_session>> sessions_;
  std::unordered_map<int32_t, web_session*> by_id_;
  int32_t next_id_ = 1;  // 0 addresses every session, so it is never given

  std::mutex queue_mutex_;
  std::vector<queued_output> queue_;
};

// A new cookie for a browser: `new_cookie` tells whether its log file
// under users/ was created (only then it is sent with "Set-Cookie").
struct created_cookie {
  std::u16string cookie;
  bool new_cookie = false;
};

// Makes a cookie of 12 letters and digits from the system's cryptographic
// random source and starts its log users_folder/<cookie>.log with the date
// and the remote address. None when every attempt found a taken name.
std::optional<created_cookie> create_cookie(const std::string& users_folder, const std::string& remote_address);
