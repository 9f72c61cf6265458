// The host bound to the real engine library: a game started, commands
// passed, the engine's output collected.

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "engine_binding.h"
#include "site_folder.h"
#include "test_support.h"

using namespace std::chrono_literals;

namespace {

class bound_engine : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    site_.Write("game/g.kiv", "// Г\n// Игра\n");
    folders_ = host_folders::ForProgram(std::filesystem::path(KIV_LIBRARY).parent_path().string());
    folders_.site_root = site_.Folder();
    engine_ = std::make_unique<engine_binding>(sessions_, folders_);
    std::u16string message;
    ASSERT_EQ(engine_->LoadEngine(false, message), 0) << utf8(message);
  }
  void TearDown() override {
    engine_.reset();
    std::filesystem::current_path(previous_);
  }

  // Collects what the engine sent until the reply has text.
  std::string WaitForText(web_session& session) {
    for (int i = 0; i < 500; ++i) {
      std::lock_guard lock(sessions_.Mutex());
      sessions_.DeliverQueued(true, true);
      std::string reply = utf8(session.OutputReply(true));
      if (reply != "{}") return reply;
      std::this_thread::sleep_for(10ms);
    }
    return "{}";
  }

  site_folder site_;
  host_folders folders_;
  web_session_list sessions_;
  std::unique_ptr<engine_binding> engine_;
  std::filesystem::path previous_;
};

}  // namespace

TEST_F(bound_engine, AGameStartsAndAnswers) {
  web_session& session = sessions_.Create(u"cookie", u"/game/", true);
  EXPECT_EQ(utf8(engine_->StartGame(session, u"/game/g.kiv")), "Запущена игра " + site_.Folder() + "game/g.kiv");
  EXPECT_NE(WaitForText(session), "{}");
  EXPECT_EQ(utf8(engine_->SendCommand(session, u"ждать", false)), "");
  std::string reply = WaitForText(session);
  EXPECT_NE(reply.find(R"("cmdlist":["ждать"])"), std::string::npos) << reply;
}

TEST_F(bound_engine, EditorQueriesOnlyWithTheEditorOn) {
  web_session& session = sessions_.Create(u"cookie", u"/game/", true);
  engine_->StartGame(session, u"/game/g.kiv");
  WaitForText(session);
  EXPECT_EQ(utf8(engine_->SendCommand(session, u"ide=objtree", false)),
            "Команды отладки не принимаются: редактор выключен.");
  EXPECT_EQ(utf8(engine_->SendCommand(session, u"ide=objtree", true)), "");
  // A second command before the first was taken is the engine's to refuse.
  std::u16string second = engine_->SendCommand(session, u"ide=classtree", true);
  EXPECT_TRUE(second.empty() || utf8(second) == "Предыдущая команда не обработана!") << utf8(second);
}

TEST_F(bound_engine, UnboundAfterUnloadAndLoadFailures) {
  engine_->UnloadEngine();
  EXPECT_FALSE(engine_->Bound());
  EXPECT_EQ(sessions_.Count(), 0);
  web_session_list others;
  host_folders nowhere = host_folders::ForProgram(site_.Folder());
  engine_binding missing(others, nowhere);
  std::u16string message;
  EXPECT_EQ(missing.LoadEngine(false, message), 1);
  EXPECT_EQ(utf8(message), "Error: Не удалось загрузить kiv.dll");
}
