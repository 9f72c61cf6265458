// Resolving names written in game code to the world's entities.

#include "world.h"

namespace {

// "$" for a word, "@" for a class, 0 for a plain name.
char16_t reference_mark(const wstring& name) {
  return !name.IsEmpty() && (name[0] == u'$' || name[0] == u'@') ? name[0] : 0;
}

wstring not_found_message(char16_t mark, const wstring& name) {
  wstring message(mark == u'$' ? u"Слово $" : u"Класс @");
  message += name;
  message += mark == u'$' ? u" не найдено!" : u" не найден!";
  return message;
}

// The one entity that owns forms of that text; null when none does.
object* form_owner(const world& home, const wstring& name, const wstring& normalised) {
  int pos;
  if (!home.word_forms.Find(normalised.Text(), pos)) return nullptr;
  const auto& owners = home.word_forms[pos].owners;
  if (owners.Count() == 0) throw u"world::GetObjectByName() - error!";
  for (const auto& owner : owners)
    if (owner.entity != owners[0].entity) throw name + u" - слово неоднозначно! используете точное имя объекта.";
  return owners[0].entity;
}

}  // namespace

// Names are compared normalised, as every index keeps them.
object* world::GetObjectByName(const wstring& written, bool quiet) {
  const char16_t mark = reference_mark(written);
  const wstring name = mark ? written.Mid(1, wstring::text_end) : written;
  if (name.IsEmpty()) return nullptr;
  LookUpInDictionary(name);
  auto find = [&](const wstring& normalised) -> object* {
    if (mark == u'$') return FindWord(normalised);
    if (mark == u'@') return FindClass(normalised);
    if (object* found = FindObject(normalised)) return found;
    // The name list holds the classes too.
    int pos;
    return names.Find(normalised.Text(), pos) ? names[pos].entities[0] : nullptr;
  };
  object* found = find(NormalisedName(name));
  if (!found && !quiet)
    if (object* owner = form_owner(*this, name, NormalisedName(name))) found = find(owner->NormalisedName());
  if (found || !mark) return found;
  throw not_found_message(mark, name);
}
