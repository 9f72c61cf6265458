// The real webkiv program on a free port, talked to over sockets as a
// browser (or a hostile client) talks to it.

#include <arpa/inet.h>
#include <fcntl.h>
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
#include <random>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

extern char** environ;

namespace {

using loopback::connect_to;
using loopback::read_to_end;
using loopback::send_all;

void write_file(const fs::path& file, const std::string& content) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
}

std::string body_of(const std::string& reply) {
  size_t end = reply.find("\r\n\r\n");
  return end == std::string::npos ? "" : reply.substr(end + 4);
}

class webkiv_server : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Launch("// Проверка\n// Тестовая игра\n", {}); }

  // Starts webkiv on a site with one game, with more options when given.
  static void Launch(const std::string& game, const std::vector<const char*>& options) {
    char pattern[] = "/tmp/kiv-webkiv-XXXXXX";
    outer_ = mkdtemp(pattern);
    site_ = outer_ / "site";
    fs::path bin = site_ / "bin";
    fs::create_directories(bin);
    fs::copy_file(WEBKIV, bin / "webkiv");
    fs::create_symlink(KIV_LIBRARY, bin / "libkiv.so");
    fs::create_directory_symlink(fs::path(KIV_LIBRARY).parent_path() / "lib", bin / "lib");
    write_file(bin / "site/index.html", "<nav>[gamelist]</nav>");
    write_file(bin / "site/interface.html", "<h1>[location]</h1>");
    write_file(bin / "site/KIV2IDE.html", "<h2>[location]</h2>");
    write_file(site_ / "games/test/game.kiv", game);
    write_file(outer_ / "secret.txt", "secret");

    int out[2];
    ASSERT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string program = (bin / "webkiv").string();
    std::vector<const char*> argv = {program.c_str(), "--port", "0", "--listen", "127.0.0.1", "--quiet", "--net-log"};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.insert(argv.end(), {"/", "s", nullptr});
    ASSERT_EQ(posix_spawn(&pid_, program.c_str(), &actions, nullptr, const_cast<char**>(argv.data()), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    // The first line of its output is the address it serves.
    std::string line = read_line(out[0]);
    close(out[0]);
    size_t colon = line.rfind(':');
    ASSERT_NE(colon, std::string::npos) << line;
    port_ = std::atoi(line.c_str() + colon + 1);
    ASSERT_EQ(line, "http://127.0.0.1:" + std::to_string(port_) + "/");
  }

  static std::string read_line(int fd) {
    std::string line;
    char c;
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, 30000) > 0 && read(fd, &c, 1) == 1 && c != '\n') line += c;
    return line;
  }

  static void TearDownTestSuite() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      int status = 0;
      waitpid(pid_, &status, 0);
      // It stops on the signal, releases the engine and leaves no leak.
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    fs::remove_all(outer_);
  }

  // One request, its whole reply.
  static std::string Exchange(const std::string& bytes) {
    int fd = connect_to(port_);
    if (fd < 0) return "<no connection>";
    send_all(fd, bytes);
    std::string reply = read_to_end(fd);
    close(fd);
    return reply;
  }
  static std::string Get(const std::string& target, const std::string& cookie = "") {
    std::string head = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    if (!cookie.empty()) head += "Cookie: KIV2=" + cookie + "\r\n";
    return Exchange(head + "\r\n");
  }
  static std::string StatusLine(const std::string& reply) { return reply.substr(0, reply.find("\r\n")); }

  // Polls the game's output until a reply holds `wanted`.
  static std::string UpdateUntil(const std::string& cookie, const std::string& wanted) {
    std::string seen;
    for (int i = 0; i < 300; ++i) {
      std::string body = body_of(Get("/games/test/?update", cookie));
      seen += body;
      if (seen.find(wanted) != std::string::npos) return seen;
      std::this_thread::sleep_for(20ms);
    }
    return seen;
  }

  // Polls the development environment's replies until they hold `wanted`.
  static std::string UpdideUntil(const std::string& cookie, const std::string& wanted) {
    std::string seen;
    for (int i = 0; i < 300; ++i) {
      seen += body_of(Get("/games/test/?updide", cookie));
      if (seen.find(wanted) != std::string::npos) return seen;
      std::this_thread::sleep_for(20ms);
    }
    return seen;
  }

  static std::string NewCookie(const std::string& page) {
    size_t set = page.find("Set-Cookie: KIV2=");
    return set == std::string::npos ? std::string() : page.substr(set + 17, 12);
  }

  static inline fs::path outer_;
  static inline fs::path site_;
  static inline pid_t pid_ = 0;
  static inline int port_ = 0;
};

