// The server window's logic without a window: the start-mode rules, the
// countdown, the start in each mode, the port retries, the log view and
// the net log, and the event loop driven from outside.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include "log_view.h"
#include "server_controller.h"
#include "site_folder.h"
#include "test_support.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// Records what the controller asks of its window.
class fake_window : public host_window {
 public:
  explicit fake_window(dialog_load load = dialog_load::loaded) : load_(load) {}
  dialog_load LoadDialog() override {
    calls.push_back("load");
    return load_;
  }
  void ReleaseDialog() override { calls.push_back("release"); }
  void ShowDialog(const std::string& address) override { calls.push_back("show " + address); }
  void Hide() override { calls.push_back("hide"); }
  void Close() override { calls.push_back("close"); }
  void ShowMessage(std::u16string_view caption, std::u16string_view text) override {
    calls.push_back("message " + utf8(std::u16string(caption)) + ": " + utf8(std::u16string(text)));
  }
  std::vector<std::string> calls;

 private:
  dialog_load load_;
};

// A port of 127.0.0.1 held busy (listening) while the object lives.
class busy_port {
 public:
  explicit busy_port(int port) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    // As the server binds: a closed connection's TIME_WAIT does not count.
    int on = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(fd_, 1) != 0) {
      close(fd_);
      fd_ = -1;
    }
  }
  ~busy_port() {
    if (fd_ >= 0) close(fd_);
  }
  busy_port(busy_port&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

bool port_free(int port) { return busy_port(port).Held(); }

// The first port, then `count` retry ports from `first_retry` 10 apart,
// all free now; a pair of high ports chosen at random.
std::pair<int, int> free_ports(int count) {
  std::mt19937 random(std::random_device{}());
  for (;;) {
    int first = 20000 + int(random() % 20000);
    int first_retry = 40000 + int(random() % 20000);
    bool free = port_free(first);
    for (int i = 0; free && i < count; ++i) free = port_free(first_retry + 10 * i);
    if (free) return {first, first_retry};
  }
}

class controller_test : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    options_.port = 0;
    options_.listen_address = "127.0.0.1";
    folders_ = host_folders::ForProgram(fs::path(KIV_LIBRARY).parent_path().string());
    folders_.site_root = site_.Folder();
  }
  void TearDown() override { fs::current_path(previous_); }

  std::unique_ptr<server_controller> Make(host_window* window) {
    return std::make_unique<server_controller>(options_, folders_, [this](const std::string& text) { log_ += text; },
                                               window);
  }
  bool Logged(const std::string& text) const { return log_.find(text) != std::string::npos; }

  site_folder site_;
  command_line options_;
  host_folders folders_;
  std::string log_;
  fs::path previous_;
};

}  // namespace

TEST_F(controller_test, StartModeRulesWithThePageWindow) {
  fake_window window;
  auto controller = Make(&window);
  EXPECT_FALSE(controller->ButtonsEnabled());
  ASSERT_TRUE(controller->Create()) << log_;
  EXPECT_TRUE(Logged("Root=" + site_.Folder() + "\r\n")) << log_;
  EXPECT_TRUE(controller->ButtonsEnabled());
  EXPECT_EQ(window.calls, std::vector<std::string>{"load"});
  // Mode 1 is applied at once: the close option is cleared and disabled.
  host_settings& settings = controller->Settings();
  EXPECT_EQ(settings.mode, start_mode::browser);
  EXPECT_FALSE(settings.close_start_window);
  EXPECT_FALSE(controller->Controls().close_start_window_enabled);
  EXPECT_TRUE(controller->Controls().editor_enabled);

  controller->SetStartMode(start_mode::window);
  EXPECT_EQ(settings.mode, start_mode::window);
  EXPECT_TRUE(controller->Controls().close_start_window_enabled);
  settings.close_start_window = true;
  controller->SetStartMode(start_mode::server);
  EXPECT_FALSE(settings.close_start_window);
  EXPECT_TRUE(controller->Controls().close_start_window_enabled);  // mode 2 clears it, no more
  controller->SetStartMode(start_mode::browser);
  EXPECT_FALSE(controller->Controls().close_start_window_enabled);
  EXPECT_EQ(window.calls.size(), 1u);  // no message box on the way
}

