#include "special_articles.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "dictionary_text.h"

namespace {

struct special_file {
  const char* name;
  const char* word;
};

constexpr special_file special_files[] = {
    {"constructor.kvs", "конструктор"},
    {"library.kvs", "библиотека"},
};

constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open the special article source " + path.string());
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) throw std::runtime_error("cannot read the special article source " + path.string());
  return content.str();
}

// Carriage returns would read as a token code; lines end in line feeds.
std::string without_carriage_returns(std::string_view text) {
  std::string result;
  for (char c : text)
    if (c != '\r') result += c;
  return result;
}

std::string source_text(const std::filesystem::path& path) {
  std::string utf8 = read_file(path);
  std::string_view text = utf8;
  if (text.starts_with(byte_order_mark)) text.remove_prefix(byte_order_mark.size());
  std::string source = without_carriage_returns(text);
  if (!source.empty() && source.back() != '\n') source += '\n';
  try {
    std::string cp1251 = ToCp1251(source);
    text_compressor().Compress(cp1251);  // refuses control bytes now, naming the file
    return cp1251;
  } catch (const std::invalid_argument& error) {
    throw std::runtime_error(path.string() + ": " + error.what());
  }
}

}  // namespace

std::vector<special_text> ReadSpecialTexts(const std::filesystem::path& folder) {
  std::vector<special_text> texts;
  for (const special_file& file : special_files) texts.push_back({file.word, source_text(folder / file.name)});
  return texts;
}

void PrefixMainText(const special_text& special, const text_compressor& compressor, article& entry) {
  entry.main_text = compressor.Compress(special.source) + entry.main_text;
}

article SpecialOnlyArticle(const special_text& special, const text_compressor& compressor) {
  article entry;
  entry.lemma = special.word;
  entry.forms.push_back(ToCp1251(special.word));
  entry.main_text = compressor.Compress(special.source);
  return entry;
}