// The same program with the editor on, a game with a place in it.
class webkiv_editor : public webkiv_server {
 protected:
  static void SetUpTestSuite() {
    Launch("// Проверка\n// Тестовая игра\nlocation зал {\n  вес = 1\n  цвет = \"серый\"\n}\n"
           "герой { inside зал }\npers = герой\n",
           {"--editor"});
  }
};

}  // namespace

TEST_F(webkiv_server, CatalogueAndFiles) {
  std::string page = Get("/");
  EXPECT_EQ(StatusLine(page), "HTTP/1.1 200 OK");
  EXPECT_EQ(body_of(page), "<nav>\nПроверка<ul><li><a href='/games/test/game.kiv' target='_parent'>Тестовая игра</a>"
                           "</li></ul></nav>");
  EXPECT_EQ(StatusLine(Get("/nothing.png")), "HTTP/1.0 404 Not Found");
  EXPECT_EQ(StatusLine(Get("/?site=info")), "HTTP/1.1 200 OK");
}

TEST_F(webkiv_server, AGameIsPlayedThroughCookieCommandsAndUpdates) {
  std::string page = Get("/games/test/game.kiv");
  ASSERT_EQ(StatusLine(page), "HTTP/1.1 200 OK");
  size_t set = page.find("Set-Cookie: KIV2=");
  ASSERT_NE(set, std::string::npos) << page;
  std::string cookie = page.substr(set + 17, 12);
  EXPECT_TRUE(fs::exists(site_ / "users" / (cookie + ".log")));
  // The engine's first turn shows where the game stands.
  EXPECT_NE(UpdateUntil(cookie, "\"location\":").find("\"location\":"), std::string::npos);
  EXPECT_EQ(Get("/games/test/?cmd=%D0%B6%D0%B4%D0%B0%D1%82%D1%8C", cookie), "HTTP/1.1 204 OK\r\n\r\n");
  std::string replies = UpdateUntil(cookie, "\"cmdlist\":[\"ждать\"]");
  EXPECT_NE(replies.find("\"cmdlist\":[\"ждать\"]"), std::string::npos) << replies;
  // The page again: the same session, its location filled in, no new cookie.
  page = Get("/games/test/game.kiv", cookie);
  EXPECT_EQ(page.find("Set-Cookie"), std::string::npos);
  EXPECT_NE(body_of(page), "<h1></h1>");
  EXPECT_EQ(Get("/games/test/?updide", cookie), "HTTP/1.1 204 No Content\r\n\r\n");
  // An editor query is not passed on with the editor off; the session lives on.
  EXPECT_EQ(Get("/games/test/?cmd=ide=objtree", cookie), "HTTP/1.1 204 OK\r\n\r\n");
  EXPECT_EQ(Get("/games/test/?updide", cookie), "HTTP/1.1 204 No Content\r\n\r\n");
  EXPECT_EQ(Get("/games/test/?update"), "");  // without a cookie, no reply
  std::ifstream net_log(site_ / "NetLog.log", std::ios::binary);
  std::string log(std::istreambuf_iterator<char>(net_log), {});
  EXPECT_NE(log.find("Set new cookie " + cookie), std::string::npos);
}

TEST_F(webkiv_server, RefusedRequests) {
  EXPECT_EQ(Get("/games/test/game.kiv?x"), "HTTP/1.1 406 Not Acceptable\r\n\r\n");
  EXPECT_EQ(Exchange("GET / HTTP/1.0\r\n\r\n"), "");
  EXPECT_EQ(Exchange("POST / HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc"), "");
  std::string huge = "GET / HTTP/1.1\r\nX: " + std::string(70000, 'a') + "\r\n\r\n";
  EXPECT_EQ(StatusLine(Exchange(huge)), "HTTP/1.1 431 Request Header Fields Too Large");
  for (const char* path : {"/../secret.txt", "/games/../../secret.txt", "/%2e%2e/secret.txt", "/..%2fsecret.txt",
                           "/games/test/..\\..\\..\\secret.txt"})
    EXPECT_EQ(Get(path), "HTTP/1.0 404 Not Found\r\n\r\n404 treasure not found!") << path;
  std::string with_nul = "GET /index.html";
  with_nul += '\0';
  EXPECT_EQ(StatusLine(Exchange(with_nul + ".png HTTP/1.1\r\n\r\n")), "HTTP/1.0 404 Not Found");
  // Random bytes, with and without line ends: no reply, and no harm.
  std::mt19937 random(13);
  for (int round = 0; round < 20; ++round) {
    std::string junk(size_t(random() % 3000 + 1), '\0');
    for (char& c : junk) c = char(random());
    junk += "\n\n";
    EXPECT_NE(Exchange(junk), "<timeout>");
  }
  EXPECT_EQ(StatusLine(Get("/")), "HTTP/1.1 200 OK");
}

