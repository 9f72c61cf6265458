// Comparing the argument types of game functions as classes.

#include "world.h"

namespace {

struct type_messages {
  const char16_t* missing_type;
  const char16_t* class_prefix;
};

const type_messages messages_a = {u"world::CmpArgAsCls() argument A not found!", u"world::CmpArgAsCls() class A '"};
const type_messages messages_b = {u"world::CmpArgAsCls() argument B not found!", u"world::CmpArgAsCls() class B '"};

// The class an argument type names: the type's name as a class, an object
// or a word, declared from the dictionary when the world does not know it.
object* argument_class(world& home, int32_t type, const type_messages& messages) {
  int pos;
  if (!home.functions.FnAgIndex().Find(type, pos)) throw messages.missing_type;
  const wstring name = home.functions.FnAgIndex()[pos].name;
  auto find = [&] {
    if (object* cls = home.FindClass(name)) return cls;
    if (object* entity = home.FindObject(name)) return entity;
    return home.FindWord(name);
  };
  object* found = find();
  if (!found && home.LookUpInDictionary(name)) found = find();
  if (found) return found;
  wstring message(messages.class_prefix);
  message += name;
  throw message + u"' not found!";
}

}  // namespace

void world::CmpArgAsCls(int32_t a, int32_t b, bool& a_is_b, bool& b_is_a) {
  object* class_a = argument_class(*this, a, messages_a);
  object* class_b = argument_class(*this, b, messages_b);
  a_is_b = class_a->IsOfClass(class_b->Id());
  b_is_a = class_b->IsOfClass(class_a->Id());
}
