// The engine's exported interface, driven as a host drives it: libkiv.so
// loaded with dlopen, callbacks registered, commands queued.

#include <dlfcn.h>
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <thread>

#include "dic_file_writer.h"
#include "engine_library.h"
#include "recording_host.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void write_file(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// Logs are written after the turn's print, so a test waits for them.
std::string read_log(const fs::path& path, const std::string& expected) {
  std::string content;
  for (int attempt = 0; attempt < 500; ++attempt) {
    content = read_file(path);
    if (content.find(expected) != std::string::npos) break;
    std::this_thread::sleep_for(10ms);
  }
  return content;
}

std::u16string text_of(const char16_t* message) { return message ? message : u"(null)"; }

// Holds the engine's worker inside the next print, so that commands stay
// queued until the test releases it. The hook shares its state, so it stays
// valid however late the worker leaves it.
class worker_latch {
 public:
  worker_latch() {
    recording_host::Get().SetPrintHook([state = state_](const host_call&) {
      std::call_once(state->once, [&] {
        state->held.set_value();
        state->released.wait();
      });
    });
  }
  ~worker_latch() {
    Release();
    recording_host::Get().SetPrintHook(nullptr);
  }

  void WaitUntilHeld() { state_->held.get_future().wait(); }
  void Release() {
    if (!state_->release_given.exchange(true)) state_->release.set_value();
  }

 private:
  struct shared_state {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<void> held;
    std::once_flag once;
    std::atomic<bool> release_given{false};
  };
  std::shared_ptr<shared_state> state_ = std::make_shared<shared_state>();
};

class engine_interface : public ::testing::Test {
 protected:
  void SetUp() override {
    recording_host::Get().Reset();
    char pattern[] = "/tmp/kiv-engine-XXXXXX";
    folder_ = mkdtemp(pattern);
    fs::create_directory(folder_ / "logs");
    previous_folder_ = fs::current_path();
    fs::current_path(folder_);
    write_file(folder_ / "game.kiv", "// a game\n");
    game_ = wide((folder_ / "game.kiv").string());
    PrepareFolder();
    engine_ = std::make_unique<engine_library>(KIV_LIBRARY);
  }

  // What a test puts in the current folder before the library loads.
  virtual void PrepareFolder() {}

  void TearDown() override {
    engine_->Exit(0);
    engine_.reset();
    fs::current_path(previous_folder_);
    fs::remove_all(folder_);
  }

  void RegisterPrint(int32_t kind = 2) {
    ASSERT_EQ(engine_->RegFunction(u"print", &recording_host::Print, kind, 1), 0);
  }

  void Start() {
    RegisterPrint();
    ASSERT_TRUE(engine_->Init(nullptr) & 0xFF);
  }

  // Starts a session and waits for its first turn.
  void StartSession(int32_t id, const char16_t* user = u"игрок") {
    size_t before = recording_host::Get().Prints().size();
    ASSERT_EQ(engine_->Run(id, user, game_.c_str()), nullptr);
    ASSERT_TRUE(recording_host::Get().WaitForPrints(before + 1));
  }

  // Queues a command and waits for the print of its turn.
  void Command(int32_t id, const char16_t* command) {
    size_t before = recording_host::Get().Prints().size();
    ASSERT_EQ(engine_->Input(id, command, 0), nullptr);
    ASSERT_TRUE(recording_host::Get().WaitForPrints(before + 1));
  }

  std::u16string LastText() { return recording_host::Get().Prints().back().second; }

  fs::path folder_;
  fs::path previous_folder_;
  std::u16string game_;
  std::unique_ptr<engine_library> engine_;
};

