// Any file opened as the dictionary "kiv.dic": the header and ending tables
// read, then typed words looked up, expanded and declared into a world.

#include <cstddef>
#include <cstdint>

#include "c_index.h"
#include "dic_loader.h"
#include "dictionary.h"
#include "fuzz_input.h"
#include "fuzz_world.h"

namespace {

// Words of the seed dictionaries and forms a player types.
const char16_t* const typed_words[] = {u"и",      u"а",       u"который", u"которую", u"которым", u"лампу",
                                       u"лампа",  u"сундука", u"ключом",  u"двери",   u"красную", u"возьми",
                                       u"открой", u"зажёг",   u"идти",    u"быть",    u"год",     u"человек",
                                       u"время",  u"дело",    u"жизнь",   u"говорить", u"сказать"};

void look_up(const dictionary& words, world& home, const wstring& word) {
  wstring text;
  words.FindArticle(home, word, &text, true);
  words.FindArticle(home, word, &text, false);
  words.FindArticle(home, word, nullptr, false);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::limit_command_time();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::scratch_folder folder;
  fuzz::input_file file(folder, dic_loader::default_file, data, size);
  fuzz::opened_dictionary opened(dic_loader::default_file);
  dictionary& words = opened.words;
  fuzz::started_world w;
  w.home.dictionary = &words;
  for (const char16_t* typed : typed_words) {
    wstring word(typed);
    fuzz::run_catching_engine_errors([&] { look_up(words, w.home, word); });
    fuzz::run_catching_engine_errors([&] { words.DeclareFromDictionary(w.home, word); });
  }
  c_index<wstring, wstring> found;
  fuzz::run_catching_engine_errors([&] { words.SpellingCandidates(w.home, u"сундюка", found); });
  return 0;
}
