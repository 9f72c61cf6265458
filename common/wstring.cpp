#include "wstring.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

#include "case_map.h"
#include "codepage.h"
#include "random_source.h"

namespace {

// The element count (length plus terminator) must fit in int32.
constexpr int64_t max_length = INT32_MAX - 1;

const char16_t empty_text[1] = {0};

[[noreturn]] void too_long() { throw u"wstring: text too long!"; }

int checked_length(int64_t n) {
  if (n < 0 || n > max_length) too_long();
  return int(n);
}

int checked_length(size_t n) {
  if (n > size_t(max_length)) too_long();
  return int(n);
}

size_t unit_count(const char16_t* text) {
  size_t n = 0;
  if (text)
    while (text[n]) ++n;
  return n;
}

bool is_blank(char16_t unit) { return unit == u' ' || unit == u'\t' || unit == u'\r' || unit == u'\n'; }

void append_number(std::u16string& out, int number, bool leading_zero) {
  if (leading_zero && number < 10) out += u'0';
  wstring digits{double(number)};
  out.append(digits.Text(), size_t(digits.Length()));
}

int hex_digit(char16_t unit) {
  if (unit >= u'0' && unit <= u'9') return unit - u'0';
  if (unit >= u'a' && unit <= u'f') return unit - u'a' + 10;
  if (unit >= u'A' && unit <= u'F') return unit - u'A' + 10;
  return -1;
}

// Names may separate folders with "\" as well as "/". File names on disk are
// UTF-8 whatever the 8-bit code page of the texts is.
std::string disk_name(const char16_t* name) {
  std::u16string path(name ? name : u"");
  std::replace(path.begin(), path.end(), u'\\', u'/');
  return encode_utf8(path.data(), path.size());
}

const char16_t* open_error_message(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
      return u"маршрут или имя файла не найдены.";
    case EMFILE:
    case ENFILE:
      return u"слишком много открытых файлов.";
    case EACCES:
    case EPERM:
      return u"доступ запрещен.";
    case EINVAL:
      return u"неверный код доступа.";
    default:
      return u"неизвестная ошибка открытия файла.";
  }
}

