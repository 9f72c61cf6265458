#include "web_session_list.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>

#include "text_edit.h"
#include "wstring.h"

web_session* web_session_list::Find(const std::u16string& cookie, const std::u16string& game_folder) {
  auto found = sessions_.find({cookie, game_folder});
  return found == sessions_.end() ? nullptr : found->second.get();
}

web_session& web_session_list::Create(const std::u16string& cookie, const std::u16string& game_folder,
                                      bool new_cookie) {
  auto created = std::make_unique<web_session>(next_id_++, cookie, game_folder, new_cookie);
  web_session& session = *created;
  sessions_[{cookie, game_folder}] = std::move(created);
  by_id_[session.Id()] = &session;
  return session;
}

void web_session_list::Clear() {
  sessions_.clear();
  by_id_.clear();
}

void web_session_list::Remove(web_session& session) {
  by_id_.erase(session.Id());
  sessions_.erase({session.Cookie(), session.GameFolder()});
}

std::vector<web_session*> web_session_list::All() const {
  std::vector<web_session*> all;
  for (const auto& [key, session] : sessions_) all.push_back(session.get());
  return all;
}

void web_session_list::Queue(int32_t id, std::u16string_view channel_name, std::u16string_view text) {
  channel kind;
  if (channel_name == u"print")
    kind = channel::print;
  else if (channel_name == u"ide")
    kind = channel::ide;
  else if (channel_name == u"journal")
    kind = channel::journal;
  else
    return;
  if (text.empty()) return;
  std::lock_guard lock(queue_mutex_);
  queue_.push_back({id, kind, std::u16string(text)});
}

void web_session_list::DeliverQueued(bool letters, bool editor) {
  std::vector<queued_output> queued;
  {
    std::lock_guard lock(queue_mutex_);
    queued.swap(queue_);
  }
  for (const queued_output& output : queued) {
    if (output.kind == channel::ide && !editor) continue;
    if (output.id == 0 && output.kind != channel::journal) {
      for (auto& [key, session] : sessions_) Deliver(*session, output, letters);
    } else if (auto found = by_id_.find(output.id); found != by_id_.end()) {
      Deliver(*found->second, output, letters);
    }
  }
}

void web_session_list::Deliver(web_session& session, const queued_output& output, bool letters) {
  switch (output.kind) {
    case channel::ide: session.AddIde(output.text); break;
    case channel::journal: session.SetJournal(output.text); break;
    case channel::print: session.AddPrint(output.text, letters); break;
  }
}

namespace {

constexpr int cookie_attempts = 1000;
constexpr int cookie_length = 12;

// Fills the buffer from the kernel's cryptographic source.
bool secure_random_bytes(unsigned char* buffer, size_t size) {
  size_t got = 0;
  while (got < size) {
    ssize_t n = getrandom(buffer + got, size - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += size_t(n);
  }
  if (got == size) return true;
  int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  got = 0;
  while (got < size) {
    ssize_t n = read(fd, buffer + got, size - got);
    if (n <= 0) break;
    got += size_t(n);
  }
  close(fd);
  return got == size;
}

// Letters and digits drawn evenly: bytes that would favour the first
// characters are drawn again.
bool random_cookie(std::string& cookie) {
  static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  constexpr unsigned size = sizeof(alphabet) - 1;
  constexpr unsigned limit = 256 - 256 % size;
  cookie.clear();
  while (cookie.size() < size_t(cookie_length)) {
    unsigned char bytes[32];
    if (!secure_random_bytes(bytes, sizeof(bytes))) return false;
    for (unsigned char byte : bytes)
      if (byte < limit && cookie.size() < size_t(cookie_length)) cookie += alphabet[byte % size];
  }
  return true;
}

}  // namespace

std::optional<created_cookie> create_cookie(const std::string& users_folder, const std::string& remote_address) {
  std::string cookie;
  for (int attempt = 0; attempt < cookie_attempts; ++attempt) {
    if (!random_cookie(cookie)) return std::nullopt;
    std::string log_name = users_folder + cookie + ".log";
    int fd = open(log_name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) continue;
    created_cookie created{from_ansi(cookie), fd >= 0};
    if (fd >= 0) {
      wstring stamp;
      stamp.AddDateTime(true, true, true);
      std::string line = to_ansi(stamp.Text()) + " " + remote_address;
      // The cookie stands even when its first line cannot be written.
      [[maybe_unused]] ssize_t written = write(fd, line.data(), line.size());
      close(fd);
    }
    return created;
  }
  return std::nullopt;
}
