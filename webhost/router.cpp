#include "router.h"

#include <algorithm>
#include <ctime>
#include <mutex>
#include <thread>

#include "http_reply.h"
#include "text_edit.h"

namespace {

std::u16string clock_time() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof(text), "%H:%M:%S", &local);
  return from_ansi(text);
}

// A path of the site as a path on disk below `root`.
std::string disk_path(const std::string& root, std::u16string path) {
  replace_all(path, u"\\", u"/");
  while (replace_all(path, u"//", u"/") > 0) {}
  if (!path.empty() && path[0] == u'/') path.erase(0, 1);
  return root + to_utf8(path);
}

}  // namespace

router::router(web_session_list& sessions, engine_binding& engine, const host_folders& folders,
               const host_settings& settings, server_log& log)
    : sessions_(sessions),
      engine_(engine),
      folders_(folders),
      settings_(settings),
      log_(log),
      catalogue_(folders.site_root),
      site_(folders.site_root + "home/subscribe.log"),
      files_(folders, log),
      store_(folders.site_root + "users/sessions/") {}

std::string router::Handle(std::string_view head, const std::string& remote_address) {
  http_request request = parse_request(head);
  if (!request.valid) {
    log_.Add(request.first_line + "\r\n");
    return {};
  }
  std::unique_lock lock(sessions_.Mutex(), std::defer_lock);
  if (!lock.try_lock_for(web_session_list::lock_wait)) {
    log_.Add(u"Error! список сессий заблокирован!\r\n");
    return std::string(http_reply::list_locked);
  }
  sessions_.DeliverQueued(settings_.letters, settings_.editor);
  web_session* session = nullptr;
  if (!request.cookie.empty() && !request.game_folder.empty()) {
    session = sessions_.Find(request.cookie, request.game_folder);
    if (!session) session = ResumeKept(request.cookie, request.game_folder);
    if (session) session->Touch(web_session::clock::now());
  }
  if (!request.IsUpdate() && !request.IsUpdide()) LogRequest(request);
  std::string reply = Route(request, session, remote_address);
  // What the reply shows is on disk before the browser sees it.
  KeepChanged();
  ReleaseIdle();
  return reply;
}

web_session* router::ResumeKept(const std::u16string& cookie, const std::u16string& game_folder) {
  std::optional<web_session::kept_state> kept = store_.Find(cookie, game_folder);
  web_session* session = kept ? Resume(*kept) : nullptr;
  if (session && !kept->journal.empty()) AwaitJournals({session}, resume_wait);
  return session;
}

web_session* router::Resume(const web_session::kept_state& state) {
  web_session& session = sessions_.Create(state.cookie, state.game_folder, false);
  session.Restore(state);
  std::u16string message;
  bool resumed = engine_.ResumeGame(session, message);
  log_.Add(message + u"\r\n");
  if (resumed) return &session;
  sessions_.Remove(session);
  return nullptr;
}

void router::ResumeKeptSessions() {
  std::lock_guard lock(sessions_.Mutex());
  std::vector<web_session*> waiting;
  for (const web_session::kept_state& state : store_.All()) {
    web_session* session = Resume(state);
    if (session && !state.journal.empty()) waiting.push_back(session);
  }
  auto limit = std::chrono::seconds(10) + waiting.size() * std::chrono::milliseconds(200);
  AwaitJournals(std::move(waiting), std::chrono::duration_cast<std::chrono::milliseconds>(limit));
  KeepChanged();
}

