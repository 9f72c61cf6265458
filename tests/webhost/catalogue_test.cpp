// The game catalogue and the site service.

#include <gtest/gtest.h>

#include "catalogue.h"
#include "site_folder.h"
#include "site_service.h"
#include "test_support.h"

namespace {

std::string scan(const site_folder& site, const std::string& folder = "") {
  server_log log("", nullptr);
  catalogue games(site.Folder());
  games.Scan(site.Folder() + folder, log);
  EXPECT_NE(log.Pending().find("ищем игры в каталоге"), std::string::npos);
  return utf8(games.Html());
}

}  // namespace

TEST(catalogue, WhichFilesAreListedAndInWhatOrder) {
  site_folder site;
  site.Write("games/b/b.kiv", "// Приключения\r\n// Пещера\r\ncode");
  site.Write("games/a/a.kiv", "<clear>// Приключения \n  //Замок<pause>\n");
  site.Write("games/c/c.kiv", "// Головоломки\n// Ящик");
  site.Write("games/c/index.html", "page");
  site.Write("games/d/d.kiv", "// Головоломки\ninclude \"x\"\n");  // the second line is code
  site.Write("games/e/e.kiv", "//\n// Пусто\n");                     // an empty group
  site.Write("games/f/f.kiv", "// Одна строка");                      // no title
  site.Write("games/g/g.kiv", "// Приключения\n// Пещера\n");         // same as b: dropped
  site.Write("games/h/h.txt", "// Приключения\n// Не игра\n");
  site.Write("games/.hidden/x.kiv", "// Скрытые\n// Игра\n");
  EXPECT_EQ(scan(site),
            "\nГоловоломки<ul><li><a href='/games/c/index.html' target='_parent'>Ящик</a></li></ul>"
            "\nПриключения<ul><li><a href='/games/a/a.kiv' target='_parent'>Замок</a></li>"
            "<li><a href='/games/b/b.kiv' target='_parent'>Пещера</a></li></ul>");
}

TEST(catalogue, DepthLimitAndNothingFound) {
  site_folder site;
  site.Write("a/b/two.kiv", "// Г\n// Два\n");
  site.Write("a/b/c/three.kiv", "// Г\n// Три\n");
  std::string html = scan(site);
  EXPECT_NE(html.find("Два"), std::string::npos);
  EXPECT_EQ(html.find("Три"), std::string::npos);
  // Scanned from a/, the deeper game is two folders down.
  EXPECT_NE(scan(site, "a/").find("Три"), std::string::npos);
  site_folder empty;
  EXPECT_EQ(scan(empty), "Игры не найдены.");
}

TEST(catalogue, LongUtf8HeaderCutInsideALetter) {
  site_folder site;
  // The header read stops at 256 bytes, here in the middle of a letter.
  std::string code(300, ' ');
  for (size_t i = 0; i + 1 < code.size(); i += 2) code.replace(i, 2, "ж");
  site.Write("g/x.kiv", "// Русские игры\n// Длинная игра\n" + code);
  EXPECT_NE(scan(site).find("Русские игры<ul><li><a href='/g/x.kiv' target='_parent'>Длинная игра"),
            std::string::npos);
}

TEST(site_service, PluralRuleAndStatistics) {
  EXPECT_EQ(utf8(statistics_line(0)), "Статистика: в данный момент никто не играет.");
  EXPECT_EQ(utf8(statistics_line(1)), "Статистика: в данный момент  запущена 1 игра.");
  EXPECT_EQ(utf8(statistics_line(3)), "Статистика: в данный момент  запущено 3 игры.");
  EXPECT_EQ(utf8(statistics_line(11)), "Статистика: в данный момент  запущены 11 игр.");
  EXPECT_EQ(utf8(statistics_line(22)), "Статистика: в данный момент  запущено 22 игры.");
  int expected[][2] = {{1, 0}, {2, 1}, {4, 1}, {5, 2}, {12, 2}, {20, 2}, {21, 0}, {25, 2}, {101, 0}, {111, 0}, {114, 1}};
  for (auto [n, form] : expected) EXPECT_EQ(plural_form(n), form) << n;
}

TEST(site_service, InfoSubscribeAndNonsense) {
  site_folder site;
  server_log log("", nullptr);
  site_service service(site.Folder() + "home/subscribe.log");
  std::string info = service.Reply(u"info", 2, log);
  EXPECT_EQ(info.rfind("HTTP/1.1 200 OK\r\nContent-type: text/plain;  charset=UTF-8\r\n", 0), 0u);
  EXPECT_NE(info.find("\r\n\r\nСтатистика: в данный момент  запущено 2 игры."), std::string::npos);
  // Without the home folder nothing is written, and nothing fails.
  EXPECT_EQ(service.Reply(u"spam=a@b.ru", 0, log), "HTTP/1.1 204 OK\r\n\r\n");
  site.Write("home/.keep", "");
  service.Reply(u"spam=a@b.ru", 0, log);
  service.Reply(u"spam=c@d.ru", 0, log);
  EXPECT_EQ(site.Read("home/subscribe.log"), "a@b.ru\r\nc@d.ru\r\n");
  site.Write("home/subscribe.log", std::string(1000001, 'x'));
  service.Reply(u"spam=e@f.ru", 0, log);
  EXPECT_EQ(site.Read("home/subscribe.log").size(), 1000001u);
  EXPECT_EQ(service.Reply(u"what", 0, log),
            "HTTP/1.1 400 Bad Request\r\n\r\nМногие так говорят, но что это значит я не понимаю.");
  EXPECT_NE(log.Pending().find("send info"), std::string::npos);
  EXPECT_NE(log.Pending().find("subscribe"), std::string::npos);
}
