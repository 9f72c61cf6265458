// Request text through the web host as its event loop hands it over: the
// input is cut after each empty line into heads, handled in turn by one
// router over a small site, so that a later request finds the web session
// an earlier one made. The engine is not bound (the player-line target
// fuzzes it); in its place a part beginning "print:" or "ide:" is queued
// as the engine's output on that channel for every session, as its print
// callback queues it. The first byte chooses the server's settings.
//
// Besides crashes, two answers are findings: a reply that is not HTTP, and
// a reply carrying the file that lies beside the site root, outside it
// (a .txt file, which is served as it is).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "router.h"
#include "text_edit.h"

namespace {

constexpr std::string_view head_end = "\r\n\r\n";
// Bytes no reply made from text can hold (UTF-8 has no 0xFF), so only the
// file itself can carry them out, however the requests echo their input.
constexpr std::string_view secret = "\xff\xfeoutside the site\xff";
constexpr int max_requests = 16;

// The site in the scratch folder: site/ is the root, the program folder
// is site/bin/; the secret file lies beside the root.
class fuzz_site {
 public:
  fuzz_site() : root_(folder_.Path() / "site") {
    Write("secret.txt", secret);
    Write("site/bin/site/index.html", "<ul>[gamelist]</ul>[location]");
    Write("site/bin/site/interface.html", "<h1>[location]</h1>");
    Write("site/bin/site/KIV2IDE.html", "<pre>[location]</pre>");
    Write("site/games/cave/cave.kiv", "// Приключения\n// Пещера\n");
    Write("site/games/cave/logo.png", "PNG");
    Write("site/style.css", "body{}");
    Clean();
  }

  host_folders Folders() const { return host_folders::ForProgram((root_ / "bin").string() + "/"); }

  // Removes the cookie logs and subscriptions the last input wrote; the
  // folders stay, since most inputs write nothing.
  void Clean() const {
    std::error_code ignored;
    for (const char* folder : {"users", "home"}) {
      std::filesystem::create_directory(root_ / folder, ignored);
      for (const auto& entry : std::filesystem::directory_iterator(root_ / folder, ignored))
        std::filesystem::remove_all(entry.path(), ignored);
    }
  }

 private:
  void Write(const std::string& name, std::string_view content) const {
    std::filesystem::create_directories((folder_.Path() / name).parent_path());
    folder_.Write(name, reinterpret_cast<const uint8_t*>(content.data()), content.size());
  }

  fuzz::scratch_folder folder_;
  std::filesystem::path root_;
};

host_settings settings_of(uint8_t choice) {
  host_settings settings;
  settings.mode = start_mode(choice % 3);
  settings.editor = choice & 4;
  settings.letters = choice & 8;
  settings.stress_marks = choice & 16;
  return settings;
}

// One server over the site for one input.
class server {
 public:
  server(const host_folders& folders, const host_settings& settings)
      : folders_(folders), settings_(settings), log_("", nullptr), engine_(sessions_, folders_),
        router_(sessions_, engine_, folders_, settings_, log_) {}

  void Take(std::string_view part) {
    if (part.starts_with("print:"))
      sessions_.Queue(0, u"print", from_utf8(part.substr(6)));
    else if (part.starts_with("ide:"))
      sessions_.Queue(0, u"ide", from_utf8(part.substr(4)));
    else
      Check(router_.Handle(part, "10.0.0.7"));
  }

 private:
  static void Check(const std::string& reply) {
    if (!reply.empty() && !reply.starts_with("HTTP/1.")) std::abort();
    if (reply.find(secret) != std::string::npos) std::abort();
  }

  host_folders folders_;
  host_settings settings_;
  server_log log_;
  web_session_list sessions_;
  engine_binding engine_;
  router router_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz_site site;
  if (size == 0) return 0;
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  {
    server host(site.Folders(), settings_of(data[0]));
    for (int request = 0; request < max_requests && !text.empty(); ++request) {
      size_t end = text.find(head_end);
      end = end == std::string_view::npos ? text.size() : end + head_end.size();
      host.Take(text.substr(0, end));
      text.remove_prefix(end);
    }
  }
  site.Clean();
  return 0;
}
