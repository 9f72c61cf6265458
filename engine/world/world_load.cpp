// Naming the game file and loading it into the world.

#include <cstdlib>
#include <memory>

#include "keyword_table.h"
#include "text_digest.h"
#include "world.h"

namespace {

// The longest full path of a game file, in UTF-16 units.
constexpr int max_full_path = 1024;

const char16_t* const full_path_error = u"error:GetFullPathName(FileName)";
const char16_t* const noun_log = u"logs\\out_nouns.log";

bool is_separator(char16_t c) { return c == u'/' || c == u'\\'; }

int last_separator(const wstring& path) {
  for (int i = path.Length() - 1; i >= 0; --i)
    if (is_separator(path[i])) return i;
  return -1;
}

// The full path of an existing folder, or empty.
wstring resolved_folder(const wstring& folder) {
  wstring disk(folder.IsEmpty() ? wstring(u".") : folder);
  disk.Replace(u'\\', u"/");
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath(disk.ToAnsi(), nullptr), &std::free);
  return resolved ? wstring(resolved.get()) : wstring();
}

// The world is loading for as long as this lives.
class loading_scope {
 public:
  explicit loading_scope(world& home) : home_(home) { home_.loading = true; }
  ~loading_scope() { home_.loading = false; }
  loading_scope(const loading_scope&) = delete;
  loading_scope& operator=(const loading_scope&) = delete;

 private:
  world& home_;
};

}  // namespace

// The folder is resolved rather than the file, so a missing game file is
// reported by the include that reads it, and a missing folder here.
void world::SetFileName(const wstring& name) {
  file_name_ = name;
  file_part_.Clear();
  if (name.IsEmpty()) return;
  int split = last_separator(name);
  wstring folder = resolved_folder(name.Left(split + 1));
  if (folder.IsEmpty()) throw full_path_error;
  folder += u'/';
  wstring part = name.Mid(split + 1, wstring::text_end);
  if (folder.Length() + part.Length() >= max_full_path) throw full_path_error;
  SetDirectory(folder);
  file_part_ = part;
}

value world::Load() {
  loading_scope loading_now(*this);
  ClearForLoad();
  ReadLoggedNouns();
  LookUpInDictionary(u"конструктор");
  value result = value::Result(kw::result_ok, u"создан новый мир");
  if (!file_part_.IsEmpty()) result = Include(file_part_);
  LookUpInDictionary(u"библиотека");
  return result;
}

void world::ClearForLoad() {
  player = 0;
  current_plane.Clear();
  ReleaseEntities();
  Variables().Clear();
  functions.Clear();
  logged_nouns.Clear();
  word_list.Clear();
  taken_articles.Clear();
  looked_up_words.Clear();
  SourceFiles().Clear();
  source_digest = text_digest_start;
}

void world::ReadLoggedNouns() {
  wstring path(Directory());
  if (!path.IsEmpty() && !is_separator(path[path.Length() - 1])) path += u'/';
  path += noun_log;
  path.Replace(u'\\', u"/");
  wstring text, error;
  if (!text.LoadFromFile(path.Text(), nullptr, error)) return;
  int start = 0;
  while (start < text.Length()) {
    int end = text.FindAny(u"\r\n", start);
    if (end < 0) end = text.Length();
    wstring line = text.Mid(start, end - start);
    int space = line.Find(u' ');
    if (space >= 0) line = line.Left(space);
    int pos;
    if (!line.IsEmpty()) logged_nouns.Add(line, pos);
    start = end + 1;
  }
}

bool world::LookUpInDictionary(const wstring& name) {
  return dictionary && dictionary->DeclareFromDictionary(*this, name);
}
