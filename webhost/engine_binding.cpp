#include "engine_binding.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "text_edit.h"

namespace {

// The engine's callbacks carry no context: the one bound list receives
// the output.
web_session_list* print_target = nullptr;

// The plug-in files of a folder, in name order.
std::vector<std::string> plugin_files(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    std::string name = entry.path().filename().string();
    const std::string suffix = ".plg.so";
    if (name.size() > suffix.size() && name.ends_with(suffix) && entry.is_regular_file(error))
      files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

engine_binding::engine_binding(web_session_list& sessions, const host_folders& folders)
    : sessions_(sessions), folders_(folders) {}

engine_binding::~engine_binding() { UnloadEngine(); }

const char16_t* engine_binding::OnPrint(int32_t id, const char16_t* channel, const char16_t* text) {
  if (print_target && channel && text) print_target->Queue(id, channel, text);
  return nullptr;
}

const char16_t* engine_binding::OnJournal(int32_t id, const char16_t* journal, const char16_t*) {
  if (print_target && journal) print_target->Queue(id, u"journal", journal);
  return nullptr;
}

int engine_binding::LoadEngine(bool prompt_worker, std::u16string& message) {
  if (chdir(folders_.program.c_str()) != 0) {
    message = u"Error: Не удалось загрузить kiv.dll";
    return 1;
  }
  library_ = dlopen((folders_.program + "libkiv.so").c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library_) {
    message = u"Error: Не удалось загрузить kiv.dll";
    return 1;
  }
  if (!ResolveExports()) {
    message = u"Error: Не найдены функции kiv.dll";
    ReleaseModules();
    return 1;
  }
  print_target = &sessions_;
  RegFunction_(u"print", &OnPrint, KIV_KIND_DEFERRED, 1);
  RegFunction_(u"kiv.journal", &OnJournal, KIV_KIND_PLAIN, 1);
  if (!LoadPlugins(message)) {
    ReleaseModules();
    return 1;
  }
  if (prompt_worker) setenv("KIV_PROMPT_WORKER", "1", 1);
  bool started = Init_(plugins_.data()) & 0xFF;
  if (prompt_worker) unsetenv("KIV_PROMPT_WORKER");
  if (!started) {
    message = u"Не удалось запустить kiv.dll!";
    ReleaseModules();
    return 1;
  }
  started_ = true;
  return 0;
}

bool engine_binding::ResolveExports() {
  RegFunction_ = reinterpret_cast<decltype(RegFunction_)>(dlsym(library_, "RegFunction"));
  Init_ = reinterpret_cast<decltype(Init_)>(dlsym(library_, "Init"));
  Exit_ = reinterpret_cast<decltype(Exit_)>(dlsym(library_, "Exit"));
  Input_ = reinterpret_cast<decltype(Input_)>(dlsym(library_, "Input"));
  Run_ = reinterpret_cast<decltype(Run_)>(dlsym(library_, "Run"));
  Resume_ = reinterpret_cast<decltype(Resume_)>(dlsym(library_, "Resume"));
  Release_ = reinterpret_cast<decltype(Release_)>(dlsym(library_, "Release"));
  return RegFunction_ && Init_ && Exit_ && Input_ && Run_ && Resume_ && Release_;
}

// Each plug-in file fills the next slot; a module that is loaded already
// (under another name) takes none.
bool engine_binding::LoadPlugins(std::u16string& message) {
  size_t slot = 0;
  for (const std::string& file : plugin_files(folders_.program)) {
    if (slot == plugins_.size()) break;
    if (void* loaded = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD)) {
      dlclose(loaded);
      continue;
    }
    plugins_[slot] = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!plugins_[slot]) {
      message = u"Не удалось загрузить plug-in " + from_utf8(std::filesystem::path(file).filename().string());
      return false;
    }
    ++slot;
  }
  return true;
}

void engine_binding::UnloadEngine() {
  if (!library_) return;
  if (started_) Exit_(0);
  started_ = false;
  ReleaseModules();
  sessions_.Clear();
}

void engine_binding::ReleaseModules() {
  for (void*& plugin : plugins_) {
    if (plugin) dlclose(plugin);
    plugin = nullptr;
  }
  if (library_) dlclose(library_);
  library_ = nullptr;
  RegFunction_ = nullptr;
  Init_ = nullptr;
  Exit_ = nullptr;
  Input_ = nullptr;
  Run_ = nullptr;
  Resume_ = nullptr;
  Release_ = nullptr;
  print_target = nullptr;
}

std::u16string engine_binding::GameFile(const std::u16string& request_path) const {
  std::u16string game_file = from_utf8(folders_.site_root) + request_path;
  replace_all(game_file, u"\\", u"/");
  while (replace_all(game_file, u"//", u"/") > 0) {}
  return game_file;
}

std::u16string engine_binding::StartGame(web_session& session, const std::u16string& request_path) {
  if (!Run_) return u"Функция RunKIV2() не инициализирована!";
  std::u16string game_file = GameFile(request_path);
  session.SetGamePath(request_path);
  const char16_t* result = Run_(session.Id(), session.Cookie().c_str(), game_file.c_str());
  if (result && *result) return u"Ошибка запуска игры: " + std::u16string(result);
  return u"Запущена игра " + game_file;
}

std::u16string engine_binding::SendCommand(web_session& session, const std::u16string& command, bool editor) {
  if (!Input_) return u"Функция InputKIV2() не инициализирована!";
  if (!editor && starts_with(command, u"ide=")) return u"Команды отладки не принимаются: редактор выключен.";
  if (const char16_t* refused = Input_(session.Id(), command.c_str(), 0)) return refused;
  return session.RecordCommand(command, web_session::clock::now());
}

bool engine_binding::ResumeGame(web_session& session, std::u16string& message) {
  if (!Resume_ || !Run_) {
    message = u"Функция Resume() не инициализирована!";
    return false;
  }
  std::u16string game_file = GameFile(session.GamePath());
  const char16_t* result =
      session.Journal().empty()
          ? Run_(session.Id(), session.Cookie().c_str(), game_file.c_str())
          : Resume_(session.Id(), session.Cookie().c_str(), game_file.c_str(), session.Journal().c_str());
  if (result && *result) {
    message = u"Ошибка возобновления игры: " + std::u16string(result);
    return false;
  }
  message = u"Возобновлена игра " + game_file;
  return true;
}

std::u16string engine_binding::ReleaseGame(web_session& session) {
  if (!Release_) return u"Функция Release() не инициализирована!";
  const char16_t* result = Release_(session.Id());
  if (result && *result) return u"Ошибка освобождения сессии: " + std::u16string(result);
  return u"Сессия отпущена до возвращения браузера: " + session.Cookie();
}
