// Games outlive the server: webkiv killed outright between two commands
// and started again carries on every browser's game where it stood.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "loopback_client.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

extern char** environ;

namespace {

// A browser's side of webkiv: one request per connection.
class browser {
 public:
  explicit browser(int port) : port_(port) {}

  std::string Get(const std::string& target, const std::string& cookie = "") const {
    return loopback::get(port_, target, cookie, 5s);
  }

  // The update replies' bodies until one holds `wanted`.
  std::string UpdateUntil(const std::string& cookie, const std::string& wanted) const {
    std::string seen;
    for (int i = 0; i < 300 && seen.find(wanted) == std::string::npos; ++i) {
      std::string reply = Get("/games/lighthouse/?update", cookie);
      size_t body = reply.find("\r\n\r\n");
      if (body != std::string::npos) seen += reply.substr(body + 4);
      std::this_thread::sleep_for(20ms);
    }
    return seen;
  }

  std::string Command(const std::string& cookie, const std::string& encoded) const {
    return Get("/games/lighthouse/?cmd=" + encoded, cookie);
  }

 private:
  int port_;
};

class webkiv_restart : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::path dictionary = fs::path(KIV_LIBRARY).parent_path() / "kiv.dic";
    if (!fs::exists(dictionary)) GTEST_SKIP() << "the full dictionary is needed";
    char pattern[] = "/tmp/kiv-restart-XXXXXX";
    site_ = mkdtemp(pattern);
    fs::path bin = site_ / "bin";
    fs::create_directories(bin);
    fs::copy_file(WEBKIV, bin / "webkiv");
    fs::create_symlink(KIV_LIBRARY, bin / "libkiv.so");
    fs::create_symlink(fs::canonical(dictionary), bin / "kiv.dic");
    fs::create_directory_symlink(fs::path(KIV_LIBRARY).parent_path() / "lib", bin / "lib");
    fs::create_directories(bin / "site");
    std::ofstream(bin / "site/index.html") << "";
    std::ofstream(bin / "site/interface.html") << "<h1>[location]</h1>";
    fs::create_directories(site_ / "games/lighthouse");
    fs::copy_file(LIGHTHOUSE, site_ / "games/lighthouse/lighthouse.kiv");
  }

  void TearDown() override {
    Stop(SIGTERM);
    if (!site_.empty()) fs::remove_all(site_);
  }

  // Starts webkiv; its port, 0 when it did not start.
  int Start(const std::vector<std::string>& options = {}) {
    int out[2];
    if (pipe(out) != 0) return 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string program = (site_ / "bin/webkiv").string();
    std::vector<const char*> argv = {program.c_str(), "--port", "0", "--listen", "127.0.0.1", "--quiet",
                                     "--prompt-worker"};
    for (const std::string& option : options) argv.push_back(option.c_str());
    for (const char* argument : {"/", "s"}) argv.push_back(argument);
    argv.push_back(nullptr);
    int spawned = posix_spawn(&pid_, program.c_str(), &actions, nullptr, const_cast<char**>(argv.data()), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) return 0;
    std::string line;
    char c;
    pollfd p{out[0], POLLIN, 0};
    while (poll(&p, 1, 60000) > 0 && read(out[0], &c, 1) == 1 && c != '\n') line += c;
    close(out[0]);
    size_t colon = line.rfind(':');
    return colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
  }

  void Stop(int signal_number) {
    if (pid_ <= 0) return;
    kill(pid_, signal_number);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = 0;
  }

  static std::string NewPlayer(const browser& b) {
    std::string page = b.Get("/games/lighthouse/lighthouse.kiv");
    size_t set = page.find("Set-Cookie: KIV2=");
    return set == std::string::npos ? "" : page.substr(set + 17, 12);
  }

  fs::path site_;
  pid_t pid_ = 0;
};

// "с" (north) and "з" (west), URL-encoded.
const std::string north = "%D1%81";
const std::string west = "%D0%B7";

}  // namespace

