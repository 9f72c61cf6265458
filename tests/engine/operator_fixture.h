#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "context.h"
#include "keyword_table.h"
#include "location.h"
#include "object.h"
#include "operation.h"
#include "operator_host.h"
#include "test_support.h"
#include "value.h"
#include "world.h"

// A session stand-in for speech and commands told to characters.
class recording_operator_host : public operator_host {
 public:
  void Print(const wstring& text) override { printed.push_back(text.Text()); }

  told TellCharacter(object& character, const wstring& command, context&, wstring& parse_error) override {
    told_to.push_back({&character, command.Text()});
    parse_error = error;
    return outcome;
  }

  told outcome = told::executed;
  wstring error;
  std::vector<std::u16string> printed;
  std::vector<std::pair<object*, std::u16string>> told_to;
};

// A world with code running in its global context.
class operator_test : public ::testing::Test {
 protected:
  object* Make(int type, const char16_t* name) { return home.Create(nullptr, type, true, name); }
  location* Room(const char16_t* name) { return static_cast<location*>(Make(kw::type_location, name)); }
  static value Of(object* entity) { return value::Entity(entity->Type(), entity); }
  static value Marked(value v, const char16_t* key) {
    v.SetKeyText(key);
    return v;
  }
  static value List(int type, std::initializer_list<value> items) {
    value list;
    for (const value& item : items) list.AddToList(type, item, false);
    return list;
  }

  // The result of an operator that applies.
  value Op(const value& left, const char16_t* op, const value& right, bool action = false) {
    value result = value::String(u"не вычислено");
    EXPECT_TRUE(Operation(result, left, right, op, action, code)) << utf8(op);
    return result;
  }
  bool Applies(const value& left, const char16_t* op, const value& right, bool action = false) {
    value result = value::String(u"не тронуто");
    bool applies = Operation(result, left, right, op, action, code);
    if (!applies) {
      EXPECT_EQ(result.Text(), u"не тронуто") << "a refused operation touched its result";
    }
    return applies;
  }
  // A value as the player reads it: a truth with its comment is "да, равно".
  std::string Text(const value& v) {
    bool missing;
    wstring text = v.ToString(&home, &code, nullptr, 0, missing);
    return utf8(text.Text());
  }
  std::string Said(const value& left, const char16_t* op, const value& right, bool action = false) {
    return Text(Op(left, op, right, action));
  }

  world home{u"игра"};
  context code{&home, kw::type_context, &home};
};
