// The development environment's queries: an author's page asks the running
// world about itself with commands beginning "ide=", and every turn adds
// the object tree of the player's location. Answers are JSON members of the
// session's IDE reply, sent to the host on the "ide" channel.

#include "ide_map.h"
#include "ide_syntax.h"
#include "json_text.h"
#include "kiv_engine.h"
#include "method_source.h"
#include "session.h"

namespace {

bool has_prefix(const wstring& text, const char16_t* prefix, wstring& rest) {
  const wstring start(prefix);
  if (text.Left(start.Length()) != start) return false;
  rest = text.Mid(start.Length(), wstring::text_end);
  return true;
}

wstring json_text(const wstring& text) {
  wstring out;
  append_json_text(out, text);
  return out;
}

const char16_t* const global_name = u"global";

}  // namespace

void session::IdeQuery(const wstring& query) {
  wstring name;
  if (has_prefix(query, u"objtree=", name))
    PutObjTree(name);
  else if (has_prefix(query, u"clstree=", name))
    GetClsTree(name);
  else if (has_prefix(query, u"prplist=", name))
    GetPrpList(name);
  else if (has_prefix(query, u"code=", name))
    AddIdeMember(u"currentcode", json_text(ObjectCode(name)));
  else if (has_prefix(query, u"entry=", name))
    AddIdeMember(u"currentcode", json_text(DictionaryEntry(name)));
  else if (has_prefix(query, u"method=", name))
    AddIdeMember(u"currentcode", json_text(MethodCode(name)));
  else if (query == u"syntax")
    AddIdeMember(u"syntax", parsed_input ? syntax_json(*parsed_input) : wstring(u"[]"));
  else if (query == u"map")
    AddIdeMember(u"map", map_json(*world_));
  EscapeIdeReply();
}

void session::PutObjTree(const wstring& name) {
  wstring tree(u"[[0,\"context\",\"global\",\"\"]");
  if (name != global_name) {
    if (const object* found = QueriedEntity(name)) {
      tree += u',';
      found->WriteObjectTree(tree, 1, false);
    } else {
      TellAuthor(u"session::PutObjTree() объект не найден!");
    }
  }
  tree += u']';
  AddIdeMember(u"objtree", tree);
  if (!ide_command_tree.IsEmpty()) {
    wstring words(u"[");
    words += ide_command_tree;
    words += u']';
    AddIdeMember(u"cmdtree", words);
    ide_command_tree.Clear();
  }
  EscapeIdeReply();
}

void session::GetClsTree(const wstring& name) {
  wstring tree(u"[");
  if (name != global_name) {
    if (const object* found = QueriedEntity(name))
      found->WriteClassTree(tree, 0);
    else
      TellAuthor(u"session::GetClsTree() объект не найден!");
  }
  tree += u']';
  AddIdeMember(u"clstree", tree);
}

void session::GetPrpList(const wstring& name) {
  wstring list(u"[");
  if (name == global_name)
    write_global_variables(list, *world_);
  else if (const object* found = QueriedEntity(name))
    found->WritePropertyList(list);
  else
    TellAuthor(u"session::GetPrpList() объект не найден!");
  list += u']';
  AddIdeMember(u"prplist", list);
}

wstring session::ObjectCode(const wstring& name) {
  if (name == global_name) return u"глобальный код после использования не сохраняется!";
  const object* found = QueriedEntity(name);
  return found ? found->SourceText() : wstring(u"error: объект не найден!");
}

wstring session::DictionaryEntry(const wstring& word) {
  wstring article;
  if (dictionary_.FindArticle(*world_, word, &article, true)) return article;
  return u"Статья не найдена.";
}

wstring session::MethodCode(const wstring& text) {
  const int dot = text.Find(u'.');
  if (dot < 0) return u"error: ожидалось имя в формате 'object.method'!";
  const wstring object_name = Normalised(text.Left(dot));
  const object* found = QueriedEntity(object_name);
  if (!found) {
    wstring error(u"error: объект '");
    error += object_name;
    error += u"' не найден!";
    return error;
  }
  return method_source(found->SourceText(), Normalised(text.Mid(dot + 1, wstring::text_end)));
}

void session::BuildCommandTree(context& ctx) {
  parsed_string command(*world_, interpreter_, engine_.Rules());
  command.SetLine(current_command);
  ide_command_tree = command.DescribeWords(ctx);
}

object* session::QueriedEntity(const wstring& name) const {
  if (name.IsEmpty()) return nullptr;
  const char16_t mark = name[0];
  if (mark == u'$' || mark == u'@') {
    const wstring plain = context::NormalisedName(name.Mid(1, wstring::text_end));
    return mark == u'$' ? world_->FindWord(plain) : world_->FindClass(plain);
  }
  const wstring plain = context::NormalisedName(name);
  object* found = world_->FindObject(plain);
  return found ? found : world_->FindClass(plain);
}

// Straight to the host, as the text is, and only to the session that
// asked: other players have no business with an author's queries.
void session::TellAuthor(const char16_t* message) { engine_.Print(id_, u"print", wstring(message)); }

void session::AddIdeMember(const char16_t* key, const wstring& json) {
  if (!ide_reply.IsEmpty()) ide_reply += u',';
  ide_reply += u'"';
  ide_reply += key;
  ide_reply += u"\":";
  ide_reply += json;
}

void session::EscapeIdeReply() {
  static const char16_t hex[] = u"0123456789abcdef";
  wstring escaped;
  for (int i = 0; i < ide_reply.Length(); ++i) {
    const char16_t c = ide_reply[i];
    if (c == u'\r') continue;
    if (c == u'\n') {
      escaped += u"\\r\\n";
    } else if (c == u'\t') {
      escaped += u"\\t";
    } else if (c < 0x20) {
      escaped += u"\\u00";
      escaped += hex[c >> 4];
      escaped += hex[c & 15];
    } else {
      escaped += c;
    }
  }
  ide_reply = escaped;
}
