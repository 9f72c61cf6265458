#pragma once

#include <cstdint>
#include <memory>

#include "c_index.h"
#include "code_runner.h"
#include "context.h"
#include "fn_list_item.h"
#include "object.h"
#include "output_words.h"
#include "prepform.h"
#include "value_world.h"
#include "world_services.h"
#include "wstring.h"

class obj_word;
class location;
class operator_host;

// An entity by its identifier; the world owns its entities here.
struct object_id_list_item {
  int32_t id = 0;
  std::unique_ptr<object> entity;
  void SetKey(int key) { id = key; }
  int CompareKey(int key) const { return id < key ? -1 : (id > key ? 1 : 0); }
};

// An entity by its normalised name.
struct object_name_list_item {
  wstring name;
  object* entity = nullptr;
  void SetKey(const char16_t* key) { name = key; }
  int CompareKey(const char16_t* key) const { return name.Compare(key); }
};

// The entity an index holds under the normalised name, or null.
inline object* find_named(const c_index<object_name_list_item, const char16_t*>& index, const wstring& name) {
  int pos;
  return index.Find(name.Text(), pos) ? index[pos].entity : nullptr;
}

// Entities sharing a normalised name.
struct name_list_item {
  wstring name;
  c_array<object*, object*> entities;
  void SetKey(const char16_t* key) { name = key; }
  int CompareKey(const char16_t* key) const { return name.Compare(key); }
};

// The entities that have a word form of this text, with the form's key.
struct word_form_list_item {
  struct owner {
    object* entity = nullptr;
    wstring key;
    void SetKey(object* e) { entity = e; }
    int CompareKey(object* e) const { return entity == e ? 0 : (entity < e ? -1 : 1); }
  };
  wstring text;
  c_array<owner, object*> owners;
  void SetKey(const char16_t* key) { text = key; }
  int CompareKey(const char16_t* key) const { return text.Compare(key); }
};

// One loaded game: the root context that owns every entity, with the
// indexes by which names find them.
class world : public context, public value_world, public output_words {
 public:
  explicit world(const wstring& name);
  ~world() override;

  // Creates an entity of the type's class (location, obj_word or object)
  // and registers it; raises the creation messages.
  object* Create(context* where, int type, bool inside, const wstring& name);
  // Releases an entity and everything the world knows of it.
  void Destroy(object* entity);
  // Set while every entity is being released: they need not leave the
  // indexes and each other one by one.
  bool Dismantling() const { return dismantling_; }

  // A copy of the world as it stands between commands (no code running in
  // it): the same entities under the same identifiers, every value, place
  // and index pointing into the copy, and the same services. Snapshots for
  // undo and restore are made so; a copy is itself copied to be played on.
  std::unique_ptr<world> Copy() const;
  // A digest of what the game can change: the entities (words aside, which
  // the dictionary adds as players type them) with their places,
  // properties (temporary ones aside), classes and exits, and the global
  // variables.
  uint64_t StateDigest() const;

  object* FindById(int32_t id) const;
  object* FindObject(const wstring& normalised_name) const;
  object* FindClass(const wstring& normalised_name) const;
  obj_word* FindPreposition(const wstring& normalised_name) const;

  // The entity whose code holds the method: the holder, or the nearest of
  // its classes that has it; null when none does.
  static object* MethodHolder(object& holder, const wstring& name);

  // Compares two argument types of game functions as classes: whether a
  // derives from b and whether b derives from a. Raises the messages of a
  // type or class that cannot be found.
  void CmpArgAsCls(int32_t a, int32_t b, bool& a_is_b, bool& b_is_a);

  // Resolves a name as written in code: "$" a word, "@" a class, plain an
  // object (else a class); unless quiet, a word form leads to the one
  // entity owning it. Raises the ambiguity and not-found messages.
  object* GetObjectByName(const wstring& name, bool quiet);

  // The game file: stored as given, resolved to its full path, whose
  // folder becomes the directory; raises "error:GetFullPathName(FileName)".
  void SetFileName(const wstring& name);
  const wstring& FileName() const { return file_name_; }
  const wstring& FilePart() const { return file_part_; }
  // Empties the world and loads the game file into it; the include's
  // result, or ok "создан новый мир" when no file is named.
  value Load();

  // Appends a line to a log file under the game folder, unless the
  // collector takes it.
  void AppendLog(const wstring& file_name, const wstring& text);
  // Appends seven fields as one tab-separated row.
  void AppendLogRecord(const wstring& file_name, const wstring (&fields)[7]);
  // Notes a word a player used that the game has no noun for in
  // "logs\out_nouns.log", once per word.
  void LogUnknownNoun(const wstring& word);
  // Declares the name from the dictionary when it knows the word; true when
  // something was declared.
  bool LookUpInDictionary(const wstring& name);