TEST_F(controller_test, WithoutThePageWindowItsModeFallsBackToTheBrowser) {
  fake_window missing(host_window::dialog_load::library_missing);
  options_.settings.mode = start_mode::window;
  auto controller = Make(&missing);
  ASSERT_TRUE(controller->Create());
  EXPECT_TRUE(Logged("Не удалось загрузить MSHTML.DLL\r\n")) << log_;
  EXPECT_EQ(controller->Settings().mode, start_mode::browser);
  EXPECT_EQ(missing.calls, std::vector<std::string>{"load"});  // set before applying: no message at start

  controller->SetStartMode(start_mode::window);
  EXPECT_EQ(missing.calls.back(), "message Не найдена MSHTML.DLL: Игра в окне невозможна");
  EXPECT_EQ(controller->Settings().mode, start_mode::browser);
  EXPECT_FALSE(controller->Controls().close_start_window_enabled);

  fake_window no_function(host_window::dialog_load::function_missing);
  log_.clear();
  auto other = Make(&no_function);
  ASSERT_TRUE(other->Create());
  EXPECT_TRUE(Logged("Не удалось получить функцию ShowHTMLDialog()\r\n")) << log_;
  EXPECT_FALSE(Logged("MSHTML.DLL")) << log_;
}

TEST_F(controller_test, WithoutTheEngineTheButtonsStayDisabled) {
  site_folder empty;
  folders_ = host_folders::ForProgram(empty.Folder());
  folders_.site_root = site_.Folder();
  fake_window window;
  auto controller = Make(&window);
  EXPECT_FALSE(controller->Create());
  EXPECT_FALSE(controller->ButtonsEnabled());
  EXPECT_FALSE(controller->EngineBound());
  EXPECT_FALSE(Logged("Root=")) << log_;
  EXPECT_TRUE(log_.ends_with("\r\n")) << log_;
  EXPECT_TRUE(window.calls.empty());  // the page window is not loaded either
}

TEST_F(controller_test, CountdownAndItsStop) {
  auto controller = Make(nullptr);
  EXPECT_TRUE(controller->Counting());
  for (int left = 10; left >= 1; --left) EXPECT_EQ(utf8(controller->CountdownTick()), "Начать игру - " + std::to_string(left));
  EXPECT_EQ(controller->CountdownTick(), u"");  // the start is due
  EXPECT_FALSE(controller->Counting());

  auto stopped = Make(nullptr);
  stopped->CountdownTick();
  stopped->CountdownTick();
  EXPECT_EQ(utf8(stopped->StopCountdown()), "Начать игру");
  EXPECT_FALSE(stopped->Counting());
  EXPECT_EQ(stopped->CountdownTick(), u"");
}

TEST_F(controller_test, StartInTheWindowModeShowsThePageWindow) {
  fake_window window;
  auto controller = Make(&window);
  ASSERT_TRUE(controller->Create());
  controller->SetStartMode(start_mode::window);
  controller->Settings().close_start_window = true;
  ASSERT_TRUE(controller->Start()) << log_;
  std::string address = "http://127.0.0.1:" + std::to_string(controller->Port()) + "/";
  EXPECT_EQ(controller->Address(), address);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"load", "hide", "show " + address, "close", "release"}));
  EXPECT_TRUE(Logged("Открыт порт " + std::to_string(controller->Port()) + "\r\n" + address + "\r\n")) << log_;
  EXPECT_FALSE(controller->ButtonsEnabled());
  EXPECT_FALSE(controller->Counting());

  // Without the close option the server window stays.
  fake_window stays;
  options_.arguments = {"/games/"};
  auto other = Make(&stays);
  ASSERT_TRUE(other->Create());
  other->SetStartMode(start_mode::window);
  ASSERT_TRUE(other->Start());
  EXPECT_EQ(stays.calls, (std::vector<std::string>{"load", "show " + other->Address(), "release"}));
  EXPECT_TRUE(other->Address().ends_with("/games/")) << other->Address();
}

