#include "transcript.h"

#include <regex>

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The text after a one-character marker and its blank.
std::string after_marker(const std::string& line) {
  size_t start = 1;
  while (start < line.size() && is_blank(line[start])) ++start;
  return line.substr(start);
}

bool valid_pattern(const std::string& pattern) {
  try {
    std::regex compiled(pattern, std::regex::ECMAScript);
    return true;
  } catch (const std::regex_error&) {
    return false;
  }
}

std::string quoted(const std::string& text) { return "«" + text + "»"; }

}  // namespace

std::string transcript::Normalised(const std::string& text) {
  std::string out;
  bool blank = false;
  for (char c : text) {
    if (is_blank(c)) {
      blank = !out.empty();
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

bool transcript::Read(std::istream& in, std::string& error) {
  steps_.assign(1, step());
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string text = Normalised(line);
    if (text.empty() || text[0] == '#') continue;
    if (text[0] == '>') {
      step next;
      next.command = after_marker(text);
      next.line = number;
      if (next.command.empty()) {
        error = "line " + std::to_string(number) + ": a command line without a command";
        return false;
      }
      steps_.push_back(next);
      continue;
    }
    expectation e;
    e.line = number;
    e.text = text;
    if (text[0] == '!' || text[0] == '~') {
      e.what = text[0] == '!' ? expectation::omits : expectation::matches;
      e.text = after_marker(text);
    }
    if (e.what == expectation::matches && !valid_pattern(e.text)) {
      error = "line " + std::to_string(number) + ": the pattern does not compile";
      return false;
    }
    steps_.back().expectations.push_back(e);
  }
  return true;
}

bool transcript::Check(const step& s, const std::string& reply, std::string& mismatch) {
  const std::string said = Normalised(reply);
  size_t from = 0;
  for (const expectation& e : s.expectations) {
    std::string where = "line " + std::to_string(e.line) + ": ";
    switch (e.what) {
      case expectation::says: {
        size_t found = said.find(e.text, from);
        if (found == std::string::npos) {
          bool elsewhere = said.find(e.text) != std::string::npos;
          mismatch = where + "the reply " + (elsewhere ? "says " + quoted(e.text) + " too early" :
                                                         "does not say " + quoted(e.text));
          return false;
        }
        from = found + e.text.size();
        break;
      }
      case expectation::omits:
        if (said.find(e.text) != std::string::npos) {
          mismatch = where + "the reply says " + quoted(e.text);
          return false;
        }
        break;
      case expectation::matches:
        if (!std::regex_search(said, std::regex(e.text, std::regex::ECMAScript))) {
          mismatch = where + "the reply has no match of " + quoted(e.text);
          return false;
        }
        break;
    }
  }
  return true;
}
