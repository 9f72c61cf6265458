// Reading a request head.

#include <gtest/gtest.h>

#include "http_request.h"
#include "test_support.h"

TEST(http_request, PathQueryFolderAndCookie) {
  http_request r = parse_request(
      "GET /Games/Cave/Game.KIV?Update HTTP/1.1\r\nHost: x\r\nCookie: a=1; KIV2=AbC123xyZ789; b=2\r\n\r\n");
  ASSERT_TRUE(r.valid);
  EXPECT_EQ(r.request_text, "GET /Games/Cave/Game.KIV?Update");
  EXPECT_EQ(utf8(r.path), "/games/cave/game.kiv");
  EXPECT_EQ(utf8(r.query), "update");
  EXPECT_EQ(utf8(r.game_folder), "/games/cave/");
  EXPECT_EQ(utf8(r.cookie), "AbC123xyZ789");  // the cookie keeps its case
  EXPECT_TRUE(r.IsGame());
  EXPECT_TRUE(r.IsUpdate());
  EXPECT_FALSE(r.IsUpdide());
  EXPECT_FALSE(r.IsFolder());
}

TEST(http_request, CommandsAndSiteQueriesAreDecoded) {
  http_request r = parse_request("GET /g/?cmd=%D0%B2%D0%97%D1%8F%D1%82%D1%8C%20%22x%22 HTTP/1.1\r\n\r\n");
  EXPECT_EQ(utf8(r.query), "cmd=вЗять \"x\"");
  EXPECT_TRUE(r.IsFolder());
  r = parse_request("GET /?site=spam=a%40b.ru HTTP/1.1\r\n\r\n");
  EXPECT_EQ(utf8(r.query), "site=spam=a@b.ru");
  // Other queries stay as they came, lower-cased.
  r = parse_request("GET /?X%20Y HTTP/1.1\r\n\r\n");
  EXPECT_EQ(utf8(r.query), "x%20y");
  // A broken escape gives the decoder's message, not a crash.
  r = parse_request("GET /?cmd=%zz HTTP/1.1\r\n\r\n");
  EXPECT_EQ(utf8(r.query), "Invalid URL!");
}

TEST(http_request, OnlyTheFirstCookieLineCounts) {
  http_request r = parse_request("GET / HTTP/1.1\nCookie: other=1\nCookie: KIV2=abc\n\n");
  EXPECT_EQ(utf8(r.cookie), "");
  r = parse_request("GET / HTTP/1.1\r\nCookie: KIV2=abc\r\n\r\n");
  EXPECT_EQ(utf8(r.cookie), "abc");
  EXPECT_EQ(utf8(r.game_folder), "/");
}

TEST(http_request, OnlyGetOverHttp11) {
  EXPECT_FALSE(parse_request("GET / HTTP/1.0\r\n\r\n").valid);
  EXPECT_FALSE(parse_request("POST / HTTP/1.1\r\n\r\n").valid);
  EXPECT_FALSE(parse_request("").valid);
  EXPECT_FALSE(parse_request(" HTTP/1.1 GET \r\n").valid);
  EXPECT_EQ(parse_request("\x01\xff garbage\r\nmore").first_line, "\x01\xff garbage");
  http_request r = parse_request("GET  HTTP/1.1\r\n\r\n");
  EXPECT_TRUE(r.valid);
  EXPECT_TRUE(r.IsFolder());  // an empty path is a folder
}

TEST(http_request, PathsThatLeaveTheSiteAreRefused) {
  auto safe = [](const char* line) { return parse_request(std::string(line) + " HTTP/1.1\r\n\r\n").SafePath(); };
  EXPECT_TRUE(safe("GET /games/a/logo.png"));
  EXPECT_TRUE(safe("GET /a..b/c.html"));
  EXPECT_FALSE(safe("GET /../etc/passwd.txt"));
  EXPECT_FALSE(safe("GET /games/../../x.html"));
  EXPECT_FALSE(safe("GET /games\\..\\x.html"));
  EXPECT_FALSE(safe("GET /games/.."));
  std::string with_nul = "GET /a";
  with_nul += '\0';
  with_nul += ".png";
  EXPECT_FALSE(parse_request(with_nul + " HTTP/1.1\r\n\r\n").SafePath());
}
