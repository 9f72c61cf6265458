// Routing requests, with the engine not bound: pages, files, the site
// service and the replies that need no engine.

#include <gtest/gtest.h>

#include <filesystem>

#include "router.h"
#include "site_folder.h"
#include "test_support.h"

namespace {

class routing : public ::testing::Test {
 protected:
  routing()
      : folders_(host_folders::ForProgram(site_.Folder() + "bin/")),
        log_("", nullptr),
        engine_(sessions_, folders_),
        router_(sessions_, engine_, folders_, settings_, log_) {
    site_.Write("bin/site/index.html", "<ul>[gamelist]</ul>[location]");
    site_.Write("bin/site/interface.html", "<h1>[location]</h1>");
    site_.Write("games/cave/cave.kiv", "// Приключения\n// Пещера\n");
    std::filesystem::create_directories(site_.Root() / "users");
  }

  std::string Get(const std::string& target, const std::string& headers = "") {
    return router_.Handle("GET " + target + " HTTP/1.1\r\nHost: x\r\n" + headers + "\r\n", "10.0.0.7");
  }
  static std::string Body(const std::string& reply) { return reply.substr(reply.find("\r\n\r\n") + 4); }
  static std::string StatusLine(const std::string& reply) { return reply.substr(0, reply.find("\r\n")); }

  site_folder site_;
  host_folders folders_;
  host_settings settings_;
  server_log log_;
  web_session_list sessions_;
  engine_binding engine_;
  router router_;
};

}  // namespace

TEST_F(routing, FolderPageWithTheCatalogue) {
  EXPECT_EQ(folders_.site_root, site_.Folder());
  EXPECT_EQ(folders_.fallback, site_.Folder() + "bin/site/");
  std::string reply = Get("/");
  EXPECT_EQ(StatusLine(reply), "HTTP/1.1 200 OK");
  EXPECT_NE(reply.find("Content-type: text/html; charset=UTF-8\r\n"), std::string::npos);
  EXPECT_NE(reply.find("Cache-Control: no-cache, no-store, must-revalidate\r\n"), std::string::npos);
  EXPECT_EQ(Body(reply), "<ul>\nПриключения<ul><li><a href='/games/cave/cave.kiv' target='_parent'>Пещера</a></li></ul></ul>[location]");
  EXPECT_NE(log_.Pending().find("URL = /index.html"), std::string::npos);
}

TEST_F(routing, FileSearchDropsLeadingFoldersAndRefusesEscapes) {
  site_.Write("bin/site/logo.png", "PNG");
  site_.Write("style.css", "body{}");
  std::string reply = Get("/games/a/b/LOGO.PNG");
  EXPECT_EQ(StatusLine(reply), "HTTP/1.1 200 OK");
  EXPECT_NE(reply.find("Content-type: image/png\r\nContent-Length: 3\r\n"), std::string::npos);
  EXPECT_EQ(Body(reply), "PNG");
  EXPECT_NE(Get("/x/style.css").find("Cache-Control: max-age=86400, must-revalidate"), std::string::npos);
  // Missing, unknown extension, a folder named like a file, and escapes.
  std::filesystem::create_directories(site_.Root() / "dir.png");
  site_.Write("../outside.txt", "secret");
  for (const char* path : {"/missing.png", "/games/cave/cave.kiv.bak", "/dir.png", "/../outside.txt",
                           "/games/../../outside.txt", "/%2e%2e/outside.txt", "/..%2foutside.txt"}) {
    reply = Get(path);
    EXPECT_EQ(reply, "HTTP/1.0 404 Not Found\r\n\r\n404 treasure not found!") << path;
  }
  std::filesystem::remove(site_.Root().parent_path() / "outside.txt");
  EXPECT_NE(log_.Pending().find("404 Error  - файл не найден!"), std::string::npos);
}

TEST_F(routing, QueriesRoutedFirst) {
  EXPECT_EQ(Get("/games/cave/cave.kiv?x"), "HTTP/1.1 406 Not Acceptable\r\n\r\n");
  EXPECT_EQ(Get("/?x"), "HTTP/1.1 406 Not Acceptable\r\n\r\n");
  EXPECT_EQ(Get("/games/cave/?keypress"), "HTTP/1.1 204 OK\r\n\r\n");
  EXPECT_EQ(Get("/games/cave/?cmd=%D1%81%D0%B5%D0%B2%D0%B5%D1%80"), "HTTP/1.1 204 OK\r\n\r\n");
  EXPECT_EQ(utf8(router_.Status().command), "север");
  EXPECT_NE(log_.Pending().find("Не найдена игровая сессия!"), std::string::npos);
  // Without a session an update gets no reply at all, an updide an empty one.
  EXPECT_EQ(Get("/games/cave/?update"), "");
  EXPECT_EQ(Get("/games/cave/?updide"), "HTTP/1.1 204 No Content\r\n\r\n");
  EXPECT_EQ(StatusLine(Get("/?site=info")), "HTTP/1.1 200 OK");
  EXPECT_EQ(StatusLine(Get("/?site=nonsense")), "HTTP/1.1 400 Bad Request");
}