TEST_F(webkiv_server, IdleClientsDoNotHoldUpOthers) {
  int silent = connect_to(port_);
  int halfway = connect_to(port_);
  ASSERT_GE(silent, 0);
  ASSERT_GE(halfway, 0);
  send_all(halfway, "GET / HTTP/1.1\r\nHost: x\r\n");
  for (int i = 0; i < 5; ++i) EXPECT_EQ(StatusLine(Get("/")), "HTTP/1.1 200 OK");
  // The waiting clients are still connected, still unanswered.
  pollfd p[2] = {{silent, POLLIN, 0}, {halfway, POLLIN, 0}};
  EXPECT_EQ(poll(p, 2, 0), 0);
  // The rest of the head gets its reply.
  send_all(halfway, "\r\n");
  EXPECT_EQ(StatusLine(read_to_end(halfway)), "HTTP/1.1 200 OK");
  close(silent);
  close(halfway);
}

TEST_F(webkiv_editor, QueriesAreAnsweredOnUpdide) {
  std::string page = Get("/games/test/game.kiv");
  ASSERT_EQ(StatusLine(page), "HTTP/1.1 200 OK");
  EXPECT_EQ(body_of(page).rfind("<h2>", 0), 0u) << page;
  std::string cookie = NewCookie(page);
  ASSERT_FALSE(cookie.empty()) << page;
  // The first turn sends the tree of the player's place.
  std::string tree = UpdideUntil(cookie, "\"objtree\"");
  EXPECT_EQ(tree, "{\"objtree\":[[0,\"context\",\"global\",\"\"],[1,\"location\",\"зал\",\"\"],"
                  "[2,\"object\",\"герой\",\"внутр.\"]]}");
  // ide=objtree=зал
  EXPECT_EQ(Get("/games/test/?cmd=ide%3Dobjtree%3D%D0%B7%D0%B0%D0%BB", cookie), "HTTP/1.1 204 OK\r\n\r\n");
  EXPECT_EQ(UpdideUntil(cookie, "\"objtree\""), tree);
  EXPECT_EQ(Get("/games/test/?cmd=ide=map", cookie), "HTTP/1.1 204 OK\r\n\r\n");
  EXPECT_EQ(UpdideUntil(cookie, "\"map\""), "{\"map\":[[\"\",\"[0,0,0,0,0,0]\",\"[[\\\"зал\\\",0,0,0]]\"]]}");
  // ide=code=зал: the place's code, one line, a valid JSON string.
  EXPECT_EQ(Get("/games/test/?cmd=ide%3Dcode%3D%D0%B7%D0%B0%D0%BB", cookie), "HTTP/1.1 204 OK\r\n\r\n");
  std::string code = UpdideUntil(cookie, "\"currentcode\"");
  EXPECT_EQ(code, "{\"currentcode\":\"\\r\\n  вес = 1\\r\\n  цвет = \\\"серый\\\"\\r\\n\"}") << code;
  // Taken once.
  EXPECT_EQ(Get("/games/test/?updide", cookie), "HTTP/1.1 204 No Content\r\n\r\n");
}

// Without the editor a query never reaches the engine, and the object tree
// every turn sends is not kept for anyone.
TEST_F(webkiv_server, WithoutTheEditorNoQueryIsAnswered) {
  std::string cookie = NewCookie(Get("/games/test/game.kiv"));
  ASSERT_FALSE(cookie.empty());
  UpdateUntil(cookie, "\"location\":");
  EXPECT_EQ(Get("/games/test/?cmd=ide=map", cookie), "HTTP/1.1 204 OK\r\n\r\n");
  EXPECT_EQ(Get("/games/test/?cmd=%D0%B6%D0%B4%D0%B0%D1%82%D1%8C", cookie), "HTTP/1.1 204 OK\r\n\r\n");
  UpdateUntil(cookie, "\"cmdlist\":[\"ждать\"]");
  std::string net_log;
  for (int i = 0; i < 100 && net_log.find("редактор выключен") == std::string::npos; ++i) {
    std::ifstream in(site_ / "NetLog.log", std::ios::binary);
    net_log.assign(std::istreambuf_iterator<char>(in), {});
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_NE(net_log.find("Команды отладки не принимаются: редактор выключен."), std::string::npos) << net_log;
  EXPECT_EQ(Get("/games/test/?updide", cookie), "HTTP/1.1 204 No Content\r\n\r\n");
}