TEST_F(engine_interface, RegistrationCodesAndInit) {
  EXPECT_EQ(engine_->RegFunction(nullptr, &recording_host::Print, 2, 1), 1);
  EXPECT_EQ(engine_->RegFunction(u"", &recording_host::Print, 2, 1), 1);
  EXPECT_EQ(engine_->RegFunction(u"print", nullptr, 2, 1), 2);
  EXPECT_EQ(engine_->RegFunctionANSI("", &recording_host::PrintAnsi, 2, 1), 1);
  EXPECT_EQ(engine_->RegFunctionANSI("print", nullptr, 2, 1), 2);
  // None of those registered anything, so the engine refuses to start and
  // says why.
  EXPECT_FALSE(engine_->Init(nullptr) & 0xFF);
  EXPECT_NE(read_file("logs/engine.log").find("Не зарегистрированы интерфейсные функции kiv.dll!"),
            std::string::npos);
  // Names are compared in lower case.
  EXPECT_EQ(engine_->RegFunction(u"PRINT", &recording_host::Print, 2, 1), 0);
  EXPECT_TRUE(engine_->Init(nullptr) & 0xFF);
  StartSession(1);
  EXPECT_EQ(recording_host::Get().Prints().back().first, u"print");
}

TEST_F(engine_interface, RunAndInputMessages) {
  // Without Init there is no session list to take.
  EXPECT_EQ(text_of(engine_->Run(1, u"игрок", game_.c_str())), u"Не удалось захватить список сессий!");
  Start();
  EXPECT_EQ(text_of(engine_->Run(1, u"игрок", nullptr)), u"не указан файл игры!");
  EXPECT_EQ(text_of(engine_->Run(1, u"игрок", u"")), u"не указан файл игры!");
  EXPECT_EQ(text_of(engine_->Input(7, u"север", 0)), u"Сессия не найдена!");

  // Hold the worker inside the first turn so commands stay queued.
  worker_latch latch;
  ASSERT_EQ(engine_->Run(1, nullptr, game_.c_str()), nullptr);
  latch.WaitUntilHeld();
  EXPECT_EQ(engine_->Input(1, u"1 + 1", 0), nullptr);
  EXPECT_EQ(text_of(engine_->Input(1, u"2 + 2", 0)), u"Предыдущая команда не обработана!");
  latch.Release();
  ASSERT_TRUE(recording_host::Get().WaitForPrints(2));
  EXPECT_EQ(LastText(), u"2");
}

TEST_F(engine_interface, RunAgainKeepsOrSwitchesTheGame) {
  Start();
  StartSession(1);
  Command(1, u"один");
  // The same game again is not a restart: no turn runs.
  EXPECT_EQ(engine_->Run(1, u"игрок", game_.c_str()), nullptr);
  EXPECT_EQ(engine_->Input(1, u"2 * 2", 0), nullptr);
  ASSERT_TRUE(recording_host::Get().WaitForPrints(3));
  EXPECT_EQ(LastText(), u"4");
  // Another game starts afresh on the next cycle and shows its banner,
  // though it reads as the location shown last.
  write_file(folder_ / "other.kiv", "// another game\n");
  std::u16string other = wide((folder_ / "other.kiv").string());
  EXPECT_EQ(engine_->Run(1, u"игрок", other.c_str()), nullptr);
  ASSERT_TRUE(recording_host::Get().WaitForPrints(4));
  EXPECT_NE(LastText().find(u"<location>"), std::u16string::npos);
  Command(1, u"три");
  std::string session_log = read_log("logs/игрок.log", "> три");
  size_t starts = 0;
  for (size_t at = session_log.find("\r\n\r\n== "); at != std::string::npos;
       at = session_log.find("\r\n\r\n== ", at + 1))
    ++starts;
  EXPECT_EQ(starts, 2u) << session_log;
}

TEST_F(engine_interface, LowerSessionIdServedFirstOneCommandPerCycle) {
  Start();
  StartSession(9);
  worker_latch latch;
  ASSERT_EQ(engine_->Input(9, u"ждать", 0), nullptr);
  latch.WaitUntilHeld();
  // Both wait while the worker is busy; the higher id asked first.
  ASSERT_EQ(engine_->Run(5, u"второй", game_.c_str()), nullptr);
  ASSERT_EQ(engine_->Run(2, u"первый", game_.c_str()), nullptr);
  latch.Release();
  ASSERT_TRUE(recording_host::Get().WaitForPrints(4));
  std::vector<host_call> prints = recording_host::Get().Prints();
  EXPECT_EQ(prints[2].session_id, 2);
  EXPECT_EQ(prints[3].session_id, 5);
  EXPECT_GE(prints[3].at - prints[2].at, 90ms);
}

