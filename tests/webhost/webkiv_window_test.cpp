// The real webkiv window on a virtual display (Xvfb), driven through its
// test driver (KIV_WINDOW_DRIVER): pages and options switched as clicks,
// the server started in mode 2 and asked for a page, the window closed.

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
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

extern char** environ;

namespace {

using loopback::get;

void write_file(const fs::path& file, const std::string& content) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
}

std::string read_file(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A line from `fd`, or "<timeout>" after `wait`.
std::string read_line(int fd, std::chrono::milliseconds wait = 60s) {
  std::string line;
  auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{fd, POLLIN, 0};
    char c;
    if (left.count() <= 0 || poll(&p, 1, int(left.count())) <= 0) return "<timeout>";
    if (read(fd, &c, 1) != 1) return line.empty() ? "<end>" : line;
    if (c == '\n') return line;
    line += c;
  }
}

// A child process with its standard input and output on pipes.
struct child {
  pid_t pid = -1;
  int in = -1;
  int out = -1;

  bool Spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
    int to[2], from[2];
    if (pipe2(to, O_CLOEXEC) != 0 || pipe2(from, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, to[0], 0);
    posix_spawn_file_actions_adddup2(&actions, from[1], 1);
    std::vector<char*> argv, envp;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    for (const std::string& variable : environment) envp.push_back(const_cast<char*>(variable.c_str()));
    envp.push_back(nullptr);
    bool spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(to[0]);
    close(from[1]);
    in = to[1];
    out = from[0];
    return spawned;
  }
  // Sends a command and returns the answer line.
  std::string Ask(const std::string& command) {
    std::string line = command + "\n";
    if (write(in, line.data(), line.size()) != ssize_t(line.size())) return "<unwritten>";
    return read_line(out);
  }
  // The exit status, or -1 when it has not ended within `wait`.
  int Wait(std::chrono::seconds wait) {
    auto deadline = std::chrono::steady_clock::now() + wait;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) return -1;
      std::this_thread::sleep_for(20ms);
    }
    pid = -1;
    return status;
  }
  ~child() {
    if (in >= 0) close(in);
    if (out >= 0) close(out);
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
};

// The value of `name=` in a state line.
std::string field(const std::string& state, const std::string& name) {
  size_t start = state.find(" " + name + "=");
  if (start == std::string::npos) return "<none>";
  start += name.size() + 2;
  size_t end = name == "start" ? state.find(" debug=", start) : state.find(' ', start);
  return state.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

class webkiv_window : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kiv-window-XXXXXX";
    site_ = mkdtemp(pattern);
    fs::path bin = site_ / "bin";
    fs::create_directories(bin);
    fs::copy_file(WEBKIV, bin / "webkiv");
    fs::create_symlink(KIV_LIBRARY, bin / "libkiv.so");
    fs::create_directory_symlink(fs::path(KIV_LIBRARY).parent_path() / "lib", bin / "lib");
    write_file(bin / "site/index.html", "<nav>[gamelist]</nav>");
    write_file(bin / "site/interface.html", "<h1>[location]</h1>");
    write_file(bin / "site/KIV2IDE.html", "<h1>IDE [location]</h1>");
    write_file(site_ / "games/test/game.kiv", "// Проверка\n// Тестовая игра\n");
    program_ = (bin / "webkiv").string();
    StartDisplay();
  }
  void TearDown() override {
    if (display_pid_ > 0) {
      kill(display_pid_, SIGTERM);
      waitpid(display_pid_, nullptr, 0);
    }
    fs::remove_all(site_);
  }

  // Xvfb on a display number of its choosing, which it writes to a pipe.
  void StartDisplay() {
    int numbers[2];
    ASSERT_EQ(pipe(numbers), 0);
    std::string fd = std::to_string(numbers[1]);
    const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                          nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, numbers[0]);
    int spawned = posix_spawnp(&display_pid_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(numbers[1]);
    std::string number = spawned == 0 ? read_line(numbers[0], 30s) : "";
    close(numbers[0]);
    if (spawned != 0 || number.empty() || number[0] < '0' || number[0] > '9') {
      if (spawned == 0) display_pid_ = -1;
      skip_ = "Xvfb could not start (" + (spawned != 0 ? std::string(strerror(spawned)) : number) + ")";
      return;
    }
    display_ = ":" + number;
  }

  // The environment of this test without a display, plus `extra`. No
  // accessibility bus is there to connect to.
  static std::vector<std::string> Environment(const std::vector<std::string>& extra) {
    std::vector<std::string> environment{"NO_AT_BRIDGE=1"};
    auto replaced = [&](const std::string& text) {
      for (const std::string& variable : extra)
        if (text.starts_with(variable.substr(0, variable.find('=') + 1))) return true;
      return false;
    };
    for (char** variable = environ; *variable; ++variable) {
      std::string text = *variable;
      if (!text.starts_with("DISPLAY=") && !text.starts_with("WAYLAND_DISPLAY=") && !replaced(text))
        environment.push_back(text);
    }
    environment.insert(environment.end(), extra.begin(), extra.end());
    return environment;
  }

  fs::path site_;
  std::string program_;
  std::string display_;
  std::string skip_;
  pid_t display_pid_ = -1;
};

}  // namespace

