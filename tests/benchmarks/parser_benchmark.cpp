// How fast a player's command is read and dispatched: typical commands of
// two to six words in a generated game of about 200 objects and 150
// functions, with the full dictionary named by KIV_FULL_DICTIONARY.
// Each command is a benchmark of its own; a final table gives the median
// of each command, the median over the commands and the slowest run.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "code_world.h"
#include "dic_loader.h"
#include "dictionary.h"
#include "parsed_string.h"
#include "player_command.h"
#include "system_factory.h"

namespace {

struct noun {
  const char16_t* name;
  char gender;  // 'm', 'f', 'n'
};
struct adjective {
  const char16_t* masculine;
  const char16_t* feminine;
  const char16_t* neuter;
};

// Twenty nouns, each with ten adjectives (200 objects), and a few things
// of their own, so that a plain noun names one of them.
const noun nouns[] = {{u"лампа", 'f'},   {u"фонарь", 'm'},  {u"меч", 'm'},     {u"сумка", 'f'},   {u"книга", 'f'},
                      {u"свеча", 'f'},   {u"нож", 'm'},     {u"топор", 'm'},   {u"верёвка", 'f'}, {u"монета", 'f'},
                      {u"бутылка", 'f'}, {u"шкаф", 'm'},    {u"ящик", 'm'},    {u"кольцо", 'n'},  {u"ведро", 'n'},
                      {u"рычаг", 'm'},   {u"кнопка", 'f'},  {u"зеркало", 'n'}, {u"картина", 'f'}, {u"шлем", 'm'}};
const char16_t* const single_things[] = {u"дверь", u"ключ", u"сундук", u"стол", u"ручка_двери"};
const adjective adjectives[] = {
    {u"красный", u"красная", u"красное"},       {u"большой", u"большая", u"большое"},
    {u"старый", u"старая", u"старое"},          {u"новый", u"новая", u"новое"},
    {u"железный", u"железная", u"железное"},    {u"деревянный", u"деревянная", u"деревянное"},
    {u"медный", u"медная", u"медное"},          {u"синий", u"синяя", u"синее"},
    {u"золотой", u"золотая", u"золотое"},       {u"белый", u"белая", u"белое"}};
const char16_t* const locations[] = {u"комната", u"кладовая", u"сад", u"подвал"};
const char16_t* const verbs[] = {u"взять",    u"положить", u"осмотреть", u"открыть", u"закрыть", u"зажечь",
                                 u"погасить", u"бросить",  u"толкнуть",  u"тянуть",  u"нажать",  u"ударить",
                                 u"сломать",  u"отдать",   u"надеть",    u"снять",   u"искать",  u"прочитать",
                                 u"отпереть", u"запереть", u"копать",    u"резать",  u"включить", u"выключить",
                                 u"поднять",  u"дать",     u"разбить",   u"бросать", u"открывать", u"закрывать"};
// Five ways each verb takes its arguments.
const char16_t* const signatures[] = {
    u"предмет п #Вп", u"контейнер п #Вп", u"предмет п #Вп, оружие чем #Тп", u"предмет п #Вп, в, контейнер куда #Вп",
    u"предмет п #Вп, на, предмет куда #Вп"};

std::u16string object_name(const noun& n, const adjective& a) {
  return std::u16string(n.name) + u"_" + (n.gender == 'm' ? a.masculine : n.gender == 'f' ? a.feminine : a.neuter);
}

const char16_t* class_of(const std::u16string& name) {
  for (const char16_t* container : {u"шкаф", u"ящик", u"сумка", u"ведро", u"сундук"})
    if (name == container) return u"@контейнер";
  return name == u"меч" || name == u"нож" ? u"@оружие" : u"@предмет";
}

std::u16string game_source() {
  std::u16string source = u"@предмет {}\n@контейнер { @предмет }\n@оружие { @предмет }\n@персонаж {}\n"
                          u"attribute горит {}\nattribute открыт {}\n";
  for (const char16_t* place : locations) source += u"location " + std::u16string(place) + u" {}\n";
  int placed = 0;
  for (const noun& n : nouns)
    for (const adjective& a : adjectives)
      source += object_name(n, a) + u" { " + class_of(n.name) + u"; inside " + locations[placed++ % 3 == 0 ? 1 : 0] +
                u" }\n";
  for (const char16_t* thing : single_things)
    source += std::u16string(thing) + u" { " + class_of(thing) + u"; inside комната }\n";
  for (const char16_t* who : {u"герой", u"вася", u"маша", u"тролль", u"стражник"})
    source += std::u16string(who) + u" { @персонаж; inside комната }\n";
  for (const char16_t* verb : verbs)
    for (const char16_t* signature : signatures)
      source += u"action (" + std::u16string(verb) + u", " + signature + u") {\n-- execute --\n  % " + verb +
                u"\n}\n";
  source += u"action (дать, предмет п #Вп, персонаж кому #Дп) {\n-- execute --\n  % дать\n}\n"
            u"fact (горит, предмет п) {\n-- check --\n  return п.горит\n}\n"
            u"fact (открыт, контейнер п) {\n-- check --\n  return п.открыт\n}\n"
            u"expression (вес, предмет п) {\n-- execute --\n  return 5\n}\n";
  return source;
}

const char16_t* const commands[] = {
    u"возьми красную лампу",           u"положи ключ в сундук", u"Вася, открой дверь",
    u"осмотри ручку двери",            u"красная лампа горит?",               u"зажги синюю свечу",
    u"ударь синий рычаг железным мечом",    u"дай Маше новую монету",             u"положи старую книгу на стол",
    u"возьми ключ",                    u"открой сундук",                      u"нажми синюю кнопку",
    u"Маша, возьми медную верёвку",    u"сломай деревянный ящик медным ножом", u"надень новый шлем",
    u"осмотри белое зеркало"};

// The world, its dictionary and one parsed string for all commands.
class parser_bench {
 public:
  explicit parser_bench(const char* dictionary_path) : file_(dictionary_path), words_(file_, nullptr) {
    if (!file_.Loaded()) return;
    w_.home.dictionary = &words_;
    w_.home.Load();
    value loaded = w_.Run(game_source().c_str());
    if (loaded.Type() == kw::type_bool && loaded.Code() == kw::result_fail) {
      std::fprintf(stderr, "the game did not load: %s\n", w_.Text(loaded).c_str());
      return;
    }
    w_.home.player = w_.home.FindObject(u"герой")->Id();
    rules_.Init();
    input_ = std::make_unique<parsed_string>(w_.home, w_.in, rules_);
  }
  bool Ready() const { return input_ != nullptr; }

