// Runs the game-language programs under programs/: each file holds cases
//   >>> case <name>
//   >>> object|location|attribute|class|word <name>   (made before the run)
//   >>> in <name>                    (runs the program in that entity's code)
//   >>> code <name>                  (the lines up to the next ">>>" are given
//                                     to that entity as its code)
//   >>> program                      (the lines that follow are the program)
//   >>> host <function name>         (a host function answering "готово")
//   >>> strict                       (strict error analysis)
//   >>> parser                       (player commands are taken, answering ok)
//   >>> tell executed|information    (how a command told to a character goes)
//   >>> detached                     (no operator host: characters neither
//                                     speak nor are told commands)
//   <program lines>
//   >>> result <short text of the program's value>
//   >>> comment <the comment a truth value carries>
//   >>> printed <output, "\n" standing for a line break>
//   >>> error <message the program fails with>
//   >>> calls <host calls, each "name(first, second)", separated by spaces>
//   >>> commands <player commands taken, separated by " | ">
// with any of the expectations given. Files that programs include lie in
// programs/files/, the game folder of every case.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
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
  // The entity code given by "code" setups, in their order.
  std::vector<std::u16string> entity_code;
};

bool is_setup(const std::string& kind) {
  return kind == "object" || kind == "location" || kind == "attribute" || kind == "class" || kind == "word" ||
         kind == "in" || kind == "code" || kind == "program" || kind == "host" || kind == "strict" ||
         kind == "parser" || kind == "tell" || kind == "detached";
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
  bool entity_lines = false;  // lines go to the last "code" setup
  for (const std::string& line : file_lines(path)) {
    if (line.rfind(mark, 0) != 0) {
      if (!cases.empty() && cases.back().expectations.empty()) {
        program_case& c = cases.back();
        std::u16string& code = entity_lines ? c.entity_code.back() : c.code;
        code += decode_utf8_replacing(line.data(), line.size());
        code.push_back(u'\n');
      }
      continue;
    }
    std::string rest = line.substr(mark.size());
    size_t space = rest.find(' ');
    std::string kind = rest.substr(0, space);
    std::string text = space == std::string::npos ? "" : rest.substr(space + 1);
    entity_lines = kind == "code";
    if (kind == "case")
      cases.push_back({text, u"", {}, {}, {}});
    else if (!cases.empty())
      (is_setup(kind) ? cases.back().setup : cases.back().expectations).push_back({kind, unescaped(text)});
    if (entity_lines && !cases.empty()) cases.back().entity_code.emplace_back();
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
  std::string calls;
  std::string commands;
};

int entity_type(const std::string& kind) {
  if (kind == "location") return kw::type_location;
  if (kind == "attribute") return kw::type_attribute;
  if (kind == "class") return kw::type_class;
  if (kind == "word") return kw::type_word;
  return kw::type_object;
}

std::u16string wide(const std::string& text) { return decode_utf8_replacing(text.data(), text.size()); }

// Makes the entities and the host the case asks for; the context its
// code runs in.
context& prepare(code_world& w, const program_case& c) {
  w.home.SetDirectory(wide(KIV_PROGRAMS_DIR "/files/").c_str());
  std::map<std::string, object*> made;
  auto made_entity = [&](const std::string& name) {
    auto found = made.find(name);
    if (found == made.end()) throw "no such entity";
    return found->second;
  };
  context* where = &w.home;
  size_t code_count = 0;
  for (const auto& [kind, name] : c.setup) {
    if (kind == "in") {
      where = made_entity(name);
    } else if (kind == "code") {
      made_entity(name)->SetCode(c.entity_code.at(code_count++).c_str());
    } else if (kind == "host") {
      w.host.functions[wide(name)] = u"готово";
    } else if (kind == "strict") {
      w.host.strict = true;
    } else if (kind == "parser") {
      w.host.has_parser = true;
    } else if (kind == "tell") {
      w.host.told_answer = name == "executed" ? code_host::told::executed : code_host::told::information;
    } else if (kind == "detached") {
      w.home.SetOperatorHost(nullptr);
    } else if (kind != "program") {
      made[name] = w.Create(entity_type(kind), wide(name).c_str());
    }
  }
  return *where;
}

std::string host_calls(const code_host& host) {
  std::string out;
  for (const code_host::host_call& call : host.calls) {
    if (!out.empty()) out += ' ';
    out += utf8(call.name);
    out += '(';
    out += utf8(call.first);
    out += ", ";
    out += utf8(call.second);
    out += ')';
  }
  return out;
}

std::string player_commands(const code_host& host) {
  std::string out;
  for (const std::u16string& command : host.commands) {
    if (!out.empty()) out += " | ";
    out += utf8(command);
  }
  return out;
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
  got.calls = host_calls(w.host);
  got.commands = player_commands(w.host);
  return got;
}

}  // namespace

TEST(Programs, GiveTheirValuesAndOutput) {
  int cases = 0;
  for (const auto& entry : std::filesystem::directory_iterator(KIV_PROGRAMS_DIR)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".kivt") continue;
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
        } else if (kind == "calls") {
          EXPECT_EQ(got.calls, text);
        } else if (kind == "commands") {
          EXPECT_EQ(got.commands, text);
        } else {
          ADD_FAILURE() << "unknown expectation " << kind;
        }
      }
    }
  }
  EXPECT_GT(cases, 0);
}
