#include "command_journal.h"

#include <string>

#include "line_escape.h"
#include "text_digest.h"

namespace {

const char16_t* const title_line = u"КИВ: сохранённая игра";
const char16_t* const game_field = u"игра: ";
const char16_t* const version_field = u"версия: ";
const char16_t* const seed_field = u"зерно: ";
const char16_t* const count_field = u"команд: ";

std::u16string field(const std::u16string& line, std::u16string_view name, bool& ok) {
  if (line.compare(0, name.size(), name) != 0) ok = false;
  return ok ? line.substr(name.size()) : std::u16string();
}

bool parse_number(const std::u16string& text, int base, uint64_t& number) {
  if (text.empty() || text.size() > 20) return false;
  number = 0;
  for (char16_t unit : text) {
    int digit = unit >= u'0' && unit <= u'9'   ? unit - u'0'
                : unit >= u'a' && unit <= u'f' ? unit - u'a' + 10
                                               : base;
    if (digit >= base) return false;
    uint64_t next = number * uint64_t(base) + uint64_t(digit);
    if (next / uint64_t(base) != number) return false;
    number = next;
  }
  return true;
}

std::u16string hexadecimal(uint64_t number) {
  std::u16string text(16, u'0');
  for (int i = 15; i >= 0; --i, number >>= 4) text[size_t(i)] = u"0123456789abcdef"[number & 15];
  return text;
}

std::u16string decimal(uint64_t number) {
  std::string digits = std::to_string(number);
  return std::u16string(digits.begin(), digits.end());
}

std::vector<std::u16string> lines_of(const wstring& text) {
  std::vector<std::u16string> lines(1);
  for (int i = 0; i < text.Length(); ++i) {
    if (text[i] == u'\n')
      lines.emplace_back();
    else if (text[i] != u'\r')
      lines.back() += text[i];
  }
  if (lines.back().empty()) lines.pop_back();
  return lines;
}

}  // namespace

void command_journal::Start(uint64_t seed) {
  seed_ = seed;
  entries_.clear();
  ++revision_;
}

uint64_t command_journal::FirstDigest() { return text_digest_start; }

uint64_t command_journal::NextDigest(uint64_t digest, const wstring& command) {
  // The line break ends a command as in the journal's text.
  return text_digest(text_digest(digest, command), wstring(u"\n"));
}

void command_journal::Add(const wstring& command) {
  entries_.push_back({command, false, NextDigest(Digest(), command)});
  ++revision_;
}

std::vector<bool> command_journal::Counts() const {
  std::vector<bool> counts;
  for (const entry& e : entries_) counts.push_back(e.counts);
  return counts;
}

void command_journal::Resume(uint64_t seed, const std::vector<wstring>& commands, const std::vector<bool>& counts) {
  Start(seed);
  for (size_t i = 0; i < commands.size(); ++i) {
    Add(commands[i]);
    entries_.back().counts = i < counts.size() && counts[i];
  }
}

void command_journal::CountLast() {
  if (!entries_.empty()) entries_.back().counts = true;
}

int command_journal::LastCounted() const {
  for (int i = int(entries_.size()) - 1; i >= 0; --i)
    if (entries_[size_t(i)].counts) return i;
  return -1;
}

void command_journal::Truncate(int count) {
  if (count < 0 || size_t(count) >= entries_.size()) return;
  entries_.resize(size_t(count));
  ++revision_;
}

wstring journal_file::Format() const {
  std::u16string text = title_line;
  text += u'\n';
  text += game_field + std::u16string(game.Text()) + u'\n';
  text += version_field + hexadecimal(version) + u'\n';
  text += seed_field + decimal(seed) + u'\n';
  text += count_field + decimal(commands.size()) + u'\n';
  for (const wstring& command : commands) {
    text += line_escaped(command.Text());
    text += u'\n';
  }
  return wstring(text.c_str());
}

bool journal_file::Parse(const wstring& text, journal_file& file) {
  std::vector<std::u16string> lines = lines_of(text);
  constexpr size_t header_lines = 5;
  if (lines.size() < header_lines || lines[0] != title_line) return false;
  bool ok = true;
  std::u16string game_name = field(lines[1], game_field, ok);
  std::u16string version = field(lines[2], version_field, ok);
  std::u16string seed = field(lines[3], seed_field, ok);
  std::u16string count = field(lines[4], count_field, ok);
  uint64_t commands = 0;
  if (!ok || game_name.empty() || version.size() != 16 || !parse_number(version, 16, file.version) ||
      !parse_number(seed, 10, file.seed) || !parse_number(count, 10, commands) ||
      commands != lines.size() - header_lines)
    return false;
  file.game = game_name.c_str();
  file.commands.clear();
  for (size_t i = header_lines; i < lines.size(); ++i) {
    std::optional<std::u16string> command = line_unescaped(lines[i]);
    if (!command || command->empty()) return false;
    file.commands.push_back(wstring(command->c_str()));
  }
  return true;
}
