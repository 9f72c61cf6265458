#include "server_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "text_edit.h"

server_log::server_log(std::string net_log_file, view shown)
    : net_log_file_(std::move(net_log_file)), view_(std::move(shown)) {}

void server_log::Add(std::string_view ansi_text) { pending_ += ansi_text; }

void server_log::Add(std::u16string_view text) { pending_ += to_ansi(text); }

void server_log::Refresh(bool net_log) {
  if (pending_.empty()) return;
  if (net_log) {
    int fd = open(net_log_file_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    struct stat status {};
    if (fd >= 0 && fstat(fd, &status) == 0 && status.st_size <= max_file_bytes) {
      [[maybe_unused]] ssize_t written = write(fd, pending_.data(), pending_.size());
    }
    if (fd >= 0) close(fd);
  }
  if (view_) view_(pending_);
  pending_.clear();
}
