// Host-function calls and output hand-over inside the engine.

#include <gtest/gtest.h>

#include "test_support.h"

#include <string>
#include <vector>

#include "kiv_engine.h"

namespace {

struct call {
  int32_t id;
  std::u16string first, second;
};
std::vector<call> prints, calls;
std::string ansi_reply;

const char16_t* record_print(int32_t id, const char16_t* channel, const char16_t* text) {
  prints.push_back({id, channel ? channel : u"", text ? text : u""});
  return nullptr;
}

const char16_t* answer(int32_t id, const char16_t* first, const char16_t* second) {
  calls.push_back({id, first ? first : u"", second ? second : u""});
  return u"ответ";
}

const char* answer_ansi(int32_t id, const char* first, const char* second) {
  calls.push_back({id, wstring(first).Text(), wstring(second).Text()});
  ansi_reply = std::string(first ? first : "") + "!";
  return ansi_reply.c_str();
}

class host_calls : public ::testing::Test {
 protected:
  void SetUp() override {
    prints.clear();
    calls.clear();
    ASSERT_EQ(engine.RegisterWide(u"print", &record_print, 2, 1), 0);
    ASSERT_TRUE(engine.Init(nullptr));
  }
  void TearDown() override { engine.Exit(); }

  kiv_engine& engine = kiv_engine::Instance();
  session player{engine, 4};
};

TEST_F(host_calls, KindsDecideWhenTheHostIsCalled) {
  engine.RegisterWide(u"Звук", &answer, 2, 2);
  engine.RegisterWide(u"окно", &answer, 1, 1);
  engine.RegisterWide(u"время", &answer, 0, 0);
  wstring result(u"старое");

  // Deferred: into the output stream, the host is not called.
  EXPECT_TRUE(engine.CallHostFunction(player, wstring(u"print"), &result, u"<b>Привет</b>", nullptr));
  EXPECT_TRUE(result.IsEmpty());
  EXPECT_TRUE(engine.CallHostFunction(player, wstring(u"ЗВУК"), nullptr, u"гром.wav", u"громко"));
  EXPECT_TRUE(calls.empty());
  auto& items = player.output.Items();
  ASSERT_EQ(items.Count(), 5);
  EXPECT_EQ(items[0].kind, u'<');
  EXPECT_EQ(items[1].print_text, u"Привет");
  EXPECT_EQ(items[3].kind, u'F');
  EXPECT_EQ(items[3].print_text, u"звук");
  EXPECT_EQ(items[3].speech_text, u"гром.wav");
  EXPECT_EQ(items[4].kind, u'f');
  EXPECT_EQ(items[4].print_text, u"громко");

  // Flush-first: the pending output reaches print before the call. The
  // recorded call itself is not shown; its second argument is.
  EXPECT_TRUE(engine.CallHostFunction(player, wstring(u"окно"), &result, u"карта", nullptr));
  ASSERT_EQ(prints.size(), 1u);
  EXPECT_EQ(prints[0].second, u"<b>Привет</b>громко");
  EXPECT_EQ(items.Count(), 0);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].id, 4);
  EXPECT_EQ(result, u"ответ");

  // Plain: called at once; unknown names are not called.
  EXPECT_TRUE(engine.CallHostFunction(player, wstring(u"время"), &result, nullptr, nullptr));
  EXPECT_EQ(prints.size(), 1u);
  EXPECT_FALSE(engine.CallHostFunction(player, wstring(u"нет такой"), &result, nullptr, nullptr));
  EXPECT_TRUE(result.IsEmpty());
}

TEST_F(host_calls, AnsiFunctionsGetConvertedTexts) {
  engine.RegisterAnsi("ansi", &answer_ansi, 0, 2);
  wstring result;
  EXPECT_TRUE(engine.CallHostFunction(player, wstring(u"ANSI"), &result, u"ёлка", u"да"));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].first, u"ёлка");
  EXPECT_EQ(result, u"ёлка!");
  // A later wide registration of the same name takes over.
  engine.RegisterWide(u"Ansi", &answer, 0, 2);
  EXPECT_TRUE(engine.CallHostFunction(player, wstring(u"ansi"), &result, u"x", nullptr));
  EXPECT_EQ(result, u"ответ");
}

TEST_F(host_calls, NothingReachesTheHostAfterExit) {
  engine.RegisterWide(u"время", &answer, 0, 0);
  engine.Exit();
  EXPECT_FALSE(engine.CallHostFunction(player, wstring(u"время"), nullptr, nullptr, nullptr));
  player.output.Add(wstring(u"текст"));
  engine.FlushOutput(player);
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(prints.empty());
}

TEST_F(host_calls, FlushSeparatesMarkupTranscriptAndStressMarks) {
  player.output.Add(wstring(u"<location>Зал</location>Зам`ок з\\акрыт.<br>"));
  engine.FlushOutput(player);
  ASSERT_EQ(prints.size(), 1u);
  // The host gets mark-up and stress marks; the transcript neither.
  EXPECT_EQ(prints[0].second, u"<location>Зал</location>Зам`ок закрыт.<br>");
  EXPECT_EQ(player.full_log.fields[full_log_row::transcript], u"Замок закрыт.");
}

}  // namespace
