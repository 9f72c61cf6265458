#include "lexeme_usage.h"

#include <filesystem>
#include <stdexcept>

#include "case_map.h"
#include "codepage.h"
#include "opencorpora_file.h"

namespace {

constexpr char windows1251_yo = '\xB8';
constexpr char windows1251_ye = '\xE5';

bool IsCyrillicLetter(char16_t c) { return (c >= u'А' && c <= u'я') || c == u'ё' || c == u'Ё'; }

std::string Folded(const std::u16string& word) {
  std::u16string lower;
  for (char16_t c : word) lower.push_back(lower_case(c));
  return FoldYo(encode_windows1251(lower.data(), lower.size()));
}

// Calls take(word) for each run of Cyrillic letters, hyphens inside kept.
template <typename Take>
void ForEachCyrillicWord(const std::u16string& text, Take take) {
  size_t i = 0;
  while (i < text.size()) {
    if (!IsCyrillicLetter(text[i])) {
      ++i;
      continue;
    }
    size_t start = i;
    while (i < text.size() &&
           (IsCyrillicLetter(text[i]) || (text[i] == u'-' && i + 1 < text.size() && IsCyrillicLetter(text[i + 1]))))
      ++i;
    take(text.substr(start, i - start));
  }
}

bool IsCyrillicWord(const std::u16string& word) {
  if (word.empty()) return false;
  for (char16_t c : word)
    if (!IsCyrillicLetter(c) && c != u'-') return false;
  return true;
}

std::vector<std::filesystem::path> FilesOf(const usage_source& source) {
  namespace fs = std::filesystem;
  fs::path path(source.path);
  if (!fs::exists(path))
    throw std::runtime_error(source.path + " is missing: install the Debian package " + source.package);
  if (!fs::is_directory(path)) return {path};
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(path))
    if (entry.is_regular_file() && !entry.is_symlink() && entry.path().extension() != ".dat")
      files.push_back(entry.path());
  return files;
}

}  // namespace

std::string FoldYo(std::string text) {
  for (char& c : text)
    if (c == windows1251_yo) c = windows1251_ye;
  return text;
}

void AddText(usage_evidence& evidence, std::string_view utf8) {
  std::u16string text = decode_utf8_replacing(utf8.data(), utf8.size());
  ForEachCyrillicWord(text, [&](const std::u16string& word) { evidence.uses[Folded(word)] += 1; });
}

void AddLexicon(usage_evidence& evidence, std::string_view utf8) {
  while (!utf8.empty()) {
    size_t end = utf8.find('\n');
    std::string_view line = utf8.substr(0, end);
    line = line.substr(0, line.find('/'));
    std::u16string word = decode_utf8_replacing(line.data(), line.size());
    while (!word.empty() && (word.back() == u'\r' || word.back() == u' ')) word.pop_back();
    if (IsCyrillicWord(word)) evidence.lexicon.insert(Folded(word));
    if (end == std::string_view::npos) break;
    utf8.remove_prefix(end + 1);
  }
}

std::vector<usage_source> DebianUsageSources() {
  return {{"/usr/share/games/fortunes/ru", "fortunes-ru", false},
          {"/usr/share/mythes/th_ru_RU_v2.dat", "mythes-ru", false},
          {"/usr/share/hunspell/ru_RU.dic", "hunspell-ru", true}};
}

usage_evidence ReadUsageEvidence(const std::vector<usage_source>& sources) {
  usage_evidence evidence;
  for (const usage_source& source : sources) {
    for (const std::filesystem::path& file : FilesOf(source)) {
      std::string bytes = ReadFileBytes(file.string());
      if (source.lexicon)
        AddLexicon(evidence, bytes);
      else
        AddText(evidence, bytes);
    }
  }
  return evidence;
}