  // The folder of the game file, ending in a separator; includes are read
  // from it (and ".kvl" libraries also from "lib\" in the current folder).
  const wstring& Directory() const { return directory_; }
  void SetDirectory(const wstring& directory) { directory_ = directory; }
  c_array<wstring, wstring>& SourceFiles() { return source_files_; }

  // The interpreter that runs the world's code; null: no code runs.
  code_runner* Runner() const override { return runner_; }
  void SetRunner(code_runner* runner) { runner_ = runner; }

  // What character speech and commands told to characters go through;
  // null: those operators refuse.
  operator_host* OperatorHost() const { return operator_host_; }
  void SetOperatorHost(operator_host* host) { operator_host_ = host; }

  // The session's player character (entity identifier, 0 for none).
  int32_t player = 0;
  // The current plan, set by the plane operator; kept with the world rather
  // than engine-wide, so sessions do not share it.
  wstring current_plane;
  // Set while the game file is being loaded: functions declared meanwhile
  // belong to the library.
  bool loading = false;
  // The game functions declared in this world.
  fn_list_item functions{*this};
  // Declarations run twice when they refer forward: 0 normally, 1 in the
  // first pass (things made, no code run), 2 in the second (code run,
  // function synonyms declared).
  int declaration_pass = 0;
  // The dictionary that declares unknown words; null: none does.
  dictionary_lookup* dictionary = nullptr;
  // Takes log lines the session still holds back; null: all are written.
  log_collector* collector = nullptr;
  // Nouns written to the noun log already, in this or an earlier load.
  c_index<wstring, wstring> logged_nouns;
  // The dictionary's word entries by text (binary search by text).
  c_index<wstring, wstring> word_list;
  // The dictionary's articles taken into this world, and the words looked
  // up in it (normalised); both are emptied when the game loads again, so
  // a reloaded game takes its words afresh.
  c_index<int, int> taken_articles;
  c_index<wstring, wstring> looked_up_words;

  // Where the engine names the file being read, for crash reports: the
  // session points it at its label; null names nothing.
  wstring* file_label = nullptr;
  // Source files being included inside one another now.
  int include_depth = 0;
  // A digest of the source texts included since the game began loading:
  // it tells one version of a game from another.
  uint64_t source_digest = 0;

  // value_world
  wstring EntityName(const object* entity) const override;
  int EntityType(const object* entity) const override;
  bool GetForm(const object* entity, const key_matrix& keys, wstring& text, int& best) const override;
  c_array<object*, object*> LinkedWords(const object* entity) const override;
  // The word entity of that name (normalised), or null.
  object* FindWord(const wstring& name) const override;
  bool GetTitle(const object* entity, value& title) const override;
  bool CallGetForm(object* holder, const value& subject, context* ctx, wstring& text) override;
  bool GetExitText(context* ctx, int direction, wstring& text) override;
  void AddEntityKeys(const object* entity, key_matrix& keys) const override;

  // output_words
  bool PrepositionForm(const wstring& word, const wstring& next, wstring& form) const override;

  // Indexes (kept up to date by entities as they are created, renamed and
  // destroyed).
  c_index<object_id_list_item, int> ids;
  c_index<object_name_list_item, const char16_t*> objects;       // object, attribute, relation, act, location
  c_index<object_name_list_item, const char16_t*> classes;
  c_index<object_name_list_item, const char16_t*> words;
  c_index<object_name_list_item, const char16_t*> prepositions;
  // Objects, locations, attributes, relations, acts and classes by name.
  c_index<name_list_item, const char16_t*> names;
  // Word forms (normalised text) and whose they are.
  c_index<word_form_list_item, const char16_t*> word_forms;
  // Prepositions by their names and form texts.
  prepform_index prepforms;

 private:
  // Drops the identifier entry at pos, then the entity it owned.
  void ReleaseEntry(int pos);

  void ReleaseEntities();
  void ClearForLoad();
  void ReadLoggedNouns();
  void LogNounLine(const wstring& noun, const wstring& line);

  wstring name_;
  wstring file_name_;
  wstring file_part_;
  wstring directory_;
  c_array<wstring, wstring> source_files_;
  code_runner* runner_ = nullptr;
  operator_host* operator_host_ = nullptr;
  bool dismantling_ = false;
};
