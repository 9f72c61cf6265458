// webkiv_load: load on a running webkiv.
//   webkiv_load static PORT PATH SECONDS CLIENTS
//     requests per second for a static file, one request per connection
//   webkiv_load play PORT GAME_PATH SESSIONS COMMANDS THINK_MS COMMAND...
//     SESSIONS browsers each start the game and play COMMANDS commands
//     (the given ones in turn) through cmd and update, as the browser
//     client does: after a command "update" is polled every 25 ms until
//     the reply comes, and the player thinks for up to THINK_MS (on
//     average half of it) before the next command. Reports replies lost,
//     errors, connections that failed and the command-to-reply times.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using steady = std::chrono::steady_clock;

namespace {

int port = 0;
// The poll interval of the browser client right after a command.
constexpr auto quick_poll = 25ms;

// One request on a connection of its own. The whole reply, or nullopt
// when the connection failed: a reply the server did not send is not an
// empty reply.
std::optional<std::string> try_request(const std::string& target, const std::string& cookie = "") {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(uint16_t(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    close(fd);
    return std::nullopt;
  }
  std::string head = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
  if (!cookie.empty()) head += "Cookie: KIV2=" + cookie + "\r\n";
  head += "\r\n";
  if (send(fd, head.data(), head.size(), MSG_NOSIGNAL) != ssize_t(head.size())) {
    close(fd);
    return std::nullopt;
  }
  std::string reply;
  char buffer[65536];
  ssize_t n;
  while ((n = recv(fd, buffer, sizeof(buffer), 0)) > 0) reply.append(buffer, size_t(n));
  close(fd);
  if (n < 0) return std::nullopt;
  return reply;
}

std::atomic<long> failed_connections{0};

// A request that is tried again, as a browser does, when its connection fails.
std::string request(const std::string& target, const std::string& cookie = "") {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (std::optional<std::string> reply = try_request(target, cookie)) return *reply;
    ++failed_connections;
    std::this_thread::sleep_for(quick_poll);
  }
  return {};
}

std::string body_of(const std::string& reply) {
  size_t body = reply.find("\r\n\r\n");
  return body == std::string::npos ? std::string() : reply.substr(body + 4);
}

std::string percent_encoded(const std::string& text) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c)) {
      out += char(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

int run_static(const std::string& path, int seconds, int clients) {
  std::atomic<long> done{0}, failed{0};
  auto end = steady::now() + std::chrono::seconds(seconds);
  std::vector<std::thread> threads;
  for (int i = 0; i < clients; ++i)
    threads.emplace_back([&] {
      while (steady::now() < end) {
        std::string reply = try_request(path).value_or("");
        (reply.rfind("HTTP/1.1 200 OK", 0) == 0 ? done : failed)++;
      }
    });
  for (std::thread& t : threads) t.join();
  std::printf("static %s: %ld requests in %d s with %d clients: %.0f per second, %ld failed\n", path.c_str(),
              done.load(), seconds, clients, double(done) / seconds, failed.load());
  return failed ? 1 : 0;
}

struct play_result {
  std::vector<double> milliseconds;
  std::vector<double> openings;  // page request to the game's first reply
  long lost = 0;
  long errors = 0;
};

struct player {
  std::string game_path;
  int commands;
  std::chrono::milliseconds think;
  const std::vector<std::string>& walkthrough;
};

void play(const player& p, play_result& result, std::mutex& result_mutex, unsigned seed) {
  std::string page = request(p.game_path);
  size_t set = page.find("Set-Cookie: KIV2=");
  if (set == std::string::npos) {
    std::lock_guard lock(result_mutex);
    ++result.errors;
    return;
  }
  std::string cookie = page.substr(set + 17, 12);
  std::string folder = p.game_path.substr(0, p.game_path.rfind('/') + 1);
  auto update = [&] { return body_of(request(folder + "?update", cookie)); };
  std::mt19937 random(seed);
  auto think = [&] {
    if (p.think.count() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(random() % p.think.count()));
  };
  // The game's opening: its first reply shows where the game starts. The
  // engine starts the games one after another, so when every session
  // starts at once the last ones wait long; that wait is no command's.
  auto started = steady::now();
  bool opened = false;
  for (auto give_up = started + 600s; !opened && steady::now() < give_up;) {
    opened = update().find("\"location\"") != std::string::npos;
    if (!opened) std::this_thread::sleep_for(quick_poll);
  }
  double opening = std::chrono::duration<double, std::milli>(steady::now() - started).count();
  std::vector<double> times;
  long lost = opened ? 0 : 1, errors = 0;
  for (int i = 0; opened && i < p.commands; ++i) {
    think();
    auto sent = steady::now();
    std::string answer = request(folder + "?cmd=" + percent_encoded(p.walkthrough[size_t(i) % p.walkthrough.size()]), cookie);
    if (answer != "HTTP/1.1 204 OK\r\n\r\n") ++errors;
    std::string reply;
    for (auto give_up = sent + 30s; (reply = update()).find("\"text\"") == std::string::npos && steady::now() < give_up;)
      std::this_thread::sleep_for(quick_poll);
    if (reply.find("\"text\"") == std::string::npos) {
      ++lost;
      continue;
    }
    times.push_back(std::chrono::duration<double, std::milli>(steady::now() - sent).count());
  }
  std::lock_guard lock(result_mutex);
  result.milliseconds.insert(result.milliseconds.end(), times.begin(), times.end());
  if (opened) result.openings.push_back(opening);
  result.lost += lost;
  result.errors += errors;
}

int run_play(const player& p, int sessions) {
  play_result result;
  std::mutex result_mutex;
  auto start = steady::now();
  std::vector<std::thread> threads;
  for (int i = 0; i < sessions; ++i)
    threads.emplace_back([&, i] { play(p, result, result_mutex, unsigned(i)); });
  for (std::thread& t : threads) t.join();
  double seconds = std::chrono::duration<double>(steady::now() - start).count();
  std::vector<double>& times = result.milliseconds;
  std::sort(times.begin(), times.end());
  std::sort(result.openings.begin(), result.openings.end());
  auto at = [](const std::vector<double>& sorted, double share) {
    return sorted.empty() ? 0.0 : sorted[std::min(sorted.size() - 1, size_t(share * double(sorted.size())))];
  };
  std::printf("play: %d sessions x %d commands (thinking up to %lld ms) in %.1f s: %zu replies, %ld lost, "
              "%ld errors, %ld failed connections tried again; command to reply: median %.1f ms, 90%% %.1f ms, "
              "99%% %.1f ms, max %.1f ms; game opening: median %.0f ms, max %.0f ms\n",
              sessions, p.commands, (long long)p.think.count(), seconds, times.size(), result.lost, result.errors,
              failed_connections.load(), at(times, 0.5), at(times, 0.9), at(times, 0.99), at(times, 1.0),
              at(result.openings, 0.5), at(result.openings, 1.0));
  return result.lost || result.errors ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 6 && std::string(argv[1]) == "static") {
    port = std::atoi(argv[2]);
    return run_static(argv[3], std::atoi(argv[4]), std::atoi(argv[5]));
  }
  if (argc >= 8 && std::string(argv[1]) == "play") {
    port = std::atoi(argv[2]);
    std::vector<std::string> walkthrough(argv + 7, argv + argc);
    player p{argv[3], std::atoi(argv[5]), std::chrono::milliseconds(std::atoi(argv[6])), walkthrough};
    return run_play(p, std::atoi(argv[4]));
  }
  std::fprintf(stderr,
               "usage: webkiv_load static PORT PATH SECONDS CLIENTS\n"
               "       webkiv_load play PORT GAME_PATH SESSIONS COMMANDS THINK_MS COMMAND...\n");
  return 2;
}
