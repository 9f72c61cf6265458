// How fast the engine's text foundation handles game-sized inputs.

#include <benchmark/benchmark.h>

#include <string>

#include "key_matrix.h"
#include "output_pool.h"
#include "tokenizer.h"
#include "wstring.h"

namespace {

class counting_tokenizer : public tokenizer {
 public:
  counting_tokenizer() : tokenizer(wchar_set::GameCode()) {}
  size_t lexemes = 0;

 protected:
  bool OnLexeme(const char16_t*, int, bool, char16_t) override {
    ++lexemes;
    return false;
  }
};

std::u16string repeated(const std::u16string& piece, size_t times) {
  std::u16string text;
  for (size_t i = 0; i < times; ++i) text += piece;
  return text;
}

const std::u16string game_code_line =
    u"если (лампа.откр == да) { печать(\"Лампа горит, в комнате светло.\"); счётчик = счётчик + 2d6 }\n";
const std::u16string turn_text =
    u"<location>Тёмная комната</location>Вы взяли лампу , и она загорелась . в углу стоит сундук ...\n";

void ScanGameCode(benchmark::State& state) {
  std::u16string code = repeated(game_code_line, size_t(state.range(0)));
  counting_tokenizer scanner;
  for (auto _ : state) {
    scanner.Scan(code.c_str());
    benchmark::DoNotOptimize(scanner.lexemes);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(code.size() * sizeof(char16_t)));
}
BENCHMARK(ScanGameCode)->Arg(10)->Arg(1000);

void ScanUnclosedBrackets(benchmark::State& state) {
  std::u16string text(size_t(state.range(0)), u'(');
  counting_tokenizer scanner;
  for (auto _ : state) scanner.Scan(text.c_str());
  state.SetComplexityN(state.range(0));
}
BENCHMARK(ScanUnclosedBrackets)->Range(1 << 10, 1 << 17)->Complexity();

void FinishTurn(benchmark::State& state) {
  wstring text(repeated(turn_text, size_t(state.range(0))).c_str());
  output_pool pool;
  for (auto _ : state) {
    pool.Clear();
    pool.Add(text);
    pool.Finish();
    benchmark::DoNotOptimize(pool.Items().Count());
  }
}
BENCHMARK(FinishTurn)->Arg(1)->Arg(100);

void ScoreKeys(benchmark::State& state) {
  key_matrix requested(u"ИпЕчМр*л");
  for (auto _ : state) benchmark::DoNotOptimize(requested.Score(u"ИпЕчМрЗл!м$v"));
}
BENCHMARK(ScoreKeys);

void AppendCharacters(benchmark::State& state) {
  for (auto _ : state) {
    wstring text;
    for (int i = 0; i < state.range(0); ++i) text += char16_t(u'а' + i % 32);
    benchmark::DoNotOptimize(text.Length());
  }
}
BENCHMARK(AppendCharacters)->Arg(100000);

}  // namespace

BENCHMARK_MAIN();
