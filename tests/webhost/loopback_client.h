#pragma once

// The client side of the tests that run webkiv itself: connections to a
// port on this machine, whole requests and replies.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>

namespace loopback {

// A connection to the port on 127.0.0.1; -1 when refused.
inline int connect_to(int port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(uint16_t(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

inline bool send_all(int fd, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += size_t(n);
  }
  return true;
}

// Everything the server sends until it closes; "<timeout>" when it keeps
// the connection open longer than `wait`.
inline std::string read_to_end(int fd, std::chrono::milliseconds wait = std::chrono::seconds(5)) {
  std::string got;
  auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{fd, POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, int(left.count())) <= 0) return "<timeout>";
    char buffer[65536];
    ssize_t n = recv(fd, buffer, sizeof(buffer), 0);
    if (n <= 0) return got;
    got.append(buffer, size_t(n));
  }
}

// The whole reply to a GET of `target`, with the game cookie when one is
// given; "<no connection>" when the port refuses.
inline std::string get(int port, const std::string& target, const std::string& cookie = "",
                       std::chrono::milliseconds wait = std::chrono::seconds(10)) {
  int fd = connect_to(port);
  if (fd < 0) return "<no connection>";
  std::string head = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
  if (!cookie.empty()) head += "Cookie: KIV2=" + cookie + "\r\n";
  head += "\r\n";
  std::string reply = send_all(fd, head) ? read_to_end(fd, wait) : "<not sent>";
  close(fd);
  return reply;
}

}  // namespace loopback