// With the prompt setting a waiting command does not wait for the next
// 100 ms cycle: the worker serves the queue back to back, lowest id first,
// and a command arriving at an idle worker wakes it.
TEST_F(engine_interface, PromptWorkerServesWaitingCommandsAtOnce) {
  setenv("KIV_PROMPT_WORKER", "1", 1);
  Start();
  unsetenv("KIV_PROMPT_WORKER");
  StartSession(9);
  worker_latch latch;
  ASSERT_EQ(engine_->Input(9, u"ждать", 0), nullptr);
  latch.WaitUntilHeld();
  ASSERT_EQ(engine_->Run(5, u"второй", game_.c_str()), nullptr);
  ASSERT_EQ(engine_->Run(2, u"первый", game_.c_str()), nullptr);
  latch.Release();
  ASSERT_TRUE(recording_host::Get().WaitForPrints(4));
  std::vector<host_call> prints = recording_host::Get().Prints();
  EXPECT_EQ(prints[2].session_id, 2);
  EXPECT_EQ(prints[3].session_id, 5);
  EXPECT_LT(prints[3].at - prints[2].at, 90ms);
  // An idle worker is woken by the command itself.
  std::this_thread::sleep_for(150ms);
  auto sent = std::chrono::steady_clock::now();
  Command(2, u"ждать");
  EXPECT_LT(recording_host::Get().Prints().back().at - sent, 90ms);
}

TEST_F(engine_interface, SilentTurnStillPrintsAndCommentIsLogged) {
  Start();
  StartSession(1, u"тестер");
  Command(1, u"*заметка автора");
  host_call last = recording_host::Get().Prints().back();
  EXPECT_EQ(last.session_id, 1);
  EXPECT_EQ(last.first, u"print");
  EXPECT_EQ(last.second, u"");
  std::string full_log = read_log("logs/full_log.csv", "тестер");
  EXPECT_EQ(full_log.rfind("*\t\t*заметка автора\t\t\tтестер\t", 0), 0u) << full_log;
  // The start of the game, the comment with it, reaches the session log
  // with the first command.
  EXPECT_FALSE(fs::exists("logs/тестер.log"));
  Command(1, u"дальше");
  std::string session_log = read_file("logs/тестер.log");
  EXPECT_NE(session_log.find("\r\n*заметка автора\r\n\r\n------------------\r\n> дальше"), std::string::npos)
      << session_log;
}

// The replies of the development environment come on their own channel,
// and a query's messages reach only the session that asked.
TEST_F(engine_interface, AnAuthorsQueryIsAnsweredToItsSessionAlone) {
  write_file(folder_ / "game.kiv", "location зал {\n  описание = \"Зал.\"\n  вес = 2\n}\nгерой { inside зал }\npers = герой\n");
  Start();
  recording_host& host = recording_host::Get();
  ASSERT_EQ(engine_->Run(1, u"автор", game_.c_str()), nullptr);
  ASSERT_EQ(engine_->Run(2, u"игрок", game_.c_str()), nullptr);
  // Every turn ends with the object tree of the player's place.
  ASSERT_TRUE(host.WaitForIdeReplies(2));
  EXPECT_EQ(host.IdeReplies()[0].second, u"\"objtree\":[[0,\"context\",\"global\",\"\"],[1,\"location\",\"зал\",\"\"],"
                                   u"[2,\"object\",\"герой\",\"внутр.\"]]");
  ASSERT_TRUE(host.WaitForPrints(2));
  size_t before = host.Prints().size();
  ASSERT_EQ(engine_->Input(1, u"ide=objtree=нигде", 0), nullptr);
  ASSERT_TRUE(host.WaitForIdeReplies(3));
  std::this_thread::sleep_for(200ms);
  std::vector<host_call> after = host.Prints();
  after.erase(after.begin(), after.begin() + long(before));
  bool told = false;
  for (const host_call& call : after) {
    EXPECT_EQ(call.session_id, 1) << utf8(call.second);
    told = told || (call.first == u"print" && call.second == u"session::PutObjTree() объект не найден!");
  }
  EXPECT_TRUE(told);
  EXPECT_EQ(host.IdeReplies().back().second, u"\"objtree\":[[0,\"context\",\"global\",\"\"]]");
  EXPECT_EQ(host.IdeReplies().back().session_id, 1);
  // A multi-line reply stays one line.
  Command(1, u"ide=code=зал");
  ASSERT_TRUE(host.WaitForIdeReplies(4));
  std::u16string code = host.IdeReplies().back().second;
  EXPECT_EQ(code.find(u'\n'), std::u16string::npos) << utf8(code);
  EXPECT_NE(code.find(u"\\\"Зал.\\\"\\r\\n  вес = 2"), std::u16string::npos) << utf8(code);
}