TEST_F(webkiv_window, PagesOptionsServingAndClosing) {
  if (!skip_.empty()) GTEST_SKIP() << skip_;
  child webkiv;
  ASSERT_TRUE(webkiv.Spawn({program_, "--port", "0", "--listen", "127.0.0.1"},
                           Environment({"DISPLAY=" + display_, "KIV_WINDOW_DRIVER=1"})));
  std::string state = read_line(webkiv.out);
  ASSERT_TRUE(state.starts_with("ready ")) << state;
  // Bound; mode 1 with its rules applied; the countdown running.
  EXPECT_EQ(field(state, "page"), "0");
  EXPECT_EQ(field(state, "mode"), "1");
  EXPECT_EQ(field(state, "close"), "0/0");
  EXPECT_EQ(field(state, "editor"), "0/1");
  EXPECT_EQ(field(state, "letters"), "1/1");
  EXPECT_EQ(field(state, "stress"), "1/1");
  EXPECT_EQ(field(state, "netlog"), "0/1");
  EXPECT_EQ(field(state, "debug"), "1");
  EXPECT_EQ(field(state, "bound"), "1");
  EXPECT_EQ(field(state, "listening"), "0");
  std::this_thread::sleep_for(1500ms);
  state = webkiv.Ask("state");
  EXPECT_TRUE(field(state, "start").starts_with("Начать игру - ")) << state;

  // Another page stops the countdown for good.
  state = webkiv.Ask("page 1");
  EXPECT_EQ(field(state, "page"), "1");
  EXPECT_EQ(field(state, "start"), "Начать игру/1");
  std::this_thread::sleep_for(1500ms);
  state = webkiv.Ask("state");
  EXPECT_EQ(field(state, "start"), "Начать игру/1");
  EXPECT_EQ(field(state, "listening"), "0");

  // The start modes and what each allows.
  std::string log = webkiv.Ask("log");
  ASSERT_TRUE(log.starts_with("log Root=" + site_.string() + "/\\r\\n")) << log;
  ASSERT_EQ(log.find("MSHTML"), std::string::npos) << "the web view library did not load: " << log;
  state = webkiv.Ask("mode 0");
  EXPECT_EQ(field(state, "mode"), "0");
  EXPECT_EQ(field(state, "close"), "0/1");
  state = webkiv.Ask("option close");
  EXPECT_EQ(field(state, "close"), "1/1");
  EXPECT_EQ(field(state, "settings"), "010110");
  state = webkiv.Ask("mode 2");
  EXPECT_EQ(field(state, "close"), "0/1");
  state = webkiv.Ask("mode 1");
  EXPECT_EQ(field(state, "close"), "0/0");
  state = webkiv.Ask("option close");  // disabled: the click does nothing
  EXPECT_EQ(field(state, "close"), "0/0");
  state = webkiv.Ask("option editor");
  EXPECT_EQ(field(state, "editor"), "1/1");
  state = webkiv.Ask("mode 2");
  state = webkiv.Ask("option letters");
  state = webkiv.Ask("option stress");
  state = webkiv.Ask("option netlog");
  EXPECT_EQ(field(state, "letters"), "0/1");
  EXPECT_EQ(field(state, "stress"), "0/1");
  EXPECT_EQ(field(state, "netlog"), "1/1");
  EXPECT_EQ(field(state, "settings"), "201001");

  // Started in mode 2 from the log page: the buttons are disabled and the
  // port serves.
  state = webkiv.Ask("page 2");
  EXPECT_EQ(field(state, "page"), "2");
  state = webkiv.Ask("start");
  EXPECT_EQ(field(state, "start"), "Начать игру/0");
  EXPECT_EQ(field(state, "debug"), "0");
  ASSERT_EQ(field(state, "listening"), "1") << webkiv.Ask("log");
  int port = std::atoi(field(state, "port").c_str());
  std::string reply = get(port, "/");
  EXPECT_TRUE(reply.starts_with("HTTP/1.1 200 OK\r\n")) << reply;
  EXPECT_NE(reply.find("Тестовая игра"), std::string::npos) << reply;
  log = webkiv.Ask("log");
  EXPECT_NE(log.find("Открыт порт " + std::to_string(port) + "\\r\\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\\r\\nGET /\\r\\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("http://127.0.0.1"), std::string::npos) << log;  // mode 2 opens no page
  EXPECT_NE(read_file(site_ / "NetLog.log").find("\r\nGET /\r\n"), std::string::npos);
  // The editor option chose the game page; the status bar shows the last
  // command.
  std::string game = get(port, "/games/test/game.kiv");
  EXPECT_NE(game.find("<h1>IDE "), std::string::npos) << game;
  size_t set = game.find("Set-Cookie: KIV2=");
  ASSERT_NE(set, std::string::npos) << game;
  std::string cookie = game.substr(set + 17, 12);
  EXPECT_EQ(get(port, "/games/test/?cmd=%D0%B6%D0%B4%D0%B0%D1%82%D1%8C", cookie), "HTTP/1.1 204 OK\r\n\r\n");
  std::string panels = field(webkiv.Ask("state"), "status");
  EXPECT_TRUE(panels.size() == 8 + 1 + 10 && panels.ends_with("|ждать")) << panels;  // hh:mm:ss|ждать

  // Closing the window unbinds the engine and frees the port.
  ASSERT_EQ(write(webkiv.in, "close\n", 6), 6);
  EXPECT_EQ(read_line(webkiv.out), "closed bound=0 listening=0");
  int status = webkiv.Wait(30s);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(get(port, "/"), "<no connection>");
}

TEST_F(webkiv_window, WithoutTheWebViewLibraryTheWindowModeIsRefused) {
  if (!skip_.empty()) GTEST_SKIP() << skip_;
  child webkiv;
  ASSERT_TRUE(webkiv.Spawn({program_, "--port", "0", "--listen", "127.0.0.1", "--mode", "window"},
                           Environment({"DISPLAY=" + display_, "KIV_WINDOW_DRIVER=1",
                                        "KIV_WEB_VIEW_LIBRARY=libkiv-no-such-library.so"})));
  std::string state = read_line(webkiv.out);
  ASSERT_TRUE(state.starts_with("ready ")) << state;
  EXPECT_EQ(field(state, "mode"), "1");
  EXPECT_NE(webkiv.Ask("log").find("Не удалось загрузить MSHTML.DLL\\r\\n"), std::string::npos);
  state = webkiv.Ask("mode 0");
  EXPECT_EQ(field(state, "mode"), "1");
  EXPECT_NE(state.find(" message=Не найдена MSHTML.DLL: Игра в окне невозможна"), std::string::npos) << state;
  state = webkiv.Ask("dismiss");
  EXPECT_EQ(state.find(" message="), std::string::npos) << state;
  ASSERT_EQ(write(webkiv.in, "close\n", 6), 6);
  EXPECT_EQ(read_line(webkiv.out), "closed bound=0 listening=0");
  int status = webkiv.Wait(30s);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(webkiv_window, TheWindowModeShowsThePageInTheWebView) {
  if (!skip_.empty()) GTEST_SKIP() << skip_;
  child webkiv;
  // The web view's own sandbox needs namespaces a container may not give;
  // the page shown is this test's own. LeakSanitizer's end-of-process
  // tracer faults on the web engine's script threads, so leaks are not
  // checked in this one process (address and undefined-behaviour checks
  // stay on; the other window tests check leaks).
  std::string sanitizer = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
  ASSERT_TRUE(webkiv.Spawn({program_, "--port", "0", "--listen", "127.0.0.1"},
                           Environment({"DISPLAY=" + display_, "KIV_WINDOW_DRIVER=1",
                                        "WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1",
                                        "ASAN_OPTIONS=" + sanitizer + ":detect_leaks=0"})));
  ASSERT_TRUE(read_line(webkiv.out).starts_with("ready "));
  EXPECT_EQ(field(webkiv.Ask("mode 0"), "close"), "0/1");
  EXPECT_EQ(field(webkiv.Ask("option close"), "close"), "1/1");
  // The start waits for the page window; the driver goes on meanwhile.
  ASSERT_EQ(write(webkiv.in, "start\n", 6), 6);
  std::string log;
  for (int i = 0; i < 300 && log.find("GET /index.html") == std::string::npos; ++i) {
    std::this_thread::sleep_for(100ms);
    log = webkiv.Ask("log");
  }
  // The page window asked for the first page, which came in its frame.
  EXPECT_NE(log.find("http://127.0.0.1:"), std::string::npos) << log;
  EXPECT_NE(log.find("send iframe-wrapper\\r\\n"), std::string::npos) << log;
  EXPECT_NE(log.find("GET /index.html"), std::string::npos) << log;
  std::string state = webkiv.Ask("state");
  EXPECT_TRUE(state.starts_with("state shown=0 ")) << state;  // hidden while the page window is up
  EXPECT_EQ(field(state, "listening"), "1");
  ASSERT_EQ(write(webkiv.in, "close\n", 6), 6);
  EXPECT_EQ(read_line(webkiv.out), "gone");  // the start's answer, once the page window is gone
  EXPECT_EQ(read_line(webkiv.out), "closed bound=0 listening=0");
  int status = webkiv.Wait(30s);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// Without a display, or with both start arguments, there is no window.
TEST_F(webkiv_window, NoWindowWithoutADisplayOrWithBothArguments) {
  // The console counts down 10 s and starts; no driver answers.
  child console;
  ASSERT_TRUE(console.Spawn({program_, "--port", "0", "--listen", "127.0.0.1", "--quiet", "--mode", "server"},
                            Environment({"KIV_WINDOW_DRIVER=1"})));
  EXPECT_TRUE(console.Ask("state").starts_with("http://127.0.0.1:"));
  if (!skip_.empty()) GTEST_SKIP() << skip_;
  child arguments;
  ASSERT_TRUE(arguments.Spawn({program_, "--port", "0", "--listen", "127.0.0.1", "--quiet", "/", "s"},
                              Environment({"DISPLAY=" + display_, "KIV_WINDOW_DRIVER=1"})));
  EXPECT_TRUE(read_line(arguments.out).starts_with("http://127.0.0.1:"));
}
