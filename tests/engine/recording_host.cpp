#include "recording_host.h"

#include "codepage.h"

recording_host& recording_host::Get() {
  static recording_host host;
  return host;
}

void recording_host::Reset() {
  std::lock_guard lock(mutex_);
  prints_.clear();
  ide_replies_.clear();
  speeches_.clear();
  hook_ = nullptr;
}

std::vector<host_call> recording_host::Prints() {
  std::lock_guard lock(mutex_);
  return prints_;
}

std::vector<host_call> recording_host::IdeReplies() {
  std::lock_guard lock(mutex_);
  return ide_replies_;
}

std::vector<host_call> recording_host::Speeches() {
  std::lock_guard lock(mutex_);
  return speeches_;
}

bool recording_host::WaitForPrints(size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return prints_.size() >= count; });
}

bool recording_host::WaitForIdeReplies(size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return ide_replies_.size() >= count; });
}

void recording_host::SetPrintHook(std::function<void(const host_call&)> hook) {
  std::lock_guard lock(mutex_);
  hook_ = std::move(hook);
}

void recording_host::Record(std::vector<host_call>& calls, int32_t id, const char16_t* first,
                            const char16_t* second) {
  host_call call{id, first ? first : u"", second ? second : u"", std::chrono::steady_clock::now()};
  std::function<void(const host_call&)> hook;
  {
    std::lock_guard lock(mutex_);
    if (&calls == &prints_) hook = hook_;
  }
  if (hook) hook(call);
  std::lock_guard lock(mutex_);
  calls.push_back(call);
  changed_.notify_all();
}

const char16_t* recording_host::Print(int32_t id, const char16_t* channel, const char16_t* text) {
  recording_host& host = Get();
  host.Record(channel && std::u16string(channel) == u"ide" ? host.ide_replies_ : host.prints_, id, channel, text);
  return nullptr;
}

const char16_t* recording_host::Speech(int32_t id, const char16_t* text, const char16_t*) {
  Get().Record(Get().speeches_, id, text, nullptr);
  return nullptr;
}

const char* recording_host::PrintAnsi(int32_t id, const char* channel, const char* text) {
  std::u16string wide_channel = wide(channel ? channel : ""), wide_text = wide(text ? text : "");
  recording_host& host = Get();
  host.Record(wide_channel == u"ide" ? host.ide_replies_ : host.prints_, id, wide_channel.c_str(), wide_text.c_str());
  host.ansi_reply_ = "принято";
  return host.ansi_reply_.c_str();
}

const char16_t* recording_host::Echo(int32_t, const char16_t* first, const char16_t* second) {
  recording_host& host = Get();
  host.echo_reply_ = u"ответ";
  host.echo_reply_ += first ? first : u"";
  host.echo_reply_ += second ? second : u"";
  return host.echo_reply_.c_str();
}

std::string utf8(const std::u16string& text) { return encode_utf8(text.data(), text.size()); }

std::u16string wide(const std::string& utf8_text) {
  std::u16string out;
  decode_utf8(utf8_text.data(), utf8_text.size(), out);
  return out;
}
