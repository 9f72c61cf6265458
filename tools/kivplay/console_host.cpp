#include "console_host.h"

#include <dlfcn.h>

#include <iostream>
#include <thread>

#include "codepage.h"
#include "wstring.h"

namespace {

console_host* active_host = nullptr;  // the callbacks' way back to the host

// The first print of a crash report.
const std::u16string_view crash_report_start = u"<location>Ошибка платформы!";

std::u16string to_wide(const std::string& text) { return decode_ansi(text.data(), text.size()); }

std::string to_utf8(const std::u16string& text) { return encode_utf8(text.data(), text.size()); }

// Text without mark-up tags ("<" then a letter or "/", up to ">") and
// without stress marks.
std::u16string readable(const std::u16string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'`') continue;
    if (c == u'<' && i + 1 < text.size()) {
      char16_t next = text[i + 1];
      bool tag = next == u'/' || (next >= u'a' && next <= u'z') || (next >= u'A' && next <= u'Z');
      size_t end = text.find(u'>', i);
      if (tag && end != std::u16string::npos) {
        i = end;
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace

console_host::console_host(engine_library& engine, const console_options& options)
    : engine_(engine), options_(options) {
  active_host = this;
}

console_host::~console_host() {
  Stop();
  for (void* module : plugin_modules_) dlclose(module);
  active_host = nullptr;
}

const char16_t* console_host::OnPrint(int32_t, const char16_t* channel, const char16_t* text) {
  if (!active_host || !channel || std::u16string_view(channel) != u"print") return nullptr;
  active_host->Show(text, "");
  active_host->CountTurn(text);
  return nullptr;
}

const char16_t* console_host::OnSpeech(int32_t, const char16_t* text, const char16_t*) {
  if (active_host) active_host->Show(text, "speech: ");
  return nullptr;
}

void console_host::Show(const char16_t* text, const char* prefix) {
  std::u16string shown = text ? std::u16string(text) : std::u16string();
  if (options_.plain) shown = readable(shown);
  std::lock_guard lock(output_mutex_);
  if (options_.collect) {
    turn_text_ += shown;
    turn_text_ += u'\n';
    return;
  }
  if (!shown.empty()) {
    std::cout << prefix << to_utf8(shown);
    if (shown.back() != u'\n') std::cout << '\n';
    std::cout.flush();
  }
}

void console_host::CountTurn(const char16_t* text) {
  std::lock_guard lock(output_mutex_);
  if (text && std::u16string_view(text).starts_with(crash_report_start)) {
    report_prints_left_ = 1;  // its second part follows
    return;
  }
  if (report_prints_left_ > 0) {
    --report_prints_left_;
    return;
  }
  ++turns_ended_;
  turn_texts_.push_back(std::move(turn_text_));
  turn_text_.clear();
  turn_ended_.notify_all();
}

bool console_host::Start() {
  if (engine_.RegFunction(u"print", &console_host::OnPrint, KIV_KIND_DEFERRED, 1) != KIV_REG_OK) return false;
  if (options_.speech) engine_.RegFunction(u"speech", &console_host::OnSpeech, KIV_KIND_PLAIN, 1);
  void* handles[KIV_PLUGIN_SLOTS] = {};
  for (const std::string& path : options_.plugins) {
    if (plugin_modules_.size() == KIV_PLUGIN_SLOTS) break;
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
      std::cerr << "kivplay: " << dlerror() << '\n';
      continue;
    }
    handles[plugin_modules_.size()] = module;
    plugin_modules_.push_back(module);
  }
  if (!engine_.Init(handles)) {
    std::cerr << "kivplay: the engine did not start\n";
    return false;
  }
  started_ = true;
  std::u16string user = to_wide(options_.user_name), game = to_wide(options_.game_file);
  if (const char16_t* refused = engine_.Run(session_id, user.c_str(), game.c_str())) {
    std::cerr << "kivplay: " << to_utf8(refused) << '\n';
    return false;
  }
  turns_sent_ = 1;
  if (!WaitForTurns(turns_sent_, options_.reply_wait)) std::cerr << "kivplay: the game has not started yet\n";
  return true;
}

void console_host::Play(std::istream& commands, bool prompt) {
  std::string line;
  while (true) {
    if (prompt) std::cout << "> " << std::flush;
    if (!std::getline(commands, line)) break;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    // The engine runs a command that begins with "/" as game code.
    if (options_.eval) line = "/" + line;
    if (!Send(to_wide(line))) continue;
    ++turns_sent_;
    if (!WaitForTurns(turns_sent_, options_.reply_wait))
      std::cerr << "kivplay: no reply yet to \"" << line << "\"; it follows when it comes\n";
  }
  if (prompt) std::cout << '\n';
  if (!WaitForTurns(turns_sent_, final_wait)) std::cerr << "kivplay: no reply from the engine\n";
}

bool console_host::Replay(const transcript& script, std::string& mismatch) {
  for (const transcript::step& step : script.Steps()) {
    if (!step.command.empty()) {
      if (!Send(to_wide(step.command))) {
        mismatch = "line " + std::to_string(step.line) + ": the command was not taken";
        return false;
      }
      ++turns_sent_;
      WaitForTurns(turns_sent_, options_.reply_wait);
    }
    std::string reply = TurnText(turns_sent_);
    std::string failed;
    if (!transcript::Check(step, reply, failed)) {
      mismatch = failed + "\n  after: " + (step.command.empty() ? "(the opening)" : "> " + step.command) +
                 "\n  reply: " + transcript::Normalised(reply);
      return false;
    }
  }
  return true;
}

std::string console_host::TurnText(uint64_t turn) {
  std::lock_guard lock(output_mutex_);
  if (turn == 0 || turn > turn_texts_.size()) return std::string();
  return to_utf8(turn_texts_[turn - 1]);
}

bool console_host::Send(const std::u16string& command) {
  // The engine holds one command per session; a reply that is late keeps
  // the previous one waiting for a while.
  auto give_up = std::chrono::steady_clock::now() + options_.reply_wait;
  while (true) {
    const char16_t* refused = engine_.Input(session_id, command.c_str(), 0);
    if (!refused) return true;
    bool busy = std::u16string_view(refused) == u"Предыдущая команда не обработана!";
    if (!busy || std::chrono::steady_clock::now() >= give_up) {
      std::cerr << "kivplay: " << to_utf8(refused) << " (not sent: " << to_utf8(command) << ")\n";
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

bool console_host::WaitForTurns(uint64_t count, std::chrono::milliseconds wait) {
  std::unique_lock lock(output_mutex_);
  while (turns_ended_ < count) {
    uint64_t ended = turns_ended_;
    if (!turn_ended_.wait_for(lock, wait, [&] { return turns_ended_ > ended; })) return false;
  }
  return true;
}

void console_host::Stop() {
  if (!started_) return;
  started_ = false;
  engine_.Exit(0);
}
