#include "file_server.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "content_types.h"
#include "http_reply.h"
#include "text_edit.h"
#include "web_session.h"
#include "wstring.h"

namespace {

// Regular files only: a folder that happens to end in ".png" is no file.
bool regular_file_status(const std::string& name, struct stat& status) {
  return stat(name.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool read_whole(const std::string& file, std::string& bytes, std::u16string& error) {
  int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat status {};
  if (fd < 0 || fstat(fd, &status) != 0 || status.st_size > file_server::max_file_bytes) {
    if (fd >= 0) close(fd);
    error = u"Неправильный размер файла!";
    return false;
  }
  bytes.resize(size_t(status.st_size));
  size_t got = 0;
  while (got < bytes.size()) {
    ssize_t n = pread(fd, bytes.data() + got, bytes.size() - got, off_t(got));
    if (n <= 0) break;
    got += size_t(n);
  }
  close(fd);
  if (got == bytes.size()) return true;
  error = u"Не удалось загрузить файл!";
  return false;
}

bool load_text(const std::string& file, std::u16string& text, std::u16string& error) {
  wstring loaded, failure;
  std::u16string wide_name = from_utf8(file);
  if (!loaded.LoadFromFile(wide_name.c_str(), nullptr, failure)) {
    error = failure.Text();
    return false;
  }
  text = loaded.Text();
  return true;
}

// Fills the first `placeholder` of a UTF-8 text; the count of UTF-16
// characters follows the change.
void fill_first(std::string& text, long& characters, std::string_view placeholder, std::u16string_view value) {
  size_t at = text.find(placeholder);
  if (at == std::string::npos) return;
  text.replace(at, placeholder.size(), to_utf8(value));
  characters += long(value.size()) - long(placeholder.size());
}

}  // namespace

bool file_server::file_stamp::operator==(const file_stamp& other) const {
  return inode == other.inode && size == other.size && modified.tv_sec == other.modified.tv_sec &&
         modified.tv_nsec == other.modified.tv_nsec;
}

std::string file_server::Serve(std::u16string path, web_session* session, const std::u16string& gamelist) {
  replace_all(path, u"\\", u"/");
  while (replace_all(path, u"//", u"/") > 0) {}
  if (!path.empty() && path[0] == u'/') path.erase(0, 1);
  log_.Add(u"Find file " + path + u"\r\n");
  std::u16string error = u" - файл не найден!";
  if (const content_type* row = find_content_type(path)) {
    if (const cached_file* content = Content(to_utf8(path), *row, error))
      return Reply(*content, *row, session, gamelist);
  }
  log_.Add(u"404 Error " + error + u"\r\n\r\n");
  return std::string(http_reply::not_found);
}

const file_server::cached_file* file_server::Content(const std::string& path, const content_type& row,
                                                     std::u16string& error) {
  clock::time_point now = clock::now();
  auto stamp_of = [](const std::string& file, file_stamp& stamp) {
    struct stat status {};
    if (!regular_file_status(file, status)) return false;
    stamp = {status.st_ino, status.st_size, status.st_mtim};
    return true;
  };
  auto kept = cache_.find(path);
  file_stamp stamp;
  if (kept != cache_.end() && now - kept->second.searched < search_again && stamp_of(kept->second.file, stamp) &&
      stamp == kept->second.stamp) {
    log_.Add(from_utf8(kept->second.file) + u"\r\n");
    return &kept->second;
  }
  std::string file = Find(path);
  if (file.empty() || !stamp_of(file, stamp)) {
    if (kept != cache_.end()) {
      cached_bytes_ -= kept->second.body.size();
      cache_.erase(kept);
    }
    return nullptr;
  }
  if (kept != cache_.end() && kept->second.file == file && kept->second.stamp == stamp) {
    kept->second.searched = now;
    return &kept->second;
  }
  // The stamp is taken before the reading: a file changed meanwhile is
  // read again next time.
  cached_file loaded{file, stamp, now, {}, 0};
  if (!Load(file, row, loaded, error)) return nullptr;
  Keep(path, std::move(loaded));
  return &cache_.find(path)->second;
}

std::string file_server::Find(std::string path) {
  for (;;) {
    for (const std::string& folder : {folders_.site_root, folders_.fallback}) {
      struct stat status {};
      if (!regular_file_status(folder + path, status)) continue;
      log_.Add(from_utf8(folder + path) + u"\r\n");
      return folder + path;
    }
    size_t slash = path.find('/');
    if (slash == std::string::npos) return {};
    path.erase(0, slash + 1);
  }
}

bool file_server::Load(const std::string& file, const content_type& row, cached_file& loaded,
                       std::u16string& error) {
  if (!row.text) return read_whole(file, loaded.body, error);
  std::u16string text;
  if (!load_text(file, text, error)) return false;
  loaded.characters = long(text.size());
  loaded.body = to_utf8(text);
  return true;
}

// The cache holds no more than its bound: when a file would pass it, what
// was kept is let go.
void file_server::Keep(const std::string& path, cached_file loaded) {
  auto old = cache_.find(path);
  if (old != cache_.end()) {
    cached_bytes_ -= old->second.body.size();
    cache_.erase(old);
  }
  if (cached_bytes_ + loaded.body.size() > max_cached_bytes) {
    cache_.clear();
    cached_bytes_ = 0;
  }
  cached_bytes_ += loaded.body.size();
  cache_.emplace(path, std::move(loaded));
}

std::string file_server::Reply(const cached_file& content, const content_type& row, web_session* session,
                               const std::u16string& gamelist) {
  std::string head = "HTTP/1.1 200 OK\r\nServer: KIV2 alpha\r\nCache-Control: ";
  head += row.cache_control;
  head += "\r\nExpires: -1\r\n";
  if (session && session->NewCookie()) {
    head += http_reply::SetCookie(session->Cookie());
    session->ClearNewCookie();
    log_.Add(u"Set new cookie " + session->Cookie() + u"\r\n");
  }
  head += "Content-type: ";
  head += row.type;
  head += "\r\n";
  if (!row.text) {
    log_.Add("200 OK\r\n");
    return http_reply::WithBody(std::move(head), content.body);
  }
  if (!row.placeholders) {
    log_.Add(u"text-file " + decimal(content.characters) + u" символов, send " + decimal(long(content.body.size())) +
             u" байт\r\n");
    return http_reply::WithBody(std::move(head), content.body);
  }
  // The placeholders are plain ASCII, so they are found in the UTF-8 text
  // just where they stand in the decoded one.
  std::string page = content.body;
  long characters = content.characters;
  fill_first(page, characters, "[gamelist]", gamelist);
  if (session) fill_first(page, characters, "[location]", session->Location());
  log_.Add(u"text-file " + decimal(characters) + u" символов, send " + decimal(long(page.size())) + u" байт\r\n");
  return http_reply::WithBody(std::move(head), page);
}