int open_read_only(const std::string& name) {
  // O_NONBLOCK keeps a FIFO from hanging the open; it is refused below as
  // not being a regular file.
  int fd;
  do {
    fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Reads up to n bytes; false on a read error. A file that shrank meanwhile
// gives what it still has.
bool read_all(int fd, unsigned char* buffer, size_t n, size_t& got) {
  got = 0;
  while (got < n) {
    ssize_t r = ::read(fd, buffer + got, n - got);
    if (r < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (r == 0) break;
    got += size_t(r);
  }
  return true;
}

struct byte_order_mark {
  unsigned char pattern[4];  // 0x01 matches any byte
  const char16_t* refusal;   // null for the encodings that load
};

constexpr unsigned char any = 0x01;

const byte_order_mark marks[] = {
    {{0xEF, 0xBB, 0xBF, any}, nullptr},
    {{0xFE, 0xFF, any, any}, u"Формат UTF-16 (BE) не поддерживается!"},
    {{0x00, 0x00, 0xFE, 0xFF}, u"Формат UTF-32 (BE) не поддерживается!"},
    {{0xFF, 0xFE, 0x00, 0x00}, u"Формат UTF-32 (LE) не поддерживается!"},
    {{0xFF, 0xFE, any, any}, nullptr},
    {{0x2B, 0x2F, 0x76, 0x38}, u"Формат UTF-7 не поддерживается!"},
    {{0x2B, 0x2F, 0x76, 0x39}, u"Формат UTF-7 не поддерживается!"},
    {{0x2B, 0x2F, 0x76, 0x2B}, u"Формат UTF-7 не поддерживается!"},
    {{0x2B, 0x2F, 0x76, 0x2F}, u"Формат UTF-7 не поддерживается!"},
    {{0xF7, 0x64, 0x4C, any}, u"Формат UTF-1 не поддерживается!"},
    {{0xDD, 0x73, 0x66, 0x73}, u"Формат UTF-EBCDIC не поддерживается!"},
    {{0x0E, 0xFE, 0xFF, any}, u"Формат SCSU не поддерживается!"},
    {{0xFB, 0xEE, 0x28, any}, u"Формат BOCU-1 не поддерживается!"},
    {{0x84, 0x31, 0x95, 0x33}, u"Формат GB-18030 не поддерживается!"},
};

const byte_order_mark* match_mark(const unsigned char* bytes) {
  for (const byte_order_mark& mark : marks) {
    bool match = true;
    for (int i = 0; i < 4 && match; ++i) match = mark.pattern[i] == any || mark.pattern[i] == bytes[i];
    if (match) return &mark;
  }
  return nullptr;
}

size_t zero_byte_at(const unsigned char* bytes, size_t from, size_t end) {
  while (from < end && bytes[from]) ++from;
  return from;
}

}  // namespace

int wide_length(const char16_t* text) { return checked_length(unit_count(text)); }

// ---- construction and storage ----

wstring::wstring(const char16_t* text) { SetText(text, wide_length(text)); }

wstring::wstring(const char* ansi_text) {
  if (!ansi_text || !*ansi_text) return;
  std::u16string text = decode_ansi(ansi_text, std::strlen(ansi_text));
  SetText(text.data(), checked_length(text.size()));
}

wstring::wstring(double number) {
  char digits[64];
  auto result = std::to_chars(digits, digits + sizeof digits, number, std::chars_format::general, 15);
  char16_t units[64];
  int n = int(result.ptr - digits);
  for (int i = 0; i < n; ++i) units[i] = char16_t(static_cast<unsigned char>(digits[i]));
  SetText(units, n);
}

wstring::wstring(const wstring& other) : c_array() { SetText(other.Text(), other.Length()); }

wstring::wstring(wstring&& other) noexcept : c_array(std::move(other)) {}

wstring::~wstring() = default;

wstring& wstring::operator=(const wstring& other) {
  if (this != &other) SetText(other.Text(), other.Length());
  return *this;
}

wstring& wstring::operator=(wstring&& other) noexcept {
  c_array::operator=(std::move(other));
  return *this;
}

wstring& wstring::operator=(const char16_t* text) {
  if (!text || !*text) {
    Clear();
  } else if (text != Data()) {
    SetText(text, wide_length(text));
  }
  return *this;
}

const char16_t* wstring::Text() const {
  const char16_t* data = Data();
  return data ? data : empty_text;
}

bool wstring::Owns(const char16_t* units) const {
  const char16_t* data = Data();
  if (!data || !units) return false;
  std::less<const char16_t*> before;
  return !before(units, data) && before(units, data + Capacity());
}

void wstring::PrepareOverwrite(int n) {
  int capacity = Capacity();
  if (capacity >= n && !(capacity > 16 && int64_t(capacity) > int64_t(n) * 3 / 2)) return;
  AllocateExact(n);
}

void wstring::PrepareAppend(int k) {
  int64_t needed = int64_t(Count()) + k;
  checked_length(needed - 1);
  if (needed <= Capacity()) return;
  Reallocate(int(std::min<int64_t>(INT32_MAX, std::max<int64_t>(16, needed * 3 / 2))));
}

void wstring::SetText(const char16_t* text, int n) {
  if (!text || n <= 0) {
    Clear();
    return;
  }
  checked_length(int64_t(n));
  if (Owns(text)) {
    std::u16string copy(text, size_t(n));
    SetText(copy.data(), n);
    return;
  }
  PrepareOverwrite(n + 1);
  char16_t* data = Data();
  std::memcpy(data, text, size_t(n) * sizeof(char16_t));
  data[n] = 0;
  SetCount(n + 1);
}

void wstring::SetExact(const char16_t* text, int n) {
  if (n <= 0) {
    Clear();
    return;
  }
  std::u16string copy(text, size_t(n));  // text may lie in the block being replaced
  AllocateExact(n + 1);
  std::memcpy(Data(), copy.data(), size_t(n) * sizeof(char16_t));
  Data()[n] = 0;
  SetCount(n + 1);
}

void wstring::AppendUnits(const char16_t* text, int n) {
  if (!text || n < 1) return;
  if (Owns(text)) {
    std::u16string copy(text, size_t(n));
    AppendUnits(copy.data(), n);
    return;
  }
  if (Count() == 0) {
    AllocateExact(checked_length(int64_t(n)) + 1);
    Data()[0] = 0;
    SetCount(1);
  }
  PrepareAppend(n);
  int count = Count();
  char16_t* end = Data() + count - 1;
  std::memcpy(end, text, size_t(n) * sizeof(char16_t));
  end[n] = 0;
  SetCount(count + n);
}

void wstring::SetLength(int n) {
  if (n <= 0) {
    Clear();
    return;
  }
  Data()[n] = 0;
  SetCount(n + 1);
}

char* wstring::CacheBytes(size_t bytes) {
  cache_.reset();
  cache_.reset(new char16_t[bytes / 2 + 1]);
  return reinterpret_cast<char*>(cache_.get());
}

const char* wstring::CacheCopy(const std::string& bytes) {
  char* out = CacheBytes(bytes.size() + 1);
  std::memcpy(out, bytes.data(), bytes.size());
  out[bytes.size()] = 0;
  return out;
}

char16_t* wstring::CacheUnits(size_t units) {
  cache_.reset();
  cache_.reset(new char16_t[units]);
  return cache_.get();
}

// ---- conversions ----

const char* wstring::ToAnsi() {
  cache_.reset();
  if (IsEmpty()) return nullptr;
  return CacheCopy(encode_ansi(Text(), size_t(Length())));
}

// The cache is sized for the UTF-8 form itself: a fixed two bytes a unit
// would silently lose texts with three-byte characters such as dashes.
const char* wstring::ToUtf8(int& bytes) {
  cache_.reset();
  bytes = 0;
  if (IsEmpty()) return nullptr;
  std::string utf8 = encode_utf8(Text(), size_t(Length()));
  bytes = int(utf8.size() + 1);
  return CacheCopy(utf8);
}

const char16_t* wstring::UrlDecode() {
  cache_.reset();
  if (IsEmpty()) return nullptr;
  static constexpr char16_t invalid[] = u"Invalid URL!";
  const char16_t* text = Text();
  int length = Length();
  std::string bytes;
  bytes.reserve(size_t(length));
  bool valid = true;
  for (int i = 0; i < length && valid; ++i) {
    if (text[i] != u'%') {
      bytes.push_back(static_cast<char>(text[i] & 0xFF));
      continue;
    }
    // The two units after "%"; the terminator is not a digit.
    int high = i + 1 < length ? hex_digit(text[i + 1]) : -1;
    int low = i + 2 < length ? hex_digit(text[i + 2]) : -1;
    if (high < 0 || low < 0) {
      valid = false;
      break;
    }
    if (int byte = high * 16 + low) bytes.push_back(static_cast<char>(byte));
    i += 2;
  }
  size_t room = std::max<size_t>(size_t(Count()), std::size(invalid));
  char16_t* out = CacheUnits(room);
  if (!valid) {
    std::memcpy(out, invalid, sizeof invalid);
    return out;
  }
  size_t end = bytes.find('\0');
  std::u16string units = decode_utf8_replacing(bytes.data(), end == std::string::npos ? bytes.size() : end);
  // Decoding never yields more units than bytes, and there are no more
  // bytes than units in the text.
  std::memcpy(out, units.data(), units.size() * sizeof(char16_t));
  out[units.size()] = 0;
  return out;
}

// ---- assignment and appending ----

void wstring::Assign(const char16_t* text, int n) {
  if (!text || !*text || n <= 0)
    Clear();
  else
    SetText(text, n);
}

void wstring::Assign(const char* ansi_text, int n) {
  if (!ansi_text || !*ansi_text || n <= 0) {
    Clear();
    return;
  }
  std::u16string text = decode_ansi(ansi_text, size_t(n));
  SetText(text.data(), checked_length(text.size()));
}

void wstring::Append(const char16_t* text, int n) {
  if (!text || !*text || n < 1) return;
  AppendUnits(text, n);
}

void wstring::Append(const char* ansi_text, int n) {
  if (!ansi_text || !*ansi_text || n < 1) return;
  std::u16string text = decode_ansi(ansi_text, size_t(n));
  AppendUnits(text.data(), checked_length(text.size()));
}

wstring& wstring::operator+=(const wstring& other) {
  if (&other == this) throw u"wstring::operator+=(wstring&)";
  AppendUnits(other.Text(), other.Length());
  return *this;
}

wstring& wstring::operator+=(const char16_t* text) {
  if (!text || !*text) return *this;
  if (text == Data()) throw u"wstring::operator+=(wchar_t*)";
  AppendUnits(text, wide_length(text));
  return *this;
}

wstring& wstring::operator+=(char16_t unit) {
  if (Count() == 0) {
    AllocateExact(2);
    Data()[0] = unit;
    Data()[1] = 0;
    SetCount(2);
  } else {
    checked_length(int64_t(Count()));
    Insert(Count() - 1, unit);
  }
  return *this;
}

bool wstring::AddRandom(int count) {
  if (count < 1 || count > 1000) return false;
  static constexpr char16_t alphabet[] = u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  std::u16string added(size_t(count), u'0');
  for (char16_t& unit : added) unit = alphabet[random_source::Next() % 62];
  AppendUnits(added.data(), count);
  return true;
}

// ---- search and extraction ----

int wstring::Find(char16_t unit, int from) const {
  if (unit == 0 || from < 0 || from >= Length()) return -1;
  const char16_t* text = Text();
  for (int i = from; i < Length(); ++i)
    if (text[i] == unit) return i;
  return -1;
}

bool wstring::Find(char16_t unit, int& pos, int from) const {
  if (IsEmpty() || from > Length() || from < 0) return false;
  const char16_t* text = Text();
  for (int i = from; i < Length(); ++i) {
    if (text[i] == unit) {
      pos = i;
      return true;
    }
  }
  return false;
}

int wstring::Find(const char16_t* sub) const {
  if (IsEmpty() || !sub || !*sub) return -1;
  size_t at = std::u16string_view(Text(), size_t(Length())).find(sub);
  return at == std::u16string_view::npos ? -1 : int(at);
}

int wstring::FindAny(const char16_t* set, int from) const {
  if (!set || !*set || from < 0 || from >= Length()) return -1;
  size_t at = std::u16string_view(Text(), size_t(Length())).find_first_of(set, size_t(from));
  return at == std::u16string_view::npos ? -1 : int(at);
}

wstring wstring::Left(int n) const {
  wstring part;
  part.SetText(Text(), std::min(n, Length()));
  return part;
}

wstring wstring::Right(int n) const {
  wstring part;
  n = std::min(n, Length());
  if (n > 0) part.SetText(Text() + Length() - n, n);
  return part;
}

wstring wstring::Mid(int start, int n) const {
  wstring part;
  if (n < 1 || start < 0 || start >= Length()) return part;
  part.SetText(Text() + start, std::min(n, Length() - start));
  return part;
}

// ---- comparison ----

int wstring::Compare(const char16_t* text) const {
  bool left_empty = IsEmpty();
  bool right_empty = !text || !*text;
  if (left_empty || right_empty) return left_empty == right_empty ? 0 : (left_empty ? -1 : 1);
  for (const char16_t* left = Text();; ++left, ++text) {
    if (*left != *text) return *left < *text ? -1 : 1;
    if (!*left) return 0;
  }
}

bool operator==(const wstring& left, const wstring& right) {
  if (left.Length() != right.Length()) return false;
  return std::memcmp(left.Text(), right.Text(), size_t(left.Length()) * sizeof(char16_t)) == 0;
}

bool operator==(const wstring& left, const char16_t* right) { return left.Compare(right) == 0; }
bool operator!=(const wstring& left, const wstring& right) { return !(left == right); }
bool operator!=(const wstring& left, const char16_t* right) { return left.Compare(right) != 0; }
bool operator>(const wstring& left, const char16_t* right) { return left.Compare(right) > 0; }
bool operator<(const wstring& left, const char16_t* right) { return left.Compare(right) < 0; }

wstring operator+(const wstring& left, const char16_t* right) {
  wstring sum(left);
  sum.Append(right, wide_length(right));
  return sum;
}

// ---- editing ----

void wstring::Trim(int maxlen) {
  int length = Length();
  if (length == 0) return;
  const char16_t* text = Text();
  int begin = 0;
  while (begin < length && is_blank(text[begin])) ++begin;
  if (begin == length) {
    Clear();
    return;
  }
  int end = length;
  while (is_blank(text[end - 1])) --end;
  int trimmed = end - begin;
  if (maxlen > 0 && trimmed > maxlen) {
    std::u16string shortened;
    if (maxlen < 3) {
      shortened.assign(text + begin, size_t(maxlen));  // no room for an ellipsis
    } else if (maxlen < 50) {
      shortened.assign(text + begin, size_t(maxlen - 3));
      shortened += u"...";
    } else {
      int head = (maxlen - 5) / 2;
      int tail = maxlen - 5 - head;
      shortened.assign(text + begin, size_t(head));
      shortened += u"\n...\n";
      shortened.append(text + end - tail, size_t(tail));
    }
    SetExact(shortened.data(), int(shortened.size()));
  } else if (trimmed != length) {
    SetExact(text + begin, trimmed);
  }
}

int wstring::Replace(const char16_t* find, const char16_t* repl, int max) {
  int find_length = wide_length(find);
  if (IsEmpty() || find_length == 0 || max < 1) return 0;
  std::u16string pattern(find, size_t(find_length));
  std::u16string replacement(repl ? repl : u"");
  std::u16string_view text(Text(), size_t(Length()));

  int count = 0;
  for (size_t at = text.find(pattern); count < max && at != text.npos; at = text.find(pattern, at + pattern.size()))
    ++count;
  if (count == 0) return 0;
  int64_t growth = int64_t(count) * (int64_t(replacement.size()) - find_length);
  int new_length = checked_length(int64_t(Length()) + growth);

  std::u16string result;
  result.reserve(size_t(new_length));
  size_t done = 0;
  for (int i = 0; i < count; ++i) {
    size_t at = text.find(pattern, done);
    result.append(text.substr(done, at - done));
    result += replacement;
    done = at + pattern.size();
  }
  result.append(text.substr(done));

  if (growth > 0) PrepareAppend(int(growth));
  if (new_length > 0) std::memcpy(Data(), result.data(), result.size() * sizeof(char16_t));
  SetLength(new_length);
  return count;
}

int wstring::Replace(char16_t find, const char16_t* repl, int max) {
  const char16_t pattern[2] = {find, 0};
  return Replace(pattern, repl, max);
}

void wstring::ToUpper(bool first_only) {
  if (IsEmpty()) return;
  char16_t* text = Data();
  int end = first_only ? 1 : Length();
  for (int i = 0; i < end; ++i) text[i] = upper_case(text[i]);
}

void wstring::ToLower(bool normalise) {
  if (IsEmpty()) return;
  char16_t* text = Data();
  int length = Length();
  for (int i = 0; i < length; ++i) text[i] = lower_case(text[i]);
  if (!normalise) return;
  for (int i = 0; i < length; ++i)
    if (text[i] == u'ё') text[i] = u'е';
  int kept = 0;
  for (int i = 0; i < length; ++i)
    if (text[i] != u'`') text[kept++] = text[i];
  length = kept;
  // One pass over pairs: four spaces become two, three become two.
  kept = 0;
  for (int i = 0; i < length; ++i) {
    text[kept++] = text[i];
    if (text[i] == u' ' && i + 1 < length && text[i + 1] == u' ') ++i;
  }
  SetLength(kept);
}

void wstring::StripComments() {
  if (IsEmpty()) return;
  char16_t* text = Data();
  int length = Length();
  int kept = 0;
  for (int i = 0; i < length;) {
    if (text[i] == u'/' && i + 1 < length && text[i + 1] == u'/') {
      i += 2;
      while (i < length && text[i] != u'\r' && text[i] != u'\n') ++i;
      continue;
    }
    text[kept++] = text[i++];
  }
  text[kept] = 0;
  SetLength(int(unit_count(text)));
}

void wstring::Unescape() {
  if (IsEmpty()) return;
  char16_t* text = Data();
  int length = Length();
  int kept = 0;
  for (int i = 0; i < length; ++i) {
    if (text[i] == u'\\' && ++i == length) break;
    text[kept++] = text[i];
  }
  SetLength(kept);
}

void wstring::AddDateTime(bool date, bool time, bool seconds) {
  if (!date && !time) return;
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::u16string stamp;
  if (date) {
    append_number(stamp, local.tm_mday, true);
    stamp += u'.';
    append_number(stamp, local.tm_mon + 1, true);
    stamp += u'.';
    append_number(stamp, local.tm_year + 1900, false);
  }
  if (date && time) stamp += u' ';
  if (time) {
    append_number(stamp, local.tm_hour, false);
    stamp += u':';
    append_number(stamp, local.tm_min, true);
    if (seconds) {
      stamp += u':';
      append_number(stamp, local.tm_sec, true);
    }
  }
  AppendUnits(stamp.data(), int(stamp.size()));
}

int wstring::ToInt(int start, int end) const {
  int length = Length();
  if (start < 0 || start >= length) throw u"wstring::ToInt() Start out of range!";
  int last = std::min(std::max(start, end), length - 1);
  const char16_t* text = Text();
  int value = 0;
  for (int i = start; i <= last; ++i) {
    if (value > 200000000) throw u"wstring::ToInt() слишком большое число!";
    if (text[i] < u'0' || text[i] > u'9') break;
    value = value * 10 + (text[i] - u'0');
  }
  return value;
}

// ---- files ----

bool wstring::LoadFromFile(const char16_t* name, const char16_t* alt_name, wstring& error, int max_bytes) {
  int fd = open_read_only(disk_name(name));
  if (fd < 0 && alt_name && *alt_name) fd = open_read_only(disk_name(alt_name));
  if (fd < 0) {
    error = open_error_message(errno);
    return false;
  }

  struct stat status;
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > max_file_bytes) {
    ::close(fd);
    error = u"не удалось определить размер файла!";
    return false;
  }
  size_t wanted = size_t(status.st_size);
  if (max_bytes > 0 && size_t(max_bytes) < wanted) wanted = size_t(max_bytes);

  // Zero padding: the mark test reads four bytes and a UTF-16 text needs a
  // zero unit after it.
  std::u16string units;
  {
    std::string buffer(wanted + 4, '\0');
    auto bytes = reinterpret_cast<unsigned char*>(buffer.data());
    size_t got = 0;
    bool read_ok = read_all(fd, bytes, wanted, got);
    ::close(fd);
    if (!read_ok) {
      error = u"чтение файла невозможно!";
      return false;
    }

    const byte_order_mark* mark = match_mark(bytes);
    if (mark && mark->refusal) {
      error = mark->refusal;
      return false;
    }
    if (mark == &marks[0]) {
      size_t start = std::min<size_t>(3, got);
      size_t end = zero_byte_at(bytes, start, got);
      units = decode_utf8_replacing(buffer.data() + start, end - start);
    } else if (mark) {
      // Little-endian units after the two-byte mark, up to a zero unit; an
      // odd last byte pairs with the zero padding.
      for (size_t i = 2; i + 1 < got + 2; i += 2) {
        char16_t unit = char16_t(bytes[i] | (bytes[i + 1] << 8));
        if (!unit) break;
        units += unit;
      }
    } else {
      size_t end = zero_byte_at(bytes, 0, got);
      units = decode_ansi(buffer.data(), end);
    }
  }
  SetText(units.data(), checked_length(units.size()));
  return true;
}

void wstring::LoadFromFileOrThrow(const char16_t* name, int max_bytes) {
  wstring error;
  if (!LoadFromFile(name, nullptr, error, max_bytes)) throw error;
}
