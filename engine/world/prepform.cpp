#include "prepform.h"

#include "keyword_table.h"
#include "obj_word.h"
#include "world.h"

void prepform_index::Enter(const wstring& text, obj_word* preposition) {
  int pos;
  Add(text.Text(), pos);
  prepform& entry = (*this)[pos];
  // A new entry holds no entity yet.
  if (!entry.meaning.GetEntity())
    entry.meaning = value::Entity(kw::type_preposition, preposition);
}

wstring prepform_index::Listing() const {
  wstring listing;
  for (const prepform& entry : *this) {
    listing += kw::at(entry.meaning.Type()).english;
    listing += u"(";
    const object* entity = entry.meaning.GetEntity();
    if (entity) {
      for (int i = 0; i < entity->forms.Count(); ++i) {
        if (i > 0) listing += u",";
        listing += wstring(double(i));
        listing += entity->forms[i].text;
        listing += u"#";
        listing += entity->forms[i].key;
      }
    }
    listing += u")\n";
  }
  return listing;
}
