// An entity written as JSON for the development environment: its object
// tree, its class tree and its property list.

#include <initializer_list>

#include "json_text.h"
#include "keyword_table.h"
#include "list_sets.h"
#include "location.h"
#include "object.h"
#include "world.h"

namespace {

// Trees deeper than this are cut off.
constexpr int max_tree_depth = 11;

const char16_t* type_name(int type) { return kw::at(type).english; }

// JSON arrays of texts, separated by ",".
class json_rows {
 public:
  explicit json_rows(wstring& out) : out_(out) {}

  void Row(std::initializer_list<wstring> texts) {
    if (rows_++ > 0) out_ += u',';
    out_ += u'[';
    bool first = true;
    for (const wstring& text : texts) {
      if (!first) out_ += u',';
      first = false;
      append_json_text(out_, text);
    }
    out_ += u']';
  }

 private:
  wstring& out_;
  int rows_ = 0;
};

// How the entity stands in its parent: outside, inside and as a part.
wstring relation_text(const object& entity) {
  wstring text;
  const context* parent = entity.Parent();
  if (!parent || !parent->IsEntity()) return text;
  const object& holder = static_cast<const object&>(*parent);
  if (set_contains(holder.outside, &entity)) text += u"внеш.";
  if (set_contains(holder.inside, &entity)) text += u"внутр.";
  if (set_contains(holder.part, &entity)) text += u"часть";
  return text;
}

wstring or_dashes(const wstring& text) { return text.IsEmpty() ? wstring(u"--") : text; }

void write_exits(json_rows& rows, const location& place, const world& home) {
  for (int k = 0; k < location::exit_count; ++k) {
    const location::exit_slot& slot = place.exits[k];
    if (!slot.target && slot.text.IsEmpty() && slot.blocked_text.IsEmpty()) continue;
    wstring target = u"--";
    if (slot.target) {
      const object* found = home.FindById(slot.target);
      target = found ? found->Name() : wstring(u"не найдена!");
    }
    rows.Row({u"sys", kw::at(kw::dir_up + k).russian, u"course", u"", u"", target, or_dashes(slot.text),
              or_dashes(slot.blocked_text)});
  }
}

const char16_t* property_kind(const variable& property) {
  if (property.is_temporary) return u"tmp";
  return property.is_property ? u"prp" : u"var";
}

// The attribute named like the property, else the entity the value was
// read from.
wstring property_owner(const variable& property, world& home) {
  const object* attribute = home.FindObject(property.name);
  if (attribute && attribute->Type() == kw::type_attribute) return attribute->MarkedName();
  object* owner = property.content.Owner();
  return owner ? owner->MarkedName() : wstring();
}

wstring shown_value(const value& v, world& home) {
  switch (v.Type()) {
    case kw::type_bool:
    case kw::type_number:
    case kw::type_keyword:
    case kw::type_and_list:
    case kw::type_or_list: {
      bool missing_form;
      return v.ToString(&home, nullptr, nullptr, 0, missing_form);
    }
    default:
      return v.ShortText(&home);
  }
}

void write_property(json_rows& rows, const variable& property, const object& holder, world& home) {
  const value& v = property.content;
  if (property.is_computed || v.IsNull()) {
    rows.Row({property_kind(property), property.name, property.is_computed ? u"calc" : u"null",
              holder.MarkedName(), u""});
    return;
  }
  rows.Row({property_kind(property), property.name, type_name(v.Type()), holder.MarkedName(),
            property_owner(property, home), shown_value(v, home)});
}

// The holder's properties not yet shown.
void write_properties(json_rows& rows, const object& holder, c_index<wstring, wstring>& shown, world& home) {
  int pos;
  for (const variable& property : holder.Variables())
    if (shown.Add(property.name, pos)) write_property(rows, property, holder, home);
}

}  // namespace

void object::WriteObjectTree(wstring& out, int depth, bool no_descent) const {
  if (depth >= max_tree_depth) return;
  out += u'[';
  append_json_number(out, depth);
  out += u',';
  append_json_text(out, type_name(type_));
  out += u',';
  append_json_text(out, MarkedName());
  out += u',';
  append_json_text(out, no_descent ? wstring() : relation_text(*this));
  out += u']';
  if (no_descent || depth + 1 >= max_tree_depth) return;
  for (const object* held : outside) {
    out += u',';
    held->WriteObjectTree(out, depth + 1, held->Type() == kw::type_location);
  }
  for (const object* held : inside) {
    out += u',';
    held->WriteObjectTree(out, depth + 1, false);
  }
}

void object::WriteClassTree(wstring& out, int depth) const {
  if (depth >= max_tree_depth) {
    out += u"{\"Error\":\"Deep\"}";
    return;
  }
  out += u"{\"Deep\":";
  append_json_number(out, depth);
  out += u",\"Type\":";
  append_json_text(out, type_name(type_));
  out += u",\"Name\":";
  append_json_text(out, MarkedName());
  out += u'}';
  for (const numb_class& cls : effective_classes) {
    if (const object* holder = world_->FindById(cls.class_id)) {
      out += u',';
      holder->WriteClassTree(out, depth + 1);
    }
  }
}

void object::WritePropertyList(wstring& out) const {
  json_rows rows(out);
  rows.Row({u"sys", u"type", u"string", u"", u"", type_name(type_)});
  rows.Row({u"sys", u"name", u"string", u"", u"", name_});
  if (const location* place = dynamic_cast<const location*>(this)) write_exits(rows, *place, *world_);
  c_index<wstring, wstring> shown;
  write_properties(rows, *this, shown, *world_);
  WalkClasses([&](object& cls) {
    write_properties(rows, cls, shown, *world_);
    return class_step::go_on;
  });
}

void write_global_variables(wstring& out, world& home) {
  json_rows rows(out);
  for (const variable& global : home.Variables())
    rows.Row({u"var", global.name, type_name(global.content.Type()), u"global", u"", shown_value(global.content, home)});
}
