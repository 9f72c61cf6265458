#pragma once

#include <string>

#include "server_log.h"

// The "site=" queries: the statistics line and the subscription log.
class site_service {
 public:
  static constexpr long max_subscribe_bytes = 1000000;

  explicit site_service(std::string subscribe_log) : subscribe_log_(std::move(subscribe_log)) {}

  // The whole reply to the query after "site=", as UTF-8.
  std::string Reply(const std::u16string& query, int session_count, server_log& log) const;

 private:
  void Subscribe(const std::u16string& address) const;

  std::string subscribe_log_;
};

// "Статистика: в данный момент ..." for the number of web sessions.
std::u16string statistics_line(int session_count);
// The form of a countable word for n > 0: 0 for one (1, 21, ...), 1 for a
// few (2-4, 22-24, ...), 2 for many (5-20, 25-30, ...).
int plural_form(int n);