TEST_F(engine_interface, FullLogRowsAndSessionLog) {
  Start();
  StartSession(1, u"тестер");
  Command(1, u"\"открыть\tдверь\"");
  std::string full_log = read_log("logs/full_log.csv", "\r\n");
  // outcome, location, command, transcript, spare, user, date; TAB in a
  // field becomes a space. The finished reply has a space after the TAB,
  // as after every mark before a Russian word.
  ASSERT_EQ(full_log.rfind("Ok\t\t\"открыть дверь\"\tОткрыть  дверь\t\tтестер\t", 0), 0u) << full_log;
  EXPECT_EQ(full_log.substr(full_log.size() - 2), "\r\n");
  std::string date = full_log.substr(full_log.rfind('\t') + 1);
  EXPECT_EQ(date.size(), 12u) << date;  // dd.mm.yyyy CR LF

  std::string session_log = read_log("logs/тестер.log", "Открыть\t дверь\r\n");
  EXPECT_EQ(session_log.rfind("\r\n\r\n== ", 0), 0u);
  EXPECT_NE(session_log.find("КИВ: движок русских текстовых игр."), std::string::npos);
  EXPECT_NE(session_log.find("------------------\r\n> \"открыть\tдверь\"\r\nОткрыть\t дверь\r\n"), std::string::npos);
}

