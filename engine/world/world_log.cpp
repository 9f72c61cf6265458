// The world's logs under the game folder and the log of unknown nouns.

#include "world_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "case_map.h"
#include "world.h"

namespace {

constexpr int max_log_field = 256;

const char16_t* const noun_log = u"logs\\out_nouns.log";
const char16_t* const noun_class = u"существительное";

// Only words of small Cyrillic letters are nouns worth logging.
bool is_lower_cyrillic(const wstring& word) {
  if (word.IsEmpty()) return false;
  for (int i = 0; i < word.Length(); ++i)
    if (word[i] < u'а' || word[i] > u'я') return false;
  return true;
}

// A line for a log file under the game folder, unless the session holds
// lines for it back.
void write_log(world& home, const wstring& file_name, const wstring& line) {
  if (home.collector && home.collector->Collect(file_name, line)) return;
  // Log names come from the engine, but some carry player text (user names).
  check_game_file_name(file_name);
  wstring path(home.Directory());
  if (!path.IsEmpty() && path[path.Length() - 1] != u'/' && path[path.Length() - 1] != u'\\') path += u'/';
  path += file_name;
  append_log_file(path, line);
}

}  // namespace

void append_log_file(const wstring& path, const wstring& text) {
  wstring disk(path);
  disk.Replace(u'\\', u"/");
  int fd = open(disk.ToAnsi(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (fd < 0) return;
  wstring ansi(text);
  const char* bytes = ansi.ToAnsi();
  size_t length = bytes ? std::strlen(bytes) : 0;
  struct stat status;
  if (length > 0 && fstat(fd, &status) == 0 && status.st_size + off_t(length) <= max_log_bytes) {
    ssize_t written = write(fd, bytes, length);
    (void)written;  // a log that cannot be written is skipped
  }
  close(fd);
}

wstring log_record_text(const wstring (&fields)[log_record_fields]) {
  wstring row;
  for (int i = 0; i < log_record_fields; ++i) {
    wstring field(fields[i]);
    field.Trim(max_log_field);
    field.Replace(u'\r', nullptr);
    field.Replace(u'\n', u" ");
    field.Replace(u'\t', u" ");
    if (i > 0) row += u'\t';
    row += field;
  }
  row += u"\r\n";
  return row;
}

void world::AppendLog(const wstring& file_name, const wstring& text) {
  wstring line(text);
  line += u"\r\n";
  write_log(*this, file_name, line);
}

void world::AppendLogRecord(const wstring& file_name, const wstring (&fields)[log_record_fields]) {
  write_log(*this, file_name, log_record_text(fields));
}

void world::LogUnknownNoun(const wstring& word) {
  wstring noun(word);
  if (!noun.IsEmpty()) noun[0] = lower_case(noun[0]);
  if (!is_lower_cyrillic(noun)) return;
  LookUpInDictionary(noun);
  int pos;
  if (!word_forms.Find(noun.Text(), pos)) {
    if (word_list.Find(noun, pos)) return;
    LogNounLine(noun, noun + u" - не найдено в словаре");
    return;
  }
  for (const word_form_list_item::owner& owner : word_forms[pos].owners) {
    object* main_class = FindById(owner.entity->main_class);
    if (!main_class || main_class->NormalisedName() != noun_class) continue;
    LogNounLine(owner.entity->NormalisedName(), owner.entity->NormalisedName());
  }
}

void world::LogNounLine(const wstring& noun, const wstring& line) {
  int pos;
  if (!logged_nouns.Add(noun, pos)) return;
  AppendLog(noun_log, line);
}