TEST_F(controller_test, StartInTheBrowserAndServerModes) {
  // A stand-in for xdg-open that notes the address it was given.
  site_folder tools;
  tools.Write("xdg-open", "#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/opened\"\n");
  fs::permissions(tools.Root() / "xdg-open", fs::perms::owner_all);
  std::string path = std::getenv("PATH");
  setenv("PATH", (tools.Folder() + ":" + path).c_str(), 1);
  fake_window window;
  auto controller = Make(&window);
  ASSERT_TRUE(controller->Create());
  ASSERT_TRUE(controller->StartDebugging());
  EXPECT_TRUE(controller->Settings().editor);
  EXPECT_EQ(controller->Settings().mode, start_mode::browser);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"load", "release"}));
  for (int i = 0; i < 500 && !fs::exists(tools.Root() / "opened"); ++i) std::this_thread::sleep_for(10ms);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(tools.Read("opened"), controller->Address() + "\n");

  // No xdg-open at all: the message and the system's reason.
  setenv("PATH", tools.Folder().c_str(), 1);
  fs::remove(tools.Root() / "xdg-open");
  log_.clear();
  auto lost = Make(nullptr);
  ASSERT_TRUE(lost->Start());
  EXPECT_TRUE(Logged("Error: Не удалось открыть браузер\r\nNo such file or directory\r\n")) << log_;
  setenv("PATH", path.c_str(), 1);

  // Mode 2 only serves: no address in the log, nothing opened.
  log_.clear();
  options_.arguments = {"/", "s"};
  auto server = Make(&window);
  window.calls.clear();
  ASSERT_TRUE(server->Create());
  ASSERT_TRUE(server->Start());
  EXPECT_EQ(server->Settings().mode, start_mode::server);
  EXPECT_FALSE(Logged("http://")) << log_;
  EXPECT_EQ(window.calls, std::vector<std::string>{"load"});
  EXPECT_TRUE(server->Listening());
}

TEST_F(controller_test, PortsTakenAreRetriedTenTimesInAll) {
  auto [first, first_retry] = free_ports(9);
  options_.port = first;
  options_.first_retry_port = first_retry;
  options_.settings.mode = start_mode::server;
  std::vector<busy_port> held;
  held.emplace_back(first);
  held.emplace_back(first_retry);
  held.emplace_back(first_retry + 10);
  for (const busy_port& port : held) ASSERT_TRUE(port.Held());
  auto controller = Make(nullptr);
  ASSERT_TRUE(controller->Start()) << log_;
  EXPECT_EQ(controller->Port(), first_retry + 20);
  EXPECT_EQ(controller->Address(), "http://127.0.0.1:" + std::to_string(first_retry + 20) + "/");
  EXPECT_TRUE(Logged("Открыт порт " + std::to_string(first_retry + 20) + "\r\n")) << log_;
  controller.reset();

  // With the tenth port held too, none opens.
  for (int i = 2; i < 9; ++i) held.emplace_back(first_retry + 10 * i);
  log_.clear();
  auto refused = Make(nullptr);
  EXPECT_FALSE(refused->Start());
  EXPECT_EQ(log_, "Не удалось открыть порт!\r\n");
  EXPECT_FALSE(refused->Listening());

  // The tenth attempt is the last: with it free, it opens.
  held.pop_back();
  log_.clear();
  auto last = Make(nullptr);
  ASSERT_TRUE(last->Start()) << log_;
  EXPECT_EQ(last->Port(), first_retry + 80);

  // Other errors are not retried; the window shows the reason.
  options_.listen_address = "300.0.0.1";
  log_.clear();
  fake_window window;
  auto wrong = Make(&window);
  EXPECT_FALSE(wrong->Start());
  EXPECT_EQ(log_, "Socket error: " + std::to_string(EINVAL) + "\r\n");
  EXPECT_EQ(window.calls, std::vector<std::string>{"message KIV2 web: Invalid argument"});
}

