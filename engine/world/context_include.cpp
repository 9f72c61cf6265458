// Including a source file of the game into a context.

#include "context.h"
#include "keyword_table.h"
#include "text_digest.h"
#include "world.h"

namespace {

// Includes nest when included files include others; a file that includes
// itself must end in a message, not exhaust the stack.
constexpr int max_include_depth = 32;

const char16_t* const default_extension = u".kiv";
const char16_t* const library_folder = u"lib\\";

bool is_separator(char16_t c) { return c == u'/' || c == u'\\'; }

// The extension of the name, lower case; a name without one gets ".kiv".
wstring take_extension(wstring& name) {
  if (name.Find(u'.') < 0) {
    name += default_extension;
    return default_extension;
  }
  if (name.Length() <= 4) return default_extension;
  wstring extension = name.Right(4);
  extension.ToLower();
  return extension;
}

// A rooted name ("/x", "\\server\x", "c:x") would reach outside the game.
bool is_rooted(const wstring& name) {
  if (name.IsEmpty()) return false;
  return is_separator(name[0]) || (name.Length() > 1 && name[1] == u':');
}

// Whether ".." steps climb above the folder the name starts from.
bool climbs_out(const wstring& name) {
  int depth = 0;
  int start = 0;
  for (int i = 0; i <= name.Length(); ++i) {
    if (i < name.Length() && !is_separator(name[i])) continue;
    wstring step = name.Mid(start, i - start);
    if (step == u"..") {
      if (--depth < 0) return true;
    } else if (!step.IsEmpty() && step != u".") {
      ++depth;
    }
    start = i + 1;
  }
  return false;
}

// Game files and libraries are the world's source files; scripts are not.
void list_source_file(c_array<wstring, wstring>& files, const wstring& file, const wstring& extension) {
  if (extension != u".kiv" && extension != u".kvl") return;
  for (const wstring& listed : files)
    if (listed == file) return;
  files.Insert(files.Count(), file);
}

wstring read_source(const world& home, const wstring& file, const wstring& extension) {
  wstring path(home.Directory());
  path += file;
  // Libraries missing from the game folder come from the shared one.
  wstring library_path;
  if (extension == u".kvl") {
    library_path = library_folder;
    library_path += file;
  }
  wstring source, error;
  if (!source.LoadFromFile(path.Text(), library_path.Text(), error)) throw error;
  return source;
}

// Counts one more include in progress for as long as it lives.
class include_level {
 public:
  explicit include_level(world& home) : home_(home) {
    if (home_.include_depth >= max_include_depth) throw u"слишком глубокая вложенность подключаемых файлов!";
    ++home_.include_depth;
  }
  ~include_level() { --home_.include_depth; }
  include_level(const include_level&) = delete;
  include_level& operator=(const include_level&) = delete;

 private:
  world& home_;
};

}  // namespace

// Game code names the files it includes, and players can type game code:
// only files inside the game folder or the library folder may be read.
void check_game_file_name(const wstring& name) {
  if (!is_rooted(name) && !climbs_out(name)) return;
  wstring message(u"файл ");
  message += name;
  message += u" недоступен: подключать можно только файлы из папки игры и папки библиотеки!";
  throw message;
}

value context::Include(const wstring& name) {
  wstring file(name);
  check_game_file_name(file);
  wstring extension = take_extension(file);
  list_source_file(world_->SourceFiles(), file, extension);
  include_level level(*world_);

  // The label names the file while it is read and run. A failure leaves it
  // naming this file, so the crash report tells where the game broke.
  wstring previous_label;
  if (world_->file_label) {
    previous_label = *world_->file_label;
    *world_->file_label = file;
  }
  wstring source = read_source(*world_, file, extension);
  world_->source_digest = text_digest(world_->source_digest, source);
  code_runner* runner = world_->Runner();
  value result = runner ? runner->RunSource(source, *this) : value::Keyword(kw::result_ok);
  if (world_->file_label) *world_->file_label = previous_label;
  return result;
}
