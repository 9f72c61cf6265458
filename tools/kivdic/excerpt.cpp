#include "excerpt.h"

#include <charconv>
#include <fstream>
#include <stdexcept>

#include "opencorpora_file.h"

namespace {

constexpr std::string_view credit =
    "# Excerpt of OpenCorpora (opencorpora.org), dictionary 0.92 rev. 394551, licensed CC BY-SA 3.0.\n";
constexpr size_t header_fields = 6;

std::string FormatRank(double rank) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, rank);
  return std::string(buffer, result.ptr);
}

std::string JoinClasses(const std::vector<std::string>& classes) {
  std::string joined;
  for (const std::string& c : classes) joined += (joined.empty() ? "" : " ") + c;
  return joined;
}

std::vector<std::string> Split(std::string_view line, char separator) {
  std::vector<std::string> fields;
  for (;;) {
    size_t at = line.find(separator);
    fields.emplace_back(line.substr(0, at));
    if (at == std::string_view::npos) return fields;
    line.remove_prefix(at + 1);
  }
}

class excerpt_parser {
 public:
  explicit excerpt_parser(const std::string& what) : what_(what) {}

  void Line(std::string_view line) {
    ++number_;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.starts_with("#")) return;
    if (line.empty())
      EndBlock();
    else if (!in_block_)
      Header(line);
    else
      Form(line);
  }

  std::vector<lexeme> Finish() {
    EndBlock();
    return std::move(lexemes_);
  }

 private:
  void Header(std::string_view line) {
    std::vector<std::string> fields = Split(line, '\t');
    if (fields.size() != header_fields) Fail("a header needs 6 fields parted by tabs");
    if (fields[0].empty()) Fail("the lemma is empty");
    lexeme word;
    word.lemma = fields[0];
    if (!fields[1].empty()) word.classes = Split(fields[1], ' ');
    word.own_key = fields[2];
    word.default_key = fields[3];
    word.aspect_partner = fields[4];
    word.rank = ParseRank(fields[5]);
    lexemes_.push_back(std::move(word));
    in_block_ = true;
  }

  void Form(std::string_view line) {
    std::vector<std::string> fields = Split(line, '\t');
    if (fields.size() != 2) Fail("a form line needs a text and a key parted by a tab");
    if (fields[0].empty()) Fail("the form text is empty");
    std::vector<word_form>& forms = lexemes_.back().forms;
    if (forms.empty() && fields[0] != lexemes_.back().lemma) Fail("the first form is not the lemma");
    forms.push_back({fields[0], fields[1]});
  }

  void EndBlock() {
    if (in_block_ && lexemes_.back().forms.empty()) Fail("the lexeme has no forms");
    in_block_ = false;
  }

  double ParseRank(const std::string& text) {
    double rank = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), rank);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) Fail("the rank is not a number");
    return rank;
  }

  [[noreturn]] void Fail(const std::string& problem) const {
    throw std::runtime_error(what_ + ", line " + std::to_string(number_) + ": " + problem);
  }

  const std::string& what_;
  std::vector<lexeme> lexemes_;
  size_t number_ = 0;
  bool in_block_ = false;
};

}  // namespace

std::string FormatExcerpt(const std::vector<lexeme>& lexemes) {
  std::string text;
  for (const lexeme& word : lexemes) {
    if (!text.empty()) text += "\n";
    text += word.lemma + "\t" + JoinClasses(word.classes) + "\t" + word.own_key + "\t" + word.default_key + "\t" +
            word.aspect_partner + "\t" + FormatRank(word.rank) + "\n";
    for (const word_form& form : word.forms) text += form.text + "\t" + form.key + "\n";
  }
  return text;
}

std::vector<lexeme> ParseExcerpt(std::string_view text, const std::string& what) {
  excerpt_parser parser(what);
  while (!text.empty()) {
    size_t end = text.find('\n');
    parser.Line(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return parser.Finish();
}

void WriteExcerpt(const std::string& path, const std::vector<lexeme>& lexemes) {
  std::ofstream out(path, std::ios::binary);
  if (!out) throw std::runtime_error("cannot create " + path);
  out << credit << FormatExcerpt(lexemes);
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

std::vector<lexeme> ReadExcerpt(const std::string& path) { return ParseExcerpt(ReadFileBytes(path), path); }
