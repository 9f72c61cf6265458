// Runs the game-language programs under programs/: each file holds cases
//   >>> case <name>
//   >>> object|location|attribute|class|word <name>   (made before the run)
//   >>> in <name>                    (runs the program in that entity's code)
//   <program lines>
//   >>> result <short text of the program's value>
//   >>> comment <the comment a truth value carries>
//   >>> printed <output, "\n" standing for a line break>
//   >>> error <message the program fails with>
// with any of the expectations given.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "code_world.h"
#include "test_support.h"

namespace {

using directive = std::pair<std::string, std::string>;  // kind, text

struct program_case {
  std::string name;
  std::u16string code;
  std::vector<directive> setup;
  std::vector<directive> expectations;
};

bool is_setup(const std::string& kind) {
  return kind == "object" || kind == "location" || kind == "attribute" || kind == "class" || kind == "word" ||
         kind == "in";
}

std::vector<std::string> file_lines(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string unescaped(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    bool line_break = text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n';
    out.push_back(line_break ? '\n' : text[i]);
    if (line_break) ++i;
  }
  return out;
}

std::vector<program_case> read_cases(const std::filesystem::path& path) {
  const std::string mark = ">>> ";
  std::vector<program_case> cases;
  for (const std::string& line : file_lines(path)) {
    if (line.rfind(mark, 0) != 0) {
      if (!cases.empty() && cases.back().expectations.empty()) {
        std::u16string& code = cases.back().code;
        code += decode_utf8_replacing(line.data(), line.size());
        code.push_back(u'\n');
      }
      continue;
    }
    std::string rest = line.substr(mark.size());
    size_t space = rest.find(' ');
    std::string kind = rest.substr(0, space);
    std::string text = space == std::string::npos ? "" : rest.substr(space + 1);
    if (kind == "case")
      cases.push_back({text, u"", {}, {}});
    else if (!cases.empty())
      (is_setup(kind) ? cases.back().setup : cases.back().expectations).push_back({kind, unescaped(text)});
  }
  return cases;
}

std::string text_of(const wstring& text) { return encode_utf8(text.Text(), size_t(text.Length())); }

// What running the program gave: its value's text, or its failure.
struct outcome {
  std::string result;
  std::string comment;
  std::string error;
  std::string printed;
};

int entity_type(const std::string& kind) {
  if (kind == "location") return kw::type_location;
  if (kind == "attribute") return kw::type_attribute;
  if (kind == "class") return kw::type_class;
  if (kind == "word") return kw::type_word;
  return kw::type_object;
}

std::u16string wide(const std::string& text) { return decode_utf8_replacing(text.data(), text.size()); }

// Makes the entities the case asks for; the context its code runs in.
context& prepare(code_world& w, const program_case& c) {
  context* where = &w.home;
  for (const auto& [kind, name] : c.setup) {
    if (kind == "in") {
      where = w.home.FindObject(context::NormalisedName(wide(name).c_str()));
      if (!where) throw "no such entity to run in";
    } else {
      w.Create(entity_type(kind), wide(name).c_str());
    }
  }
  return *where;
}

outcome run(const program_case& c) {
  code_world w;
  outcome got;
  try {
    value answer = w.in.RunSource(c.code.c_str(), prepare(w, c));
    got.result = w.Text(answer);
    got.comment = text_of(answer.Text());
  } catch (const char16_t* message) {
    got.error = utf8(message);
  } catch (const wstring& message) {
    got.error = text_of(message);
  } catch (const char* message) {
    got.error = message;
  }
  got.printed = utf8(w.host.printed);
  return got;
}

}  // namespace

TEST(Programs, GiveTheirValuesAndOutput) {
  int cases = 0;
  for (const auto& entry : std::filesystem::directory_iterator(KIV_PROGRAMS_DIR)) {
    for (const program_case& c : read_cases(entry.path())) {
      SCOPED_TRACE(entry.path().filename().string() + ": " + c.name);
      ++cases;
      ASSERT_FALSE(c.expectations.empty());
      outcome got = run(c);
      for (const auto& [kind, text] : c.expectations) {
        if (kind == "result") {
          EXPECT_EQ(got.error, "");
          EXPECT_EQ(got.result, text);
        } else if (kind == "comment") {
          EXPECT_EQ(got.comment, text);
        } else if (kind == "printed") {
          EXPECT_EQ(got.printed, text);
        } else if (kind == "error") {
          EXPECT_EQ(got.error, text);
        } else {
          ADD_FAILURE() << "unknown expectation " << kind;
        }
      }
    }
  }
  EXPECT_GT(cases, 0);
}