TEST_F(engine_interface, FullLogStopsGrowingPastItsLimit) {
  Start();
  StartSession(1);
  // Room for one short row, not for a long one.
  write_file("logs/full_log.csv", std::string(1000000 - 60, 'x'));
  Command(1, u"\"длинная-длинная-длинная строка\"");
  Command(1, u"\"да\"");
  std::string log = read_log("logs/full_log.csv", "Да");
  EXPECT_EQ(log.find("длинная"), std::string::npos);
  EXPECT_LE(log.size(), 1000000u);
  size_t size = log.size();
  Command(1, u"\"нет\"");
  Command(1, u"\"ещё\"");  // the turn before has ended with its logs
  EXPECT_EQ(read_file("logs/full_log.csv").size(), size);
  // Logs are the owner's alone.
  EXPECT_EQ(fs::status("logs/игрок.log").permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(engine_interface, LoadErrorsBecomeCrashReportsAndTheSessionSurvives) {
  Start();
  // A game whose folder does not exist.
  ASSERT_EQ(engine_->Run(1, u"игрок", u"/nonexistent/игра.kiv"), nullptr);
  ASSERT_TRUE(recording_host::Get().WaitForPrints(3));
  std::vector<host_call> prints = recording_host::Get().Prints();
  // The report names the game file within its folder, never the folders
  // of the host.
  EXPECT_EQ(prints[0].second, u"<location>Ошибка платформы!\nФайл: игра.kiv</location>");
  EXPECT_EQ(prints[1].second, u"\n<font color=green></font>\n<font color=red>error:GetFullPathName(FileName)</font>");
  EXPECT_EQ(prints[2].second, u"");  // the turn's own (empty) output
  std::string full_log = read_file("logs/full_log.csv");
  EXPECT_EQ(full_log.rfind("crash\t", 0), 0u) << full_log;
  // The session takes further commands, in the world it has; the game
  // that failed to load showed no banner, so this turn does.
  const std::u16string banner = u"<location>КИВ: движок русских текстовых игр.</location>";
  Command(1, u"/2 + 2");
  EXPECT_EQ(LastText(), banner + u"4");

  // A game that includes a file outside its folder: the report names the
  // game file and the refusal, and the code before it has run.
  write_file(folder_ / "escape.kiv", "var before = 7\ninclude \"../outside.kiv\"\n");
  std::u16string escape = wide((folder_ / "escape.kiv").string());
  size_t before = recording_host::Get().Prints().size();
  ASSERT_EQ(engine_->Run(2, u"игрок", escape.c_str()), nullptr);
  ASSERT_TRUE(recording_host::Get().WaitForPrints(before + 3));
  prints = recording_host::Get().Prints();
  EXPECT_EQ(prints[before].second, u"<location>Ошибка платформы!\nФайл: escape.kiv</location>");
  EXPECT_NE(prints[before + 1].second.find(u"../outside.kiv"), std::u16string::npos);
  Command(2, u"/before");
  EXPECT_EQ(LastText(), banner + u"7");

  // A missing include and a syntax error are reported the same way.
  write_file(folder_ / "missing.kiv", "include \"нет.kiv\"\n");
  write_file(folder_ / "broken.kiv", "ящик {\n  x = 1\n");
  for (const char* game : {"missing.kiv", "broken.kiv"}) {
    std::u16string name = wide((folder_ / game).string());
    before = recording_host::Get().Prints().size();
    ASSERT_EQ(engine_->Run(3, u"игрок", name.c_str()), nullptr);
    ASSERT_TRUE(recording_host::Get().WaitForPrints(before + 3));
    prints = recording_host::Get().Prints();
    EXPECT_EQ(prints[before].second.rfind(u"<location>Ошибка платформы!", 0), 0u);
    Command(3, u"3 * 3");
    EXPECT_EQ(LastText(), banner + u"9");
  }
  EXPECT_NE(prints[before + 1].second.find(u"В коде есть незакрытые скобки {}"), std::u16string::npos);
}

TEST_F(engine_interface, AnsiHostAndPrintAnsi) {
  ASSERT_EQ(engine_->RegFunction(u"speech", &recording_host::Speech, 0, 1), 0);
  ASSERT_EQ(engine_->RegFunctionANSI("Print", &recording_host::PrintAnsi, 2, 1), 0);
  ASSERT_EQ(engine_->RegFunctionANSI("SPEECH", &recording_host::PrintAnsi, 0, 1), 0);
  ASSERT_TRUE(engine_->Init(nullptr) & 0xFF);
  StartSession(1);
  Command(1, u"5 - 2");
  EXPECT_EQ(LastText(), u"3");
  // An 8-bit "speech" takes the place of the wide one, and flushes do not
  // speak to an 8-bit host.
  EXPECT_TRUE(recording_host::Get().Speeches().empty());
  engine_->PrintANSI("всем");
  host_call last = recording_host::Get().Prints().back();
  EXPECT_EQ(last.session_id, 0);
  EXPECT_EQ(last.second, u"всем");
  engine_->PrintANSI(nullptr);
  EXPECT_EQ(recording_host::Get().Prints().back().second, u"");
}

TEST_F(engine_interface, SpeechFollowsEveryFlush) {
  ASSERT_EQ(engine_->RegFunction(u"speech", &recording_host::Speech, 0, 1), 0);
  Start();
  StartSession(1);
  Command(1, u"\"говори\"");
  std::vector<host_call> speeches = recording_host::Get().Speeches();
  ASSERT_EQ(speeches.size(), 2u);
  EXPECT_EQ(speeches[1].first, u"говори");  // capitals are for the eye
  EXPECT_EQ(speeches[1].session_id, 1);
}

TEST_F(engine_interface, PluginEntriesAroundTheWorker) {
  void* plugin = dlopen(COUNTING_PLUGIN, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(plugin, nullptr) << dlerror();
  auto calls = reinterpret_cast<int (*)(const char*)>(dlsym(plugin, "PluginCalls"));
  void* handles[10] = {nullptr, nullptr, plugin};
  RegisterPrint();
  ASSERT_TRUE(engine_->Init(handles) & 0xFF);
  StartSession(1);  // the worker has run, so its start is behind it
  EXPECT_EQ(calls("Init"), 1);
  EXPECT_EQ(calls("Exit"), 0);
  EXPECT_TRUE(engine_->Exit(0) & 0xFF);
  EXPECT_EQ(calls("Exit"), 1);
  dlclose(plugin);
}

TEST_F(engine_interface, ExitStopsServing) {
  Start();
  StartSession(1);
  EXPECT_TRUE(engine_->Exit(0) & 0xFF);
  EXPECT_EQ(text_of(engine_->Input(1, u"после", 0)), u"Не удалось захватить список сессий!");
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(recording_host::Get().Prints().size(), 1u);
  // Exit unregistered every callback, so a new start needs "print" again.
  EXPECT_FALSE(engine_->Init(nullptr) & 0xFF);
  RegisterPrint();
  EXPECT_TRUE(engine_->Init(nullptr) & 0xFF);
  Command(1, u"1");
  EXPECT_EQ(LastText(), u"1");
}

TEST_F(engine_interface, AWorkerThatOutlivesExitIsLeftAlone) {
  void* plugin = dlopen(COUNTING_PLUGIN, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(plugin, nullptr) << dlerror();
  auto calls = reinterpret_cast<int (*)(const char*)>(dlsym(plugin, "PluginCalls"));
  void* handles[10] = {plugin};
  RegisterPrint();
  ASSERT_TRUE(engine_->Init(handles) & 0xFF);
  StartSession(1);
  int exits_before = calls("Exit");
  {
    worker_latch latch;
    ASSERT_EQ(engine_->Input(1, u"\"долго\"", 0), nullptr);
    latch.WaitUntilHeld();
    EXPECT_TRUE(engine_->Exit(0) & 0xFF);  // gives up on the busy worker
    // A second worker beside the first would serve the same sessions.
    RegisterPrint();
    EXPECT_FALSE(engine_->Init(nullptr) & 0xFF);
    EXPECT_NE(read_file("logs/engine.log").find("Error: Рабочий поток ядра КИВ ещё не завершился."), std::string::npos);
  }
  // Released, the left worker ends at its next look at the stop event,
  // without calling the plug-ins, which the host may have unloaded by now.
  bool restarted = false;
  for (int attempt = 0; attempt < 100 && !restarted; ++attempt) {
    std::this_thread::sleep_for(20ms);
    restarted = engine_->Init(nullptr) & 0xFF;
  }
  ASSERT_TRUE(restarted);
  EXPECT_EQ(calls("Exit"), exits_before);
  Command(1, u"2 + 3");
  EXPECT_EQ(LastText(), u"5");
  dlclose(plugin);
}

TEST_F(engine_interface, UnloadingUnderABusyWorkerKeepsTheLibrary) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Start();
        StartSession(1);
        worker_latch latch;
        if (engine_->Input(1, u"\"занят\"", 0)) std::exit(1);
        latch.WaitUntilHeld();
        engine_.reset();  // unloaded without Exit
        bool loaded = dlopen(KIV_LIBRARY, RTLD_NOW | RTLD_NOLOAD) != nullptr;
        latch.Release();
        // The worker returns into the library and serves on.
        if (!recording_host::Get().WaitForPrints(2)) std::exit(1);
        std::this_thread::sleep_for(300ms);
        fprintf(stderr, loaded ? "still loaded\n" : "unloaded\n");
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "still loaded");
}

TEST_F(engine_interface, ProcessExitDoesNotWaitForTheWorker) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // The host ends without Exit, once with an idle worker, once with a busy
  // one; it used to stall five seconds in the library's clean-up.
  for (bool busy : {false, true}) {
    auto started = std::chrono::steady_clock::now();
    EXPECT_EXIT(
        {
          Start();
          StartSession(1);
          if (busy) {
            recording_host::Get().SetPrintHook([](const host_call&) { std::this_thread::sleep_for(60s); });
            if (engine_->Input(1, u"\"занят\"", 0)) std::exit(1);
            std::this_thread::sleep_for(300ms);
          }
          std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 4s) << (busy ? "busy" : "idle");
  }
}

TEST_F(engine_interface, TheWorkerHasAStackOfItsOwn) {
  // Whatever the process's stack limit, every depth the interpreter allows
  // fits the worker's stack.
  std::atomic<size_t> stack_bytes{0};
  recording_host::Get().SetPrintHook([&](const host_call&) {
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) return;
    size_t size = 0;
    pthread_attr_getstacksize(&attributes, &size);
    pthread_attr_destroy(&attributes);
    stack_bytes = size;
  });
  Start();
  StartSession(1);
  EXPECT_GE(stack_bytes.load(), size_t(64) << 20);
}

TEST_F(engine_interface, HostileArgumentsNeverCrash) {
  engine_->PrintANSI("никому");  // nothing registered: nothing happens
  EXPECT_EQ(text_of(engine_->Input(1, nullptr, 0)), u"Не удалось захватить список сессий!");
  Start();
  EXPECT_TRUE(engine_->Init(nullptr) & 0xFF);  // a second Init keeps the one worker
  StartSession(-5, nullptr);
  EXPECT_EQ(engine_->Input(-5, nullptr, 0), nullptr);  // an empty command is no command
  std::u16string huge = u"\"" + std::u16string(2000000, u'я') + u"\"";
  Command(-5, huge.c_str());
  EXPECT_EQ(LastText().size(), huge.size() - 2);
  std::u16string long_user(100000, u'u');
  EXPECT_EQ(engine_->Run(3, long_user.c_str(), game_.c_str()), nullptr);
  EXPECT_EQ(engine_->Run(4, u"../../evil", game_.c_str()), nullptr);
  ASSERT_TRUE(recording_host::Get().WaitForPrints(4));
  Command(4, u"след");
  EXPECT_TRUE(fs::exists("logs/.._.._evil.log"));
  EXPECT_EQ(engine_->RegFunction(std::u16string(100000, u'x').c_str(), &recording_host::Echo, 0, 2), 0);
}

TEST_F(engine_interface, HardwareFaultIsReportedAndEndsTheProcess) {
  // The child shares the test's folder, where the report is left.
  GTEST_FLAG_SET(death_test_style, "fast");
  EXPECT_EXIT(
      {
        recording_host::Get().SetPrintHook([](const host_call& call) {
          if (call.second == u"Обвал") raise(SIGSEGV);
        });
        Start();
        StartSession(1);
        Command(1, u"\"обвал\"");
        std::this_thread::sleep_for(10s);
        std::exit(0);
      },
      ::testing::KilledBySignal(SIGSEGV), "Приложение будет закрыто.: Аппаратная ошибка");
  EXPECT_NE(read_file("logs/engine.log").find("Приложение будет закрыто.: Аппаратная ошибка"), std::string::npos);
  std::string session_log = read_file("logs/игрок.log");
  EXPECT_NE(session_log.find("<location>Ошибка платформы!</location>\r\n\n<font color=green></font>\n"
                             "<font color=red>плохой указатель!</font>\r\n"),
            std::string::npos)
      << session_log;
  std::string full_log = read_file("logs/full_log.csv");
  EXPECT_NE(full_log.find("crash\t\t\"обвал\"\t<font color=green></font> <font color=red>плохой указатель!</font>"
                          "\t\tигрок\t"),
            std::string::npos)
      << full_log;
}

TEST_F(engine_interface, FaultsOfTheHostsThreadsAreTheHosts) {
  GTEST_FLAG_SET(death_test_style, "fast");
  // By the signal, or by the report of a handler installed before the
  // engine's (the address sanitizer's, which exits or aborts).
  auto died_of_the_fault = [](int status) {
    if (WIFSIGNALED(status)) return WTERMSIG(status) == SIGSEGV || WTERMSIG(status) == SIGABRT;
    return WEXITSTATUS(status) != 0;
  };
  EXPECT_EXIT(
      {
        Start();
        StartSession(1);
        raise(SIGSEGV);  // on the host's thread, not the worker
        std::exit(0);
      },
      died_of_the_fault, ::testing::Not(::testing::HasSubstr("Аппаратная ошибка")));
  EXPECT_FALSE(fs::exists("logs/engine.log") &&
               read_file("logs/engine.log").find("Аппаратная ошибка") != std::string::npos);
}

// A dictionary beside the engine: the constructor's class, a noun and an
// article whose declaration fails.
class engine_with_dictionary : public engine_interface {
 protected:
  void PrepareFolder() override {
    dic_file_writer writer;
    writer.version = version;
    writer.Add(1, {{"конструктор"}, "@существительное {\n}"});
    writer.Add(2, {{"лампа", "лампы", "лампе", "лампу", "лампой"},
                   "$лампа {\n\x0B\x02"
                   "ЖрНд"
                   "\x04\x01"
                   "ИпЕч"
                   "\x04\x02"
                   "РпЕч\n}"});
    writer.Add(3, {{"ящик"}, "ящик {}\nlocation ящик {}"});
    writer.Write(folder_ / "kiv.dic");
  }
  std::string version = "2.a.5.3";
};

class engine_with_old_dictionary : public engine_with_dictionary {
 protected:
  void PrepareFolder() override {
    version = "2.a.5.2";
    engine_with_dictionary::PrepareFolder();
  }
};

TEST_F(engine_with_dictionary, AGameUsesAWordItNeverDeclared) {
  Start();
  StartSession(1);
  // The game declares nothing; its genitive form finds the word.
  Command(1, u"($лампы is @существительное)");
  EXPECT_EQ(LastText(), u"Да");
  Command(1, u"$лампы == $лампа");
  EXPECT_EQ(LastText(), u"Да, это одно и тоже");
  // A declaration from the dictionary that fails names its entry.
  size_t before = recording_host::Get().Prints().size();
  ASSERT_EQ(engine_->Input(1, u"$ящик", 0), nullptr);
  ASSERT_TRUE(recording_host::Get().WaitForPrints(before + 2));
  std::vector<host_call> prints = recording_host::Get().Prints();
  EXPECT_EQ(prints[before].second, u"<location>Ошибка платформы!\nСловарная статья: ящик (first pass)</location>");
  EXPECT_NE(prints[before + 1].second.find(u"переопределение типа объекта!"), std::u16string::npos);
  EXPECT_NE(prints[before + 1].second.find(u"<font color=green>location ящик {}</font>"), std::u16string::npos)
      << utf8(prints[before + 1].second);
  EXPECT_EQ(read_file("logs/engine.log").find("Ошибка загрузки словаря"), std::string::npos);
}

TEST_F(engine_with_dictionary, ACrashReportShowsTheGamesLineNotTheArticles) {
  Start();
  StartSession(1);
  // The line declares "лампа" from the dictionary, then fails on its own.
  size_t before = recording_host::Get().Prints().size();
  ASSERT_EQ(engine_->Input(1, u"$лампы + @нетакого", 0), nullptr);
  ASSERT_TRUE(recording_host::Get().WaitForPrints(before + 3));
  std::vector<host_call> prints = recording_host::Get().Prints();
  EXPECT_EQ(prints[before].second, u"<location>Ошибка платформы!</location>");
  EXPECT_EQ(prints[before + 1].second,
            u"\n<font color=green>$лампы + @нетакого</font>\n<font color=red>Класс @нетакого не найден!</font>");
  Command(1, u"$лампы == $лампа");
  EXPECT_EQ(LastText(), u"Да, это одно и тоже");
}

TEST_F(engine_with_old_dictionary, AWrongVersionIsShownAndTheEngineRunsWithout) {
  Start();
  StartSession(1);
  Command(1, u"1 + 1");
  EXPECT_EQ(LastText(), u"2");
  EXPECT_NE(read_file("logs/engine.log")
                .find("Ошибка загрузки словаря: версия словаря 2.a.5.2 не соответствует требуемой версии 2.a.5.3"),
            std::string::npos);
  size_t before = recording_host::Get().Prints().size();
  ASSERT_EQ(engine_->Input(1, u"$лампы", 0), nullptr);
  ASSERT_TRUE(recording_host::Get().WaitForPrints(before + 2));
  EXPECT_NE(recording_host::Get().Prints()[before + 1].second.find(u"Слово $лампы не найдено!"), std::u16string::npos);
}

TEST_F(engine_interface, WithoutADictionaryTheEngineRuns) {
  Start();
  StartSession(1);
  Command(1, u"2 + 2");
  EXPECT_EQ(LastText(), u"4");
  EXPECT_NE(read_file("logs/engine.log").find("Ошибка загрузки словаря: файл словаря kiv.dic не найден!"),
            std::string::npos);
}

}  // namespace
