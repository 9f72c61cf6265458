// The web session: the JSON reply the browser polls, drop-cap letters and
// the command history.

#include <gtest/gtest.h>

#include "test_support.h"
#include "web_session.h"

using namespace std::chrono_literals;

namespace {

std::string reply(web_session& session, std::u16string_view output, bool stress_marks = true) {
  session.AddPrint(output, false);
  return utf8(session.OutputReply(stress_marks));
}

}  // namespace

TEST(web_session_reply, PauseSplitsTheOutputAcrossReplies) {
  web_session session(1, u"c", u"/g/", false);
  EXPECT_EQ(reply(session, u"A<pause>B"), R"({"text":"A","pause":true})");
  EXPECT_EQ(utf8(session.OutputReply(true)), R"({"text":"B"})");
  EXPECT_EQ(utf8(session.OutputReply(true)), "{}");
}

TEST(web_session_reply, ClearKeepsOnlyWhatFollowsTheLastClear) {
  web_session session(1, u"c", u"/g/", false);
  EXPECT_EQ(reply(session, u"<location>Кухня</location>x"), R"({"text":"x","location":"Кухня"})");
  EXPECT_EQ(utf8(session.Location()), "Кухня");
  EXPECT_EQ(reply(session, u"x<clear>y<clear>z"), R"({"text":"z","clear":true})");
  EXPECT_EQ(utf8(session.Location()), "");
  // Only a clear: the mark alone.
  EXPECT_EQ(reply(session, u"x<clear>"), R"({"clear":true})");
}

TEST(web_session_reply, LineFeedsBecomeBreaksUnlessTheTextHasItsOwn) {
  web_session session(1, u"c", u"/g/", false);
  EXPECT_EQ(reply(session, u"a\r\nb\n"), R"({"text":"a<br>b"})");
  EXPECT_EQ(reply(session, u"a<br>b\nc"), R"({"text":"a<br>b c"})");
  EXPECT_EQ(reply(session, u"<p class='x'>a\nb"), R"({"text":"<p class='x'>a b"})");
  EXPECT_EQ(reply(session, u"  \n "), "{}");
}

TEST(web_session_reply, StressMarksShownOrDeleted) {
  web_session session(1, u"c", u"/g/", false);
  EXPECT_EQ(reply(session, u"мо`локо", true), "{\"text\":\"мо&#x301;локо\"}");
  EXPECT_EQ(reply(session, u"мо`локо", false), "{\"text\":\"молоко\"}");
}

TEST(web_session_reply, EscapesAndLocationBlocks) {
  web_session session(1, u"c", u"/g/", false);
  // Quotes and backslashes escaped; a later location block wins; a tab
  // cannot stand raw in JSON.
  EXPECT_EQ(reply(session, u"<location>Старая</location>Он сказал: \"a\\b\"\t<location> Новая\n \"комната\" </location>"),
            R"({"text":"Он сказал: \"a\\b\"","location":"Новая<br> \"комната\""})");
  EXPECT_EQ(utf8(session.Location()), "Новая<br> \"комната\"");
  // An unclosed block stays text.
  EXPECT_EQ(reply(session, u"<location>a"), R"({"text":"<location>a"})");
}

TEST(web_session_reply, MembersInOrderWithTheHistory) {
  web_session session(1, u"c", u"/g/", false);
  auto now = web_session::clock::now();
  EXPECT_EQ(utf8(session.RecordCommand(u"осмотреться", now)), "");
  EXPECT_EQ(reply(session, u"<location>Л</location>t<clear>u<location>M</location>v<pause>w"),
            R"({"text":"uv","location":"M","clear":true,"pause":true,"cmdlist":["осмотреться"]})");
  // The history goes out once.
  EXPECT_EQ(utf8(session.OutputReply(true)), R"({"text":"w"})");
  // Without output, no marks and no history.
  session.RecordCommand(u"ждать", now + 2s);
  EXPECT_EQ(utf8(session.OutputReply(true)), "{}");
}

