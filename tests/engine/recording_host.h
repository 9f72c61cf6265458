#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// What a test host received through its callbacks.
struct host_call {
  int32_t session_id;
  std::u16string first;   // channel for print, text for speech
  std::u16string second;  // text for print
  std::chrono::steady_clock::time_point at;
};

// Records the calls of the host callbacks below, thread-safely.
class recording_host {
 public:
  static recording_host& Get();

  void Reset();
  // Print calls; those of the development environment's channel "ide",
  // which follow every turn, are kept apart.
  std::vector<host_call> Prints();
  std::vector<host_call> IdeReplies();
  std::vector<host_call> Speeches();
  // Waits until `count` print calls arrived; false after the timeout.
  bool WaitForPrints(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10));
  bool WaitForIdeReplies(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Called (on the engine's thread) before each print is recorded.
  void SetPrintHook(std::function<void(const host_call&)> hook);

  static const char16_t* Print(int32_t id, const char16_t* channel, const char16_t* text);
  static const char16_t* Speech(int32_t id, const char16_t* text, const char16_t* unused);
  static const char* PrintAnsi(int32_t id, const char* channel, const char* text);
  // Answers "ответ" followed by its arguments.
  static const char16_t* Echo(int32_t id, const char16_t* first, const char16_t* second);

 private:
  void Record(std::vector<host_call>& calls, int32_t id, const char16_t* first, const char16_t* second);

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<host_call> prints_;
  std::vector<host_call> ide_replies_;
  std::vector<host_call> speeches_;
  std::function<void(const host_call&)> hook_;
  std::string ansi_reply_;
  std::u16string echo_reply_;
};

std::string utf8(const std::u16string& text);
std::u16string wide(const std::string& utf8_text);
