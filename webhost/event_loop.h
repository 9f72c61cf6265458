#pragma once

#include <netinet/in.h>
#include <sys/epoll.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

// The server's connections on one thread: epoll tells which socket is
// ready, and each connection carries its own timer, so a slow or idle
// client never holds up another. A connection reads one request head,
// sends the reply, and after that waits at most 100 ms for the client to
// close before it closes.
class event_loop {
 public:
  using clock = std::chrono::steady_clock;
  static constexpr size_t max_head_bytes = 64 * 1024;
  static constexpr std::chrono::milliseconds close_pause{100};
  // A client that has not sent its whole head by then is dropped.
  static constexpr std::chrono::seconds head_wait{10};
  static constexpr int accept_batch = 64;

  // The reply to a head from an address; empty for none.
  using handler = std::function<std::string(std::string_view head, const std::string& remote_address)>;
  // Runs after each handled request (the log refresh).
  using after_request = std::function<void()>;

  event_loop(handler handle, after_request after);
  ~event_loop();
  event_loop(const event_loop&) = delete;
  event_loop& operator=(const event_loop&) = delete;

  // Opens the listening socket; false with errno kept.
  bool Listen(const std::string& address, int port);
  int Port() const { return port_; }
  bool Listening() const { return listen_fd_ >= 0; }
  // Serves until SIGINT or SIGTERM arrives (they are blocked outside the
  // wait) or Stop is called from a handler.
  void Run();
  void Stop() { running_ = false; }
  // For a loop of another toolkit that waits instead of Run: the
  // descriptor that becomes readable when there is work, how long to wait
  // at most for a connection's timer, and the work due now.
  int Descriptor() const { return epoll_fd_; }
  int WaitMilliseconds() const;
  void Dispatch();
  // Closes the listening socket and every connection.
  void CloseAll();

 private:
  enum class phase { reading, writing, closing };
  struct connection {
    int fd = -1;
    std::string remote_address;
    std::string input;
    std::string output;
    size_t sent = 0;
    phase state = phase::reading;
    bool awaits_output = false;  // epoll watches for room to send
    clock::time_point deadline;
  };

  void Accept();
  void OnReadable(connection& c);
  void OnWritable(connection& c);
  void Respond(connection& c, std::string reply);
  void StartClosing(connection& c);
  void Watch(connection& c, uint32_t events);
  void SetDeadline(connection& c, clock::time_point deadline);
  void Close(int fd);
  void CloseExpired();
  void HandleEvents(const epoll_event* events, int count);

  handler handle_;
  after_request after_;
  int epoll_fd_ = -1;
  int listen_fd_ = -1;
  int spare_fd_ = -1;  // given up to accept and drop a client when no descriptor is left
  int port_ = 0;
  bool running_ = false;
  std::map<int, std::unique_ptr<connection>> connections_;
  std::set<std::pair<clock::time_point, int>> deadlines_;
};
