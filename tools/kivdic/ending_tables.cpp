// The ending tables fold the forms of a lexeme onto as few stem keys as
// possible. The noun table cuts the inflection of nouns, adjectives and
// pronouns; the verb table cuts the conjugation together with the verb's
// thematic vowel (чита-ть, чита-ю, чит-ающий -> чит), so that finite forms,
// participles and gerunds of one verb share a stem, and it cuts the noun
// endings as well: a declined word then has a second key that holds all its
// forms, and an article whose noun key is full can move whole to it. Both
// are sets tried longest ending first: the first fitting ending wins, and two
// endings of one length never fit the same word. The sets were composed from
// the inflection endings of Russian and then pruned and extended against the
// OpenCorpora lexemes, keeping each change that lowered the number of keys
// the lexemes need (docs/dictionary.md).

#include "ending_tables.h"

#include <algorithm>
#include <stdexcept>

#include "dictionary_text.h"

namespace {

constexpr std::string_view standard_noun_endings =
    "айшего айшему айшими ейшего ейшему ейшими айшая айшее айшей айшем айшею айшие айший айшим айших "
    "айшую ейшая ейшее ейшей ейшем ейшею ейшие ейший ейшим ейших ейшую иями ьего ьему ьими ьями ами его "
    "ему ией ием иею ими иям иях ого ому ыми ьев ьей ьем ьею ьим ьих ьям ьях ями ам ах ая ев ее ей ем ею "
    "ие ии ий им их ию ия ов ое ой ом ою ую ые ый ым ых ье ьи ью ья юю ям ях яя а е и й о у ы ь ю я";

constexpr std::string_view standard_verb_endings =
    "овавшего овавшему овавшими ованного ованному ованными нувшего нувшему нувшими овавшая овавшее "
    "овавшей овавшем овавшею овавшие овавший овавшим овавших овавшую ованная ованное ованной ованном "
    "ованною ованную ованные ованный ованным ованных авшего авшему авшими аемого аемому аемыми анного "
    "анному анными ающего ающему ающими евшего евшему евшими енного енному енными еющего еющему еющими "
    "ившего ившему ившими нувшая нувшее нувшей нувшем нувшею нувшие нувший нувшим нувших нувшую овавши "
    "овшего овшему овшими увшего увшему увшими уемого уемому уемыми ующего ующему ующими ывшего ывшему "
    "ывшими юющего юющему юющими явшего явшему явшими яемого яемому яемыми янного янному янными яющего "
    "яющему яющими авшая авшее авшей авшем авшею авшие авший авшим авших авшую аемая аемее аемей аемое "
    "аемой аемом аемою аемте аемую аемые аемый аемым аемых анная анное анной анном анною анную анные "
    "анный анным анных атого атому атыми ащего ащему ащими ающая ающее ающей ающем ающею ающие ающий "
    "ающим ающих ающую вшего вшему вшими евшая евшее евшей евшем евшею евшие евший евшим евших евшую "
    "еемте емого емому емыми енная енное енной енном енною енную енные енный енным енных еющая еющее "
    "еющей еющем еющею еющие еющий еющим еющих еющую ившая ившее ившей ившем ившею ившие ивший ившим "
    "ивших ившую имого имому имыми итого итому итыми немте нувши овала овали овало ована овано ованы "
    "овать овшая овшее овшей овшем овшею овшие овший овшим овших овшую отого отому отыми увшая увшее "
    "увшей увшем увшею увшие увший увшим увших увшую уемая уемее уемей уемое уемой уемом уемою уемте "
    "уемую уемые уемый уемым уемых утого утому утыми ущего ущему ущими ующая ующее ующей ующем ующею "
    "ующие ующий ующим ующих ующую ывшая ывшее ывшей ывшем ывшею ывшие ывший ывшим ывших ывшую ытого "
    "ытому ытыми ющего ющему ющими юющая юющее юющей юющем юющею юющие юющий юющим юющих юющую явшая "
    "явшее явшей явшем явшею явшие явший явшим явших явшую яемая яемее яемей яемое яемой яемом яемою "
    "яемте яемую яемые яемый яемым яемых янная янное янной янном янною янную янные янный янным янных "
    "ятого ятому ятыми ящего ящему ящими яющая яющее яющей яющем яющею яющие яющий яющим яющих яющую авши "
    "аема аемо аемы аете аешь айте атая атое атой атом атою атую атые атый атым атых ащая ащее ащей ащем "
    "ащею ащие ащий ащим ащих ащую вшая вшее вшей вшем вшею вшие вший вшим вших вшую евши еете еешь ейте "
    "емая емее емей емое емой емом емою емте емую емые емый емым емых ивши имая имее имей имое имой имом "
    "имою имте имую имые имый имым имых итая итое итой итом итою итую итые итый итым итых нете нешь ните "
    "нула нули нуло нуть овав овал ован овши отая отое отой отом отою отую отые отый отым отых увши уема "
    "уемо уемы уете уешь уйте утая утое утой утом утою утую утые утый утым утых ущая ущее ущей ущем ущею "
    "ущие ущий ущим ущих ущую ывши ытая ытое ытой ытом ытою ытую ытые ытый ытым ытых юете юешь юйте ющая "
    "ющее ющей ющем ющею ющие ющий ющим ющих ющую явши яема яемо яемы яете яешь яйте ятая ятое ятой ятом "
    "ятою ятую ятые ятый ятым ятых ящая ящее ящей ящем ящею ящие ящий ящим ящих ящую аем ает ала али ало "
    "ана ано аны ата ато аты ать ают вши еем еет ела ели ело ема емо емы ена ено ены ете еть ешь еют ила "
    "или ило има имо имы ита ите ито иты ить ишь нем нет нув нул нут ола оли оло ота ото оты оть уем ует "
    "ула ули уло ута уто уты уть уют ыла ыли ыло ыта ыто ыты ыть ьте юем юет юют яем яет яла яли яло яна "
    "яно яны ята ято яты ять яют ав ай ал ан ат аю ая ев ей ел ем ен ет ею ея ив ил им ит ла ли ло ни ну "
    "ов ол от ть ув уй ул ут ую уя ыв ыл ыт юй ют юю юя яв яй ял ян ят яю яя а в и л т у ь ю я";

size_t letter_count(std::string_view utf8) {
  return size_t(std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

void add_endings(std::string_view list, std::vector<std::string_view>& endings) {
  for (size_t at = 0; at < list.size();) {
    size_t end = std::min(list.find(' ', at), list.size());
    if (end > at) endings.push_back(list.substr(at, end - at));
    at = end + 1;
  }
}

// The blank-separated endings of the lists, each once, longest first.
std::vector<std::string_view> longest_first(std::initializer_list<std::string_view> lists) {
  std::vector<std::string_view> endings;
  for (std::string_view list : lists) add_endings(list, endings);
  std::sort(endings.begin(), endings.end(), [](std::string_view a, std::string_view b) {
    return letter_count(a) != letter_count(b) ? letter_count(a) > letter_count(b) : a < b;
  });
  endings.erase(std::unique(endings.begin(), endings.end()), endings.end());
  return endings;
}

}  // namespace

ending_tables::ending_tables(std::span<const std::string_view> noun_endings,
                             std::span<const verb_rule_text> verb_rules) {
  // An empty ending would end the table in the file early.
  for (std::string_view ending : noun_endings) {
    if (ending.empty()) throw std::invalid_argument("empty noun ending");
    noun_endings_.push_back(ToCp1251(ending));
  }
  for (const verb_rule_text& rule : verb_rules) {
    if (rule.ending.empty()) throw std::invalid_argument("empty verb ending");
    verb_rules_.emplace_back(ToCp1251(rule.ending), ToCp1251(rule.replacement));
  }
  for (const std::string& ending : noun_endings_) noun_views_.push_back(ending);
  for (const auto& [ending, replacement] : verb_rules_) verb_views_.push_back({ending, replacement});
}

ending_tables ending_tables::Standard() {
  std::vector<verb_rule_text> verb_rules;
  for (std::string_view ending : longest_first({standard_verb_endings, standard_noun_endings}))
    verb_rules.push_back({ending, ""});
  return ending_tables(longest_first({standard_noun_endings}), verb_rules);
}

uint16_t ending_tables::NounKey(std::string_view cp1251_word) const {
  return NounStemKey(cp1251_word, noun_views_);
}

uint16_t ending_tables::VerbKey(std::string_view cp1251_word) const {
  return VerbStemKey(cp1251_word, verb_views_);
}

std::string ending_tables::NounTableBytes() const {
  std::string bytes;
  for (const std::string& ending : noun_endings_) {
    bytes += ending;
    bytes += '\0';
    bytes += '\0';  // the byte the engine does not read
  }
  bytes += '\0';
  return bytes;
}

std::string ending_tables::VerbTableBytes() const {
  std::string bytes;
  for (const auto& [ending, replacement] : verb_rules_) {
    bytes += ending;
    bytes += '\0';
    bytes += replacement;
    bytes += '\0';
  }
  bytes += '\0';
  return bytes;
}
