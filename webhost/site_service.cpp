#include "site_service.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "http_reply.h"
#include "text_edit.h"

int plural_form(int n) {
  if (n >= 5 && n <= 20) return 2;
  int last = n % 10;
  if (last == 1) return 0;
  if (last >= 2 && last <= 4) return 1;
  return 2;
}

std::u16string statistics_line(int session_count) {
  std::u16string line = u"Статистика: в данный момент ";
  if (session_count <= 0) return line + u"никто не играет.";
  static constexpr std::u16string_view verbs[] = {u" запущена ", u" запущено ", u" запущены "};
  static constexpr std::u16string_view nouns[] = {u" игра.", u" игры.", u" игр."};
  int form = plural_form(session_count);
  return line + std::u16string(verbs[form]) + decimal(session_count) + std::u16string(nouns[form]);
}

std::string site_service::Reply(const std::u16string& query, int session_count, server_log& log) const {
  if (starts_with(query, u"info")) {
    log.Add("send info");
    std::string head(http_reply::polled_text_head);
    return http_reply::WithBody(head, to_utf8(statistics_line(session_count)));
  }
  if (starts_with(query, u"spam=")) {
    Subscribe(query.substr(5));
    log.Add("subscribe");
    return std::string(http_reply::no_content_ok);
  }
  return "HTTP/1.1 400 Bad Request\r\n\r\n" + to_utf8(u"Многие так говорят, но что это значит я не понимаю.");
}

void site_service::Subscribe(const std::u16string& address) const {
  int fd = open(subscribe_log_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return;
  struct stat status {};
  if (fstat(fd, &status) == 0 && status.st_size <= max_subscribe_bytes) {
    std::string line = to_ansi(address) + "\r\n";
    [[maybe_unused]] ssize_t written = write(fd, line.data(), line.size());
  }
  close(fd);
}
