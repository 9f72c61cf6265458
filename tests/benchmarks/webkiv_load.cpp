// webkiv_load: load on a running webkiv.
//   webkiv_load static PORT PATH SECONDS CLIENTS
//     requests per second for a static file, one request per connection
//   webkiv_load play PORT GAME_PATH SESSIONS COMMANDS COMMAND...
//     SESSIONS browsers each start the game and play COMMANDS commands
//     (the given ones in turn) through cmd and update; reports replies
//     lost, errors and the command-to-reply times

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
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using steady = std::chrono::steady_clock;

namespace {

int port = 0;

// One request on a connection of its own; the whole reply, or empty when
// the connection failed.
std::string request(const std::string& target, const std::string& cookie = "") {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(uint16_t(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    close(fd);
    return {};
  }
  std::string head = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
  if (!cookie.empty()) head += "Cookie: KIV2=" + cookie + "\r\n";
  head += "\r\n";
  if (send(fd, head.data(), head.size(), MSG_NOSIGNAL) != ssize_t(head.size())) {
    close(fd);
    return {};
  }
  std::string reply;
  char buffer[65536];
  for (ssize_t n; (n = recv(fd, buffer, sizeof(buffer), 0)) > 0;) reply.append(buffer, size_t(n));
  close(fd);
  return reply;
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
        std::string reply = request(path);
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
  long lost = 0;
  long errors = 0;
};

void play(const std::string& game_path, int commands, const std::vector<std::string>& walkthrough,
          play_result& result, std::mutex& result_mutex) {
  std::string page = request(game_path);
  size_t set = page.find("Set-Cookie: KIV2=");
  if (set == std::string::npos) {
    std::lock_guard lock(result_mutex);
    ++result.errors;
    return;
  }
  std::string cookie = page.substr(set + 17, 12);
  std::string folder = game_path.substr(0, game_path.rfind('/') + 1);
  auto update = [&] {
    std::string reply = request(folder + "?update", cookie);
    size_t body = reply.find("\r\n\r\n");
    return body == std::string::npos ? std::string() : reply.substr(body + 4);
  };
  // The game's opening.
  for (auto give_up = steady::now() + 30s; update() == "{}" && steady::now() < give_up;) std::this_thread::sleep_for(5ms);
  std::vector<double> times;
  long lost = 0, errors = 0;
  for (int i = 0; i < commands; ++i) {
    auto sent = steady::now();
    std::string answer = request(folder + "?cmd=" + percent_encoded(walkthrough[size_t(i) % walkthrough.size()]), cookie);
    if (answer.rfind("HTTP/1.1 204 OK", 0) != 0) ++errors;
    std::string reply;
    auto give_up = sent + 30s;
    while ((reply = update()).find("\"text\"") == std::string::npos && steady::now() < give_up)
      std::this_thread::sleep_for(2ms);
    if (reply.find("\"text\"") == std::string::npos) {
      ++lost;
      continue;
    }
    times.push_back(std::chrono::duration<double, std::milli>(steady::now() - sent).count());
  }
  std::lock_guard lock(result_mutex);
  result.milliseconds.insert(result.milliseconds.end(), times.begin(), times.end());
  result.lost += lost;
  result.errors += errors;
}

int run_play(const std::string& game_path, int sessions, int commands, const std::vector<std::string>& walkthrough) {
  play_result result;
  std::mutex result_mutex;
  auto start = steady::now();
  std::vector<std::thread> threads;
  for (int i = 0; i < sessions; ++i)
    threads.emplace_back([&] { play(game_path, commands, walkthrough, result, result_mutex); });
  for (std::thread& t : threads) t.join();
  double seconds = std::chrono::duration<double>(steady::now() - start).count();
  std::vector<double>& times = result.milliseconds;
  std::sort(times.begin(), times.end());
  auto at = [&](double share) { return times.empty() ? 0.0 : times[std::min(times.size() - 1, size_t(share * double(times.size())))]; };
  std::printf("play: %d sessions x %d commands in %.1f s: %zu replies, %ld lost, %ld errors; "
              "command to reply: median %.1f ms, 90%% %.1f ms, 99%% %.1f ms, max %.1f ms\n",
              sessions, commands, seconds, times.size(), result.lost, result.errors, at(0.5), at(0.9), at(0.99),
              times.empty() ? 0.0 : times.back());
  return result.lost || result.errors ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 6 && std::string(argv[1]) == "static") {
    port = std::atoi(argv[2]);
    return run_static(argv[3], std::atoi(argv[4]), std::atoi(argv[5]));
  }
  if (argc >= 7 && std::string(argv[1]) == "play") {
    port = std::atoi(argv[2]);
    return run_play(argv[3], std::atoi(argv[4]), std::atoi(argv[5]), std::vector<std::string>(argv + 6, argv + argc));
  }
  std::fprintf(stderr,
               "usage: webkiv_load static PORT PATH SECONDS CLIENTS\n"
               "       webkiv_load play PORT GAME_PATH SESSIONS COMMANDS COMMAND...\n");
  return 2;
}