TEST_F(routing, GameStartGivesACookieOnce) {
  std::string reply = Get("/games/cave/cave.kiv");
  EXPECT_EQ(StatusLine(reply), "HTTP/1.1 200 OK");
  size_t set = reply.find("Set-Cookie: KIV2=");
  ASSERT_NE(set, std::string::npos);
  std::string cookie = reply.substr(set + 17, 12);
  EXPECT_NE(reply.find("KIV2=" + cookie + "; expires=Thu, 31 Dec 2099 23:00:00 GMT; path=/;\r\nContent-type: text/html"),
            std::string::npos);
  for (char c : cookie) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << cookie;
  EXPECT_NE(site_.Read("users/" + cookie + ".log").find(" 10.0.0.7"), std::string::npos);
  EXPECT_NE(log_.Pending().find("Функция RunKIV2() не инициализирована!"), std::string::npos);
  EXPECT_EQ(Body(reply), "<h1></h1>");
  // The same browser again: the same session, no new cookie.
  reply = Get("/games/cave/cave.kiv", "Cookie: KIV2=" + cookie + "\r\n");
  EXPECT_EQ(reply.find("Set-Cookie"), std::string::npos);
  EXPECT_EQ(sessions_.Count(), 1);
  EXPECT_NE(Body(Get("/?site=info")).find("запущена 1 игра."), std::string::npos);
  // Its update answers, with nothing to say yet.
  EXPECT_EQ(Body(Get("/games/cave/?update", "Cookie: KIV2=" + cookie + "\r\n")), "{}");
  // Another cookie value makes another session; the editor page with the editor on.
  settings_.editor = true;
  site_.Write("bin/site/KIV2IDE.html", "ide");
  EXPECT_EQ(Body(Get("/games/cave/cave.kiv", "Cookie: KIV2=Other\r\n")), "ide");
  EXPECT_EQ(sessions_.Count(), 2);
  EXPECT_EQ(Get("/games/cave/?cmd=ide=objtree", "Cookie: KIV2=Other\r\n"), "HTTP/1.1 204 OK\r\n\r\n");
  EXPECT_NE(log_.Pending().find("Функция InputKIV2() не инициализирована!"), std::string::npos);
}

TEST_F(routing, WindowModeSendsTheFrame) {
  settings_.mode = start_mode::window;
  std::string reply = Get("/games/cave/cave.kiv");
  EXPECT_NE(reply.find("Set-Cookie: KIV2="), std::string::npos);
  EXPECT_NE(reply.find("<iframe src=/games/cave/interface.html scrolling='no'>"), std::string::npos);
  reply = Get("/games/it's/");
  EXPECT_NE(reply.find("<iframe src=/games/it%27s/index.html scrolling='no'>"), std::string::npos);
}

TEST_F(routing, RequestsThatAreNotOursGetNoReply) {
  EXPECT_EQ(router_.Handle("GET / HTTP/1.0\r\n\r\n", "x"), "");
  EXPECT_EQ(router_.Handle(std::string("\0\xff\x01 junk\r\n", 10), "x"), "");
  EXPECT_NE(log_.Pending().find("GET / HTTP/1.0\r\n"), std::string::npos);
  EXPECT_EQ(StatusLine(Get("/")), "HTTP/1.1 200 OK");
}

TEST_F(routing, FilesKeptReadAreServedAnewWhenChangedOnDisk) {
  site_.Write("bin/site/note.txt", "one");
  EXPECT_EQ(Body(Get("/note.txt")), "one");
  EXPECT_EQ(Body(Get("/note.txt")), "one");
  site_.Write("bin/site/note.txt", "three");
  EXPECT_EQ(Body(Get("/note.txt")), "three");
  // The same size, only a later time.
  site_.Write("bin/site/note.txt", "seven");
  auto file = site_.Root() / "bin/site/note.txt";
  std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) + std::chrono::seconds(5));
  EXPECT_EQ(Body(Get("/note.txt")), "seven");
  // A file put in its place is a new file, even with its size and time.
  auto time = std::filesystem::last_write_time(file);
  site_.Write("bin/site/other.txt", "eight");
  std::filesystem::last_write_time(site_.Root() / "bin/site/other.txt", time);
  std::filesystem::rename(site_.Root() / "bin/site/other.txt", file);
  EXPECT_EQ(Body(Get("/note.txt")), "eight");
  std::filesystem::remove(file);
  EXPECT_EQ(StatusLine(Get("/note.txt")), "HTTP/1.0 404 Not Found");
  // A page kept read is filled in afresh for every request, and logged as sent.
  site_.Write("bin/site/page.html", "Ж[gamelist]|[gamelist]");
  Get("/");  // the scan that makes the list
  std::string first = Body(Get("/page.html"));
  EXPECT_EQ(first, Body(Get("/page.html")));
  EXPECT_EQ(first.find("Ж\nПриключения<ul>"), 0u) << first;
  EXPECT_NE(first.find("</ul>|[gamelist]"), std::string::npos) << first;
  EXPECT_NE(log_.Pending().find(" символов, send " + std::to_string(first.size()) + " байт"), std::string::npos);
}
