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
bool is_regular_file(const std::string& name) {
  struct stat status {};
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

}  // namespace

std::string file_server::Serve(std::u16string path, web_session* session, const std::u16string& gamelist) {
  replace_all(path, u"\\", u"/");
  while (replace_all(path, u"//", u"/") > 0) {}
  if (!path.empty() && path[0] == u'/') path.erase(0, 1);
  log_.Add(u"Find file " + path + u"\r\n");
  std::u16string error = u" - файл не найден!";
  std::string reply;
  if (const content_type* row = find_content_type(path)) {
    std::string file = Find(to_utf8(path));
    if (!file.empty()) reply = Reply(file, *row, session, gamelist, error);
  }
  if (!reply.empty()) return reply;
  log_.Add(u"404 Error " + error + u"\r\n\r\n");
  return std::string(http_reply::not_found);
}

std::string file_server::Find(std::string path) {
  for (;;) {
    for (const std::string& folder : {folders_.site_root, folders_.fallback}) {
      if (!is_regular_file(folder + path)) continue;
      log_.Add(from_utf8(folder + path) + u"\r\n");
      return folder + path;
    }
    size_t slash = path.find('/');
    if (slash == std::string::npos) return {};
    path.erase(0, slash + 1);
  }
}

std::string file_server::Reply(const std::string& file, const content_type& row, web_session* session,
                               const std::u16string& gamelist, std::u16string& error) {
  std::string body;
  std::u16string text;
  if (row.text) {
    if (!load_text(file, text, error)) return {};
    if (row.placeholders) {
      replace_first(text, u"[gamelist]", gamelist);
      if (session) replace_first(text, u"[location]", session->Location());
    }
    body = to_utf8(text);
  } else if (!read_whole(file, body, error)) {
    return {};
  }
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
  if (row.text)
    log_.Add(u"text-file " + decimal(long(text.size())) + u" символов, send " + decimal(long(body.size())) +
             u" байт\r\n");
  else
    log_.Add("200 OK\r\n");
  return http_reply::WithBody(std::move(head), body);
}
