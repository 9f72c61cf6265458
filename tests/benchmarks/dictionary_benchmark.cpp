// How fast the morphological dictionary loads and answers, on the full
// dictionary named by KIV_FULL_DICTIONARY (scripts/dictionary.sh builds it).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "c_index.h"
#include "dic_loader.h"
#include "dictionary.h"
#include "world.h"

namespace {

const char* dictionary_path() {
  const char* path = std::getenv("KIV_FULL_DICTIONARY");
  return path ? path : "kiv.dic";
}

// Forms a player types: nouns, adjectives and verbs in several forms.
const std::vector<wstring> typed_words = {
    u"лампу", u"сундука", u"ключом", u"двери", u"столе", u"фонарём", u"красную", u"медного",
    u"возьми", u"открой", u"положи", u"осмотреть", u"зажёг", u"иду", u"брать", u"отпер"};

void LoadDictionary(benchmark::State& state) {
  for (auto _ : state) {
    dic_loader file(dictionary_path());
    benchmark::DoNotOptimize(file.Loaded());
  }
}

// What a host waits for before its first command: the file opened and one
// typed word's article found in it.
void LoadAndFindOneArticle(benchmark::State& state) {
  world home(u"bench");
  for (auto _ : state) {
    dic_loader file(dictionary_path());
    dictionary words(file, nullptr);
    benchmark::DoNotOptimize(words.FindArticle(home, u"лампу", nullptr, false));
  }
}

class dictionary_bench {
 public:
  dictionary_bench() : file_(dictionary_path()), words_(file_, nullptr), home_(wstring(u"bench")) {}
  bool Loaded() const { return file_.Loaded(); }
  dictionary& Words() { return words_; }
  world& Home() { return home_; }

 private:
  dic_loader file_;
  dictionary words_;
  world home_;
};

void FindArticleOfTypedWords(benchmark::State& state) {
  dictionary_bench bench;
  if (!bench.Loaded()) state.SkipWithError("no dictionary: set KIV_FULL_DICTIONARY");
  for (auto _ : state)
    for (const wstring& word : typed_words)
      benchmark::DoNotOptimize(bench.Words().FindArticle(bench.Home(), word, nullptr, false));
  state.SetItemsProcessed(int64_t(state.iterations() * typed_words.size()));
}

// The article's declaration expanded, as the development environment asks.
void ExpandArticleOfTypedWords(benchmark::State& state) {
  dictionary_bench bench;
  if (!bench.Loaded()) state.SkipWithError("no dictionary: set KIV_FULL_DICTIONARY");
  wstring text;
  for (auto _ : state)
    for (const wstring& word : typed_words) benchmark::DoNotOptimize(bench.Words().FindArticle(bench.Home(), word, &text, true));
  state.SetItemsProcessed(int64_t(state.iterations() * typed_words.size()));
}

// The hint for a typo: every word one edit away asked of the dictionary.
void SpellingCandidatesOfATypo(benchmark::State& state) {
  dictionary_bench bench;
  if (!bench.Loaded()) state.SkipWithError("no dictionary: set KIV_FULL_DICTIONARY");
  for (auto _ : state) {
    c_index<wstring, wstring> found;
    benchmark::DoNotOptimize(bench.Words().SpellingCandidates(bench.Home(), u"сундюка", found));
  }
}

}  // namespace

BENCHMARK(LoadDictionary)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadAndFindOneArticle)->Unit(benchmark::kMillisecond);
BENCHMARK(FindArticleOfTypedWords);
BENCHMARK(ExpandArticleOfTypedWords);
BENCHMARK(SpellingCandidatesOfATypo)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