// Each resumed game hands its journal back once rebuilt: the same text, or
// a fresh start's when the game has changed since. Until then the engine
// would refuse the session's commands.
void router::AwaitJournals(std::vector<web_session*> waiting, std::chrono::milliseconds limit) {
  auto deadline = web_session::clock::now() + limit;
  for (;;) {
    sessions_.DeliverQueued(settings_.letters, settings_.editor);
    std::erase_if(waiting, [](const web_session* session) { return session->Changed(); });
    if (waiting.empty() || web_session::clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!waiting.empty()) log_.Add(u"Не все игры возобновлены: " + decimal(long(waiting.size())) + u"\r\n");
}

void router::KeepChanged() {
  for (web_session* session : sessions_.All()) {
    if (!session->Changed() || session->GamePath().empty()) continue;
    if (store_.Keep(session->Kept()))
      session->ClearChanged();
    else
      log_.Add(u"Не удалось записать сессию " + session->Cookie() + u"\r\n");
  }
}

void router::ReleaseIdle() {
  auto now = web_session::clock::now();
  auto limit = std::chrono::seconds(settings_.idle_release_seconds);
  if (now - last_idle_check_ < std::min<web_session::clock::duration>(limit, std::chrono::seconds(60))) return;
  last_idle_check_ = now;
  for (web_session* session : sessions_.All()) {
    // A session whose state is not on disk yet stays.
    if (now - session->LastActive() < limit || session->Changed() || session->Journal().empty()) continue;
    log_.Add(engine_.ReleaseGame(*session) + u"\r\n");
    sessions_.Remove(*session);
  }
}

void router::LogRequest(const http_request& request) {
  log_.Add("\r\n" + request.request_text);
  log_.Add(u"\r\nURL = " + request.path + u"\r\nCookie = " + request.cookie + u"\r\nGameURL = " +
           request.game_folder + u"\r\nCommand = " + request.query + u"\r\n");
}

std::string router::Route(http_request& request, web_session* session, const std::string& remote_address) {
  const std::u16string& query = request.query;
  if (starts_with(query, u"site=")) return site_.Reply(query.substr(5), sessions_.Count(), log_);
  if (starts_with(query, u"cmd=")) return Command(query.substr(4), session);
  if (starts_with(query, u"keypress")) return std::string(http_reply::no_content_ok);
  if (request.IsUpdate()) return Update(session);
  if (request.IsUpdide()) return Updide(session);
  bool page = request.IsFolder() || request.IsGame();
  if (page && !query.empty()) {
    log_.Add(u"Команда не опознана!\r\n");
    return std::string(http_reply::not_acceptable);
  }
  if (!request.SafePath()) {
    log_.Add(u"404 Error  - файл не найден!\r\n\r\n");
    return std::string(http_reply::not_found);
  }
  if (request.IsFolder()) return Folder(request, session);
  if (request.IsGame()) return Game(request, session, remote_address);
  return files_.Serve(request.path, session, catalogue_.Html());
}

std::string router::Command(const std::u16string& command, web_session* session) {
  status_.time = clock_time();
  status_.command = command;
  if (!session) {
    log_.Add(u"Не найдена игровая сессия!\r\n");
  } else {
    std::u16string message = engine_.SendCommand(*session, command, settings_.editor);
    if (!message.empty()) log_.Add(message + u"\r\n");
  }
  return std::string(http_reply::no_content_ok);
}

std::string router::Update(web_session* session) {
  if (!session) return {};
  std::string head(http_reply::polled_text_head);
  return http_reply::WithBody(std::move(head), to_utf8(session->OutputReply(settings_.stress_marks)));
}

std::string router::Updide(web_session* session) {
  std::u16string reply = session ? session->IdeReply() : std::u16string();
  if (reply.empty()) return std::string(http_reply::no_content);
  std::string head(http_reply::polled_text_head);
  return http_reply::WithBody(std::move(head), to_utf8(reply));
}

std::string router::Folder(http_request& request, web_session* session) {
  catalogue_.Scan(disk_path(folders_.site_root, request.path), log_);
  return Page(request.path + u"index.html", session);
}

std::string router::Game(http_request& request, web_session* session, const std::string& remote_address) {
  if (request.cookie.empty()) {
    std::optional<created_cookie> created = create_cookie(folders_.site_root + "users/", remote_address);
    if (!created) {
      log_.Add(u"Не удалось создать Cookie!\r\n");
      return std::string(http_reply::cookie_error);
    }
    request.cookie = created->cookie;
    session = &sessions_.Create(request.cookie, request.game_folder, created->new_cookie);
    log_.Add(engine_.StartGame(*session, request.path) + u"\r\n");
  } else if (!session) {
    session = &sessions_.Create(request.cookie, request.game_folder, false);
    log_.Add(engine_.StartGame(*session, request.path) + u"\r\n");
  } else {
    session->ShowAgain();
  }
  std::u16string page = settings_.editor ? u"KIV2IDE.html" : u"interface.html";
  return Page(request.game_folder + page, session);
}

std::string router::Page(const std::u16string& path, web_session* session) {
  log_.Add(u"URL = " + path + u"\r\n");
  if (settings_.mode != start_mode::window) return files_.Serve(path, session, catalogue_.Html());
  std::string reply = "HTTP/1.1 200 OK\r\nCache-Control: max-age=0\r\nExpires: -1\r\n";
  if (session && session->NewCookie()) {
    reply += http_reply::SetCookie(session->Cookie());
    session->ClearNewCookie();
    log_.Add(u"Set new cookie\r\n");
  }
  std::u16string frame =
      u"<html><head><title>КИВ2</title><style>html,body,iframe{margin:0;padding:0;height:100%;}iframe{display:"
      u"block;width:100%;border:none;}</style></head><body><iframe src='src' scrolling='no'>  iframe</iframe>"
      u"</body></html>";
  // The path stands between quotes: nothing in it may close them.
  std::u16string source = path;
  for (auto [unsafe, coded] : {std::pair{u"'", u"%27"}, {u"\"", u"%22"}, {u"<", u"%3c"}, {u">", u"%3e"}})
    replace_all(source, unsafe, coded);
  replace_first(frame, u"'src'", source);
  log_.Add(u"send iframe-wrapper\r\n");
  return reply + "Content-type: text/html; charset=UTF-8\r\n\r\n" + to_utf8(frame);
}
