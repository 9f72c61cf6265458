// kivdic: builds the morphological dictionary kiv.dic.
//   kivdic --data <dicts dir> [--limit N] [--words <list>] [--aspect-pairs <list>] --special <dir> --out <file>
//   kivdic --excerpt <excerpt file> --special <dir> --out <file>
//   kivdic --data <dicts dir> --words <list> [--aspect-pairs <list>] --write-excerpt <file>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary_writer.h"
#include "excerpt.h"
#include "opencorpora_reader.h"

namespace {

constexpr const char* usage =
    "usage:\n"
    "  kivdic --data <dicts dir> [--limit N] [--words <list file>] [--aspect-pairs <list file>]\n"
    "         --special <dir> --out <file>\n"
    "  kivdic --excerpt <excerpt file> --special <dir> --out <file>\n"
    "  kivdic --data <dicts dir> --words <list file> [--aspect-pairs <list file>] --write-excerpt <file>\n";

struct usage_error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

using option_values = std::map<std::string, std::string>;

constexpr std::string_view known_options[] = {"--data",    "--limit",   "--words",         "--aspect-pairs",
                                              "--excerpt", "--special", "--write-excerpt", "--out"};

option_values parse_options(int argc, char** argv) {
  option_values values;
  for (int i = 1; i < argc; i += 2) {
    std::string name = argv[i];
    if (std::find(std::begin(known_options), std::end(known_options), name) == std::end(known_options))
      throw usage_error("unknown argument " + name);
    if (i + 1 == argc) throw usage_error(name + " needs a value");
    if (!values.emplace(name, argv[i + 1]).second) throw usage_error(name + " given twice");
  }
  return values;
}

bool has(const option_values& values, const std::string& name) { return values.count(name) > 0; }

void require(const option_values& values, const std::string& name, const std::string& why) {
  if (!has(values, name)) throw usage_error(why + " needs " + name);
}

void forbid(const option_values& values, const std::string& name, const std::string& why) {
  if (has(values, name)) throw usage_error(name + " does not go with " + why);
}

size_t parse_limit(const std::string& text) {
  size_t used = 0;
  unsigned long long limit = 0;
  try {
    limit = std::stoull(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || limit == 0) throw usage_error("--limit needs a positive number, not " + text);
  return size_t(limit);
}

// The three ways to call the program, told apart by their options.
void check_combination(const option_values& values) {
  if (has(values, "--write-excerpt")) {
    require(values, "--data", "--write-excerpt");
    require(values, "--words", "--write-excerpt");
    for (const char* name : {"--out", "--special", "--excerpt", "--limit"}) forbid(values, name, "--write-excerpt");
    return;
  }
  if (has(values, "--data") == has(values, "--excerpt")) throw usage_error("give either --data or --excerpt");
  if (has(values, "--excerpt"))
    for (const char* name : {"--limit", "--words", "--aspect-pairs"}) forbid(values, name, "--excerpt");
  require(values, "--special", "building the dictionary");
  require(values, "--out", "building the dictionary");
}

std::vector<lexeme> read_opencorpora(const option_values& values) {
  lexeme_choice choice;
  if (has(values, "--limit")) choice.limit = parse_limit(values.at("--limit"));
  if (has(values, "--words")) choice.words = ReadWordList(values.at("--words"));
  if (has(values, "--aspect-pairs")) choice.aspect_pairs_path = values.at("--aspect-pairs");
  std::cout << "reading the OpenCorpora data in " << values.at("--data") << "..." << std::endl;
  choice_summary summary;
  std::vector<lexeme> words = ReadOpenCorporaLexemes(values.at("--data"), choice, summary);
  PrintSummary(std::cout, summary);
  return words;
}

std::vector<lexeme> read_lexemes(const option_values& values) {
  if (has(values, "--data")) return read_opencorpora(values);
  std::cout << "reading the excerpt " << values.at("--excerpt") << "..." << std::endl;
  std::vector<lexeme> words = ReadExcerpt(values.at("--excerpt"));
  std::cout << "lexemes: " << words.size() << std::endl;
  return words;
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

void build_dictionary(const option_values& values, const std::vector<lexeme>& words) {
  std::vector<special_text> specials = ReadSpecialTexts(values.at("--special"));
  std::cout << "writing the dictionary..." << std::endl;
  dictionary_build build = BuildDictionary(words, specials, ending_tables::Standard());
  write_file(values.at("--out"), build.image);
  std::cout << "wrote " << values.at("--out") << std::endl;
  PrintBuildReport(std::cout, build.report);
}

int run(int argc, char** argv) {
  option_values values = parse_options(argc, argv);
  check_combination(values);
  std::vector<lexeme> words = read_lexemes(values);
  if (has(values, "--write-excerpt")) {
    WriteExcerpt(values.at("--write-excerpt"), words);
    std::cout << "wrote the excerpt " << values.at("--write-excerpt") << std::endl;
    return EXIT_SUCCESS;
  }
  build_dictionary(values, words);
  return EXIT_SUCCESS;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const usage_error& error) {
    std::cerr << "kivdic: " << error.what() << "\n" << usage;
    return 2;
  } catch (const std::exception& error) {
    std::cerr << "kivdic: " << error.what() << "\n";
    return EXIT_FAILURE;
  }
}
