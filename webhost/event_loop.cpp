#include "event_loop.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// A head ends with an empty line; a first line that cannot be a request
// ends it too, since nothing after it is read.
bool head_complete(const std::string& input) {
  if (input.find("\r\n\r\n") != std::string::npos || input.find("\n\n") != std::string::npos) return true;
  size_t line_end = input.find('\n');
  if (line_end == std::string::npos) return false;
  std::string_view first(input.data(), line_end);
  return first.find("GET ") == std::string_view::npos || first.find(" HTTP/1.1") == std::string_view::npos;
}

std::string address_text(const sockaddr_storage& address) {
  char text[INET6_ADDRSTRLEN] = "";
  if (address.ss_family == AF_INET)
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(address).sin_addr, text, sizeof(text));
  else if (address.ss_family == AF_INET6)
    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(address).sin6_addr, text, sizeof(text));
  return text;
}

}  // namespace

event_loop::event_loop(handler handle, after_request after)
    : handle_(std::move(handle)), after_(std::move(after)) {
  epoll_fd_ = epoll_create1(EPOLL_CLOEXEC);
  spare_fd_ = open("/dev/null", O_RDONLY | O_CLOEXEC);
}

event_loop::~event_loop() {
  CloseAll();
  if (spare_fd_ >= 0) close(spare_fd_);
  if (epoll_fd_ >= 0) close(epoll_fd_);
}

bool event_loop::Listen(const std::string& address, int port) {
  sockaddr_in bound{};
  bound.sin_family = AF_INET;
  bound.sin_port = htons(uint16_t(port));
  if (inet_pton(AF_INET, address.c_str(), &bound.sin_addr) != 1) {
    errno = EINVAL;
    return false;
  }
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
  if (bind(fd, reinterpret_cast<sockaddr*>(&bound), sizeof(bound)) != 0 || listen(fd, SOMAXCONN) != 0) {
    int error = errno;
    close(fd);
    errno = error;
    return false;
  }
  socklen_t length = sizeof(bound);
  getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
  port_ = ntohs(bound.sin_port);
  listen_fd_ = fd;
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.fd = fd;
  epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, fd, &event);
  return true;
}

void event_loop::Run() {
  sigset_t stop_signals, previous;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, &previous);
  sigset_t waiting = previous;
  sigdelset(&waiting, SIGINT);
  sigdelset(&waiting, SIGTERM);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, nullptr);
  // The stop signals interrupt only the wait, where they are let through.
  static volatile sig_atomic_t stop_asked = 0;
  struct sigaction stop {};
  stop.sa_handler = [](int) { stop_asked = 1; };
  struct sigaction old_int {}, old_term {};
  sigaction(SIGINT, &stop, &old_int);
  sigaction(SIGTERM, &stop, &old_term);
  stop_asked = 0;

  running_ = true;
  epoll_event events[64];
  while (running_ && !stop_asked) {
    int count = epoll_pwait(epoll_fd_, events, 64, WaitMilliseconds(), &waiting);
    HandleEvents(events, count);
    CloseExpired();
  }
  sigaction(SIGINT, &old_int, nullptr);
  sigaction(SIGTERM, &old_term, nullptr);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

void event_loop::Dispatch() {
  epoll_event events[64];
  HandleEvents(events, epoll_wait(epoll_fd_, events, 64, 0));
  CloseExpired();
}

void event_loop::HandleEvents(const epoll_event* events, int count) {
  for (int i = 0; i < count; ++i) {
    int fd = events[i].data.fd;
    if (fd == listen_fd_) {
      Accept();
      continue;
    }
    auto found = connections_.find(fd);
    if (found == connections_.end()) continue;
    connection& c = *found->second;
    if (c.state == phase::writing && (events[i].events & (EPOLLOUT | EPOLLERR | EPOLLHUP)))
      OnWritable(c);
    else if (events[i].events & (EPOLLIN | EPOLLERR | EPOLLHUP | EPOLLRDHUP))
      OnReadable(c);
  }
}

void event_loop::CloseAll() {
  while (!connections_.empty()) Close(connections_.begin()->first);
  if (listen_fd_ >= 0) close(listen_fd_);
  listen_fd_ = -1;
}