TEST_F(controller_test, StoppingClosesThePortAndUnbindsTheEngine) {
  options_.settings.mode = start_mode::server;
  auto controller = Make(nullptr);
  ASSERT_TRUE(controller->Create());
  ASSERT_TRUE(controller->Start());
  int port = controller->Port();
  EXPECT_FALSE(port_free(port));
  controller->Stop();
  EXPECT_FALSE(controller->EngineBound());
  EXPECT_FALSE(controller->Listening());
  EXPECT_TRUE(port_free(port));
}

TEST(log_view, AViewOverTheLimitKeepsItsNewerPart) {
  log_view view;
  std::string text;
  for (int i = 0; i < 9999; ++i) text += char('a' + i % 26);
  EXPECT_FALSE(view.Append(text));
  EXPECT_FALSE(view.Append("!"));  // 9999 before it: not over the limit yet
  ASSERT_EQ(view.Text().size(), 10000u);
  std::u16string before = view.Text();
  EXPECT_TRUE(view.Append("Ж"));
  // From the 5000th character on, then the new text.
  EXPECT_EQ(view.Text(), before.substr(4999) + u"Ж");
  EXPECT_EQ(view.Text().size(), 5002u);
  EXPECT_FALSE(view.Append("ещё"));

  // Characters, not bytes: Cyrillic text is cut at the same count.
  log_view russian;
  std::string letters;
  for (int i = 0; i < 10000; ++i) letters += "я";
  russian.Append(letters);
  EXPECT_TRUE(russian.Append(""));
  EXPECT_EQ(russian.Text().size(), 5001u);
}

TEST(net_log, WrittenWithTheOptionUpToTheLimit) {
  site_folder site;
  std::string file = site.Folder() + "NetLog.log";
  std::string shown;
  server_log log(file, [&](const std::string& text) { shown += text; });
  log.Add("off\r\n");
  log.Refresh(false);
  EXPECT_FALSE(fs::exists(file));
  log.Add(u"на\r\n");
  log.Refresh(true);
  EXPECT_EQ(site.Read("NetLog.log"), "на\r\n");
  EXPECT_EQ(shown, "off\r\nна\r\n");
  EXPECT_EQ(log.Pending(), "");

  // Up to 1000000 bytes it grows; past that nothing is written, and the
  // view still gets the text.
  site.Write("NetLog.log", std::string(server_log::max_file_bytes, 'x'));
  log.Add("at the limit");
  log.Refresh(true);
  EXPECT_EQ(fs::file_size(file), server_log::max_file_bytes + 12);
  log.Add("over");
  log.Refresh(true);
  EXPECT_EQ(fs::file_size(file), server_log::max_file_bytes + 12);
  EXPECT_TRUE(shown.ends_with("over"));
}

TEST(event_loop, ServesWhenDispatchedFromAnotherLoop) {
  event_loop loop([](std::string_view, const std::string&) { return std::string("HTTP/1.1 200 OK\r\n\r\nhello"); },
                  nullptr);
  ASSERT_TRUE(loop.Listen("127.0.0.1", 0));
  int client = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(uint16_t(loop.Port()));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  std::string head = "GET / HTTP/1.1\r\n\r\n";
  ASSERT_EQ(send(client, head.data(), head.size(), 0), ssize_t(head.size()));
  EXPECT_GT(loop.WaitMilliseconds(), 0);
  std::string reply;
  char buffer[256];
  for (int i = 0; i < 200 && !reply.ends_with("hello"); ++i) {
    loop.Dispatch();
    ssize_t n = recv(client, buffer, sizeof(buffer), MSG_DONTWAIT);
    if (n > 0) reply.append(buffer, size_t(n));
    std::this_thread::sleep_for(5ms);
  }
  EXPECT_EQ(reply, "HTTP/1.1 200 OK\r\n\r\nhello");
  close(client);
  int port = loop.Port();
  loop.CloseAll();
  EXPECT_FALSE(loop.Listening());
  EXPECT_TRUE(port_free(port));
}