TEST_F(webkiv_restart, KilledServerCarriesOnEveryGame) {
  int port = Start();
  ASSERT_GT(port, 0);
  browser first_run(port);
  std::string anna = NewPlayer(first_run), boris = NewPlayer(first_run);
  ASSERT_EQ(anna.size(), 12u);
  ASSERT_EQ(boris.size(), 12u);
  ASSERT_NE(first_run.UpdateUntil(anna, "Причал").find("Причал"), std::string::npos);
  ASSERT_NE(first_run.UpdateUntil(boris, "Причал").find("Причал"), std::string::npos);
  first_run.Command(anna, north);
  ASSERT_NE(first_run.UpdateUntil(anna, "Тропа").find("Тропа"), std::string::npos);
  first_run.Command(boris, north);
  ASSERT_NE(first_run.UpdateUntil(boris, "Тропа").find("Тропа"), std::string::npos);
  std::this_thread::sleep_for(1100ms);  // a command repeated within a second is refused
  first_run.Command(boris, north);
  ASSERT_NE(first_run.UpdateUntil(boris, "Двор").find("Двор"), std::string::npos);

  Stop(SIGKILL);
  EXPECT_EQ(std::distance(fs::directory_iterator(site_ / "users/sessions"), fs::directory_iterator{}), 2);
  port = Start();
  ASSERT_GT(port, 0);
  browser second_run(port);
  // The next update shows where each game stands and its command history.
  std::string anna_sees = second_run.UpdateUntil(anna, "cmdlist");
  EXPECT_NE(anna_sees.find("\"location\":\"Тропа"), std::string::npos) << anna_sees;
  EXPECT_NE(anna_sees.find("\"cmdlist\":[\"с\"]"), std::string::npos) << anna_sees;
  std::string boris_sees = second_run.UpdateUntil(boris, "cmdlist");
  EXPECT_NE(boris_sees.find("\"location\":\"Двор"), std::string::npos) << boris_sees;
  // The games go on from there: north of the path is the yard, west of
  // the yard the keeper's house.
  second_run.Command(anna, north);
  EXPECT_NE(second_run.UpdateUntil(anna, "Двор").find("Двор"), std::string::npos);
  second_run.Command(boris, west);
  EXPECT_NE(second_run.UpdateUntil(boris, "Прихожая").find("Прихожая"), std::string::npos);
  // A cookie with no kept game gets nothing.
  EXPECT_EQ(second_run.Get("/games/lighthouse/?update", "AAAAAAAAAAAA"), "");
}

TEST_F(webkiv_restart, IdleGameLeavesMemoryAndComesBackWithItsBrowser) {
  int port = Start({"--idle-release", "1", "--net-log"});
  ASSERT_GT(port, 0);
  browser b(port);
  std::string player = NewPlayer(b);
  ASSERT_EQ(player.size(), 12u);
  ASSERT_NE(b.UpdateUntil(player, "Причал").find("Причал"), std::string::npos);
  b.Command(player, north);
  ASSERT_NE(b.UpdateUntil(player, "Тропа").find("Тропа"), std::string::npos);
  // Another browser's request after the idle time lets the game go.
  std::this_thread::sleep_for(2200ms);
  b.Get("/");
  // Its browser comes back: the game is where it was, and goes on.
  std::string seen = b.UpdateUntil(player, "cmdlist");
  EXPECT_NE(seen.find("\"location\":\"Тропа"), std::string::npos) << seen;
  std::ifstream net_log(site_ / "NetLog.log", std::ios::binary);
  std::string log(std::istreambuf_iterator<char>(net_log), {});
  EXPECT_NE(log.find("Сессия отпущена до возвращения браузера: " + player), std::string::npos) << log;
  EXPECT_NE(log.find("Возобновлена игра"), std::string::npos) << log;
  b.Command(player, north);
  EXPECT_NE(b.UpdateUntil(player, "Двор").find("Двор"), std::string::npos);
}