  // Parses and runs the command as the session does; true when understood.
  bool Run(const char16_t* command) {
    context& ctx = *w_.home.FindObject(u"комната");
    ctx.characters[0] = ctx.characters[2] = w_.home.player;
    ctx.characters[1] = 0;
    w_.in.StartCommand();
    w_.host.printed.clear();
    w_.host.block_calls = 0;
    const bool in_game = true;
    try {
      value result = run_player_command(*input_, ctx, wstring(command), in_game);
      if (!is_parse_failure(result)) return true;
      wstring reply = result.Text();
      if (reply.IsEmpty()) input_->GetErrorDescription(ctx, reply);
      w_.host.printed = reply.Text();
      return false;
    } catch (const char16_t* message) {
      std::u16string text = message;
      std::fprintf(stderr, "raised: %s\n", encode_utf8(text.data(), text.size()).c_str());
    } catch (const wstring& message) {
      std::fprintf(stderr, "raised: %s\n", encode_utf8(message.Text(), size_t(message.Length())).c_str());
    }
    return false;
  }
  // What the command printed, on one line.
  std::string Printed() const {
    std::string text = encode_utf8(w_.host.printed.data(), w_.host.printed.size());
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
  }

 private:
  dic_loader file_;
  dictionary words_;
  code_world w_;
  system_factory rules_;
  std::unique_ptr<parsed_string> input_;
};

parser_bench* bench = nullptr;

void ParseAndRun(benchmark::State& state, const char16_t* command) {
  for (auto _ : state) benchmark::DoNotOptimize(bench->Run(command));
}

// Times each command apart from the benchmark library: the median of its
// runs, then the median over the commands and the slowest single run.
void PrintSummary() {
  std::vector<double> medians;
  double slowest = 0;
  const char16_t* slowest_command = commands[0];
  for (const char16_t* command : commands) {
    std::vector<double> runs;
    bool understood = false;
    for (int n = 0; n < 51; ++n) {
      auto start = std::chrono::steady_clock::now();
      understood = bench->Run(command);
      runs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(runs.begin(), runs.end());
    if (runs.back() > slowest) {
      slowest = runs.back();
      slowest_command = command;
    }
    medians.push_back(runs[runs.size() / 2]);
    std::u16string text = command;
    std::printf("%8.3f ms  %-45s %s\n", medians.back(), encode_utf8(text.data(), text.size()).c_str(),
                ((understood ? "" : "not understood: ") + bench->Printed()).c_str());
  }
  std::sort(medians.begin(), medians.end());
  std::u16string worst = slowest_command;
  std::printf("median over commands %.3f ms; slowest run %.3f ms (%s)\n", medians[medians.size() / 2], slowest,
              encode_utf8(worst.data(), worst.size()).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = std::getenv("KIV_FULL_DICTIONARY");
  if (!path) {
    std::printf("parser_benchmark: set KIV_FULL_DICTIONARY to a built kiv.dic; skipped\n");
    return 0;
  }
  parser_bench shared(path);
  if (!shared.Ready()) {
    std::printf("parser_benchmark: the dictionary or the game did not load\n");
    return 1;
  }
  bench = &shared;
  for (const char16_t* command : commands) {
    std::u16string name = command;
    benchmark::RegisterBenchmark(encode_utf8(name.data(), name.size()).c_str(), ParseAndRun, command)
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintSummary();
  return 0;
}