// At most a batch per wakeup, so a flood of new clients cannot keep the
// loop from the clients it has.
void event_loop::Accept() {
  for (int accepted = 0; accepted < accept_batch; ++accepted) {
    sockaddr_storage address{};
    socklen_t length = sizeof(address);
    int fd = accept4(listen_fd_, reinterpret_cast<sockaddr*>(&address), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if ((errno == EMFILE || errno == ENFILE) && spare_fd_ >= 0) {
        // Take the waiting client off the queue, or it would wake us forever.
        close(spare_fd_);
        int dropped = accept(listen_fd_, nullptr, nullptr);
        if (dropped >= 0) close(dropped);
        spare_fd_ = open("/dev/null", O_RDONLY | O_CLOEXEC);
        continue;
      }
      return;
    }
    auto c = std::make_unique<connection>();
    c->fd = fd;
    c->remote_address = address_text(address);
    epoll_event event{};
    event.events = EPOLLIN | EPOLLRDHUP;
    event.data.fd = fd;
    epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, fd, &event);
    connection& added = *c;
    connections_[fd] = std::move(c);
    SetDeadline(added, clock::now() + head_wait);
  }
}

void event_loop::OnReadable(connection& c) {
  char buffer[16384];
  for (;;) {
    ssize_t n = recv(c.fd, buffer, sizeof(buffer), 0);
    if (n > 0) {
      if (c.state != phase::reading) continue;  // after the reply, input is only drained
      c.input.append(buffer, size_t(n));
      if (c.input.size() > max_head_bytes) {
        Respond(c, "HTTP/1.1 431 Request Header Fields Too Large\r\n\r\n");
        return;
      }
      // A whole head is answered at once: another read would only find
      // the socket empty.
      if (head_complete(c.input)) break;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    // A client may end its sending right after its head and still wait
    // for the reply; otherwise it is gone.
    if (n == 0 && c.state == phase::reading && head_complete(c.input)) break;
    Close(c.fd);
    return;
  }
  if (c.state == phase::reading && head_complete(c.input)) {
    std::string reply = handle_(c.input, c.remote_address);
    if (after_) after_();
    Respond(c, std::move(reply));
  }
}

void event_loop::Respond(connection& c, std::string reply) {
  c.input.clear();
  c.input.shrink_to_fit();
  c.output = std::move(reply);
  c.sent = 0;
  c.state = phase::writing;
  OnWritable(c);
}

void event_loop::OnWritable(connection& c) {
  while (c.sent < c.output.size()) {
    ssize_t n = send(c.fd, c.output.data() + c.sent, c.output.size() - c.sent, MSG_NOSIGNAL);
    if (n > 0) {
      c.sent += size_t(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!c.awaits_output) Watch(c, EPOLLOUT | EPOLLRDHUP);
      c.awaits_output = true;
      SetDeadline(c, clock::now() + head_wait);
      return;
    }
    Close(c.fd);
    return;
  }
  StartClosing(c);
}

// The reply is out: the client sees its end at once, and the socket is
// closed when the client closes its side, or after the pause.
void event_loop::StartClosing(connection& c) {
  c.output.clear();
  c.output.shrink_to_fit();
  c.state = phase::closing;
  shutdown(c.fd, SHUT_WR);
  if (c.awaits_output) Watch(c, EPOLLIN | EPOLLRDHUP);
  c.awaits_output = false;
  SetDeadline(c, clock::now() + close_pause);
}

void event_loop::Watch(connection& c, uint32_t events) {
  epoll_event event{};
  event.events = events;
  event.data.fd = c.fd;
  epoll_ctl(epoll_fd_, EPOLL_CTL_MOD, c.fd, &event);
}

void event_loop::SetDeadline(connection& c, clock::time_point deadline) {
  deadlines_.erase({c.deadline, c.fd});
  c.deadline = deadline;
  deadlines_.insert({deadline, c.fd});
}

void event_loop::Close(int fd) {
  auto found = connections_.find(fd);
  if (found == connections_.end()) return;
  deadlines_.erase({found->second->deadline, fd});
  close(fd);  // which also takes it out of the epoll set, as it is never duplicated
  connections_.erase(found);
}

void event_loop::CloseExpired() {
  clock::time_point now = clock::now();
  while (!deadlines_.empty() && deadlines_.begin()->first <= now) Close(deadlines_.begin()->second);
}

int event_loop::WaitMilliseconds() const {
  if (deadlines_.empty()) return 1000;
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadlines_.begin()->first - clock::now());
  return int(std::max<long long>(0, left.count() + 1));
}