TEST(web_session_history, DuplicatesMoveToTheFrontAndTheListKeepsTen) {
  web_session session(1, u"c", u"/g/", false);
  auto now = web_session::clock::now();
  auto word = [](int n) {
    std::u16string text(u"к");
    return text.append(size_t(n), u'а');
  };
  for (int n = 1; n <= 12; ++n) session.RecordCommand(word(n), now + n * 2s);
  session.RecordCommand(word(6), now + 30s);  // typed again
  session.RecordCommand(u"скажи \"да\\нет\"", now + 32s);
  session.RecordCommand(u"ide=objtree", now + 34s);  // not a player's command
  session.AddPrint(u"x", false);
  std::string expected = R"({"text":"x","cmdlist":["скажи \"да\\нет\"")";
  for (int n : {6, 12, 11, 10, 9, 8, 7, 5, 4}) expected += ",\"" + utf8(word(n)) + "\"";
  EXPECT_EQ(utf8(session.OutputReply(true)), expected + "]}");
}

TEST(web_session_history, RepeatWithinASecondIsOnlyLogged) {
  web_session session(1, u"c", u"/g/", false);
  auto now = web_session::clock::now();
  EXPECT_EQ(utf8(session.RecordCommand(u"север", now)), "");
  EXPECT_EQ(utf8(session.RecordCommand(u"север", now + 999ms)), "задвоенная команда!");
  EXPECT_EQ(utf8(session.RecordCommand(u"север", now + 1500ms)), "");
  EXPECT_EQ(utf8(session.RecordCommand(u"юг", now + 1600ms)), "");
  session.AddPrint(u"x", false);
  EXPECT_EQ(utf8(session.OutputReply(true)), R"({"text":"x","cmdlist":["юг","север"]})");
}

TEST(web_session_letters, DropCapsAndWhereTheyStop) {
  web_session session(1, u"c", u"/g/", false);
  session.AddPrint(u"<letter>Жил-был <letter>Щ", true);
  std::string json = utf8(session.OutputReply(true));
  EXPECT_NE(json.find("<img src='letters/ZH.png' class='letter' alt='Ж'><div class='letter_top'></div>"
                      "<p class='letter_p'>ил-был <img src='letters/SHCH.png'"),
            std::string::npos)
      << json;
  // Ъ has no image: it and every letter after it stay as they are.
  session.AddPrint(u"<letter>Ъ <letter>А", true);
  EXPECT_EQ(utf8(session.OutputReply(true)), R"({"text":"<letter>Ъ <letter>А"})");
  session.AddPrint(u"<letter>a <letter>", true);
  EXPECT_EQ(utf8(session.OutputReply(true)), R"({"text":"<letter>a <letter>"})");
  session.AddPrint(u"<letter>Ёж", true);
  EXPECT_EQ(utf8(session.OutputReply(true)), R"({"text":"<letter>Ёж"})");
  // Letters off: a plain paragraph start.
  session.AddPrint(u"<letter>Жил", false);
  EXPECT_EQ(utf8(session.OutputReply(true)), R"({"text":"<div class='letter_top'></div><p>Жил"})");
  EXPECT_EQ(utf8(std::u16string(letter_image(u'Я'))), "YA");
  EXPECT_EQ(utf8(std::u16string(letter_image(u'Ь'))), "-");
}

TEST(web_session_ide, RepliesJoinedAndTakenOnce) {
  web_session session(1, u"c", u"/g/", false);
  EXPECT_EQ(utf8(session.IdeReply()), "");
  session.AddIde(u"\"a\":1");
  session.AddIde(u"\"b\":2");
  EXPECT_EQ(utf8(session.IdeReply()), R"({"a":1,"b":2})");
  EXPECT_EQ(utf8(session.IdeReply()), "");
}
