#include "command_abbreviations.h"

command_abbreviations::command_abbreviations() {
  Add(u"в", u"на восток");
  Add(u"з", u"на запад");
  Add(u"ю", u"на юг");
  Add(u"с", u"на север");
  Add(u"юв", u"на юго-восток");
  Add(u"ю-в", u"на юго-восток");
  Add(u"юз", u"на юго-запад");
  Add(u"ю-з", u"на юго-запад");
  Add(u"св", u"на северо-восток");
  Add(u"с-в", u"на северо-восток");
  Add(u"сз", u"на северо-запад");
  Add(u"с-з", u"на северо-запад");
  Add(u"вв", u"вверх");
  Add(u"нв", u"наверх");
  Add(u"вн", u"вниз");
  Add(u"л", u"влево");
  Add(u"п", u"вправо");
  Add(u"вп", u"вперёд");
  Add(u"н", u"назад");
  Add(u"о", u"осмотреться");
  Add(u"и", u"инвентарь");
  Add(u"ин", u"инвентарь");
  Add(u"инв", u"инвентарь");
}

void command_abbreviations::Add(const char16_t* key, const char16_t* expansion) {
  int pos;
  pairs_.Add(wstring(key), pos);
  pairs_[pos].expansion = expansion;
}

const wstring* command_abbreviations::Expansion(const wstring& normalised_command) const {
  int pos;
  return pairs_.Find(normalised_command, pos) ? &pairs_[pos].expansion : nullptr;
}
