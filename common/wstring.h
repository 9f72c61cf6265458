#pragma once

#include <memory>
#include <string>

#include "c_array.h"

// The one text type: UTF-16 code units followed by a zero unit, so the
// element count is the length plus one; an empty string holds no storage.
// Besides the text it owns one conversion cache holding the last 8-bit,
// UTF-8 or URL-decoded form asked of it. Misuse raises a constant wide
// message; file loading reports through its result instead.
class wstring : public c_array<char16_t, char16_t> {
 public:
  // Counts that mean "all" to Replace and "to the end" to ToInt.
  static constexpr int all_replacements = 100500;
  static constexpr int text_end = 100000000;
  // Files larger than this are refused.
  static constexpr int max_file_bytes = 1000000;

  wstring() = default;
  wstring(const char16_t* text);
  wstring(const char* ansi_text);
  explicit wstring(double number);
  wstring(const wstring& other);
  wstring(wstring&& other) noexcept;
  ~wstring() override;

  wstring& operator=(const wstring& other);
  wstring& operator=(wstring&& other) noexcept;
  wstring& operator=(const char16_t* text);

  int Length() const { return Count() > 0 ? Count() - 1 : 0; }
  // Never null: an empty string gives a shared empty text.
  const char16_t* Text() const;
  bool IsEmpty() const { return Length() == 0; }

  // Conversions into the cache; null for an empty string.
  const char* ToAnsi();
  const char* ToUtf8(int& bytes);
  const char16_t* UrlDecode();

  void Assign(const char16_t* text, int n);
  void Assign(const char* ansi_text, int n);
  void Append(const char16_t* text, int n);
  void Append(const char* ansi_text, int n);
  wstring& operator+=(const wstring& other);
  wstring& operator+=(const char16_t* text);
  wstring& operator+=(char16_t unit);
  bool AddRandom(int count);

  int Find(char16_t unit, int from = 0) const;
  bool Find(char16_t unit, int& pos, int from) const;
  int Find(const char16_t* sub) const;
  int FindAny(const char16_t* set, int from = 0) const;
  wstring Left(int n) const;
  wstring Right(int n) const;
  wstring Mid(int start, int n) const;

  // Ordinal comparison where null and "" are empty and empty sorts first.
  int Compare(const char16_t* text) const;

  void Trim(int maxlen = 0);
  int Replace(const char16_t* find, const char16_t* repl, int max = all_replacements);
  int Replace(char16_t find, const char16_t* repl, int max = all_replacements);
  void ToUpper(bool first_only = false);
  void ToLower(bool normalise = false);
  void StripComments();
  void Unescape();
  void AddDateTime(bool date, bool time, bool seconds);
  int ToInt(int start = 0, int end = text_end) const;

  bool LoadFromFile(const char16_t* name, const char16_t* alt_name, wstring& error,
                    int max_bytes = 0);
  void LoadFromFileOrThrow(const char16_t* name, int max_bytes = 0);

 private:
  // Makes room for exactly n elements, keeping a block that is not more
  // than half again too large; the old text is lost.
  void PrepareOverwrite(int n);
  // Makes room for k more units at the end of a non-empty text.
  void PrepareAppend(int k);
  void SetText(const char16_t* text, int n);
  // Replaces the storage by an exact block holding the n units.
  void SetExact(const char16_t* text, int n);
  void AppendUnits(const char16_t* text, int n);
  // Ends the text in place after n units; 0 frees the storage.
  void SetLength(int n);
  bool Owns(const char16_t* units) const;
  char* CacheBytes(size_t bytes);
  // The bytes, zero-terminated, as the cache.
  const char* CacheCopy(const std::string& bytes);
  char16_t* CacheUnits(size_t units);

  std::unique_ptr<char16_t[]> cache_;
};

wstring operator+(const wstring& left, const char16_t* right);

bool operator==(const wstring& left, const wstring& right);
bool operator==(const wstring& left, const char16_t* right);
bool operator!=(const wstring& left, const wstring& right);
bool operator!=(const wstring& left, const char16_t* right);
bool operator>(const wstring& left, const char16_t* right);
bool operator<(const wstring& left, const char16_t* right);
inline bool operator<(const wstring& left, const wstring& right) { return left < right.Text(); }

// Length of a zero-terminated wide text; 0 for null.
int wide_length(const char16_t* text);
