#pragma once

#include <map>
#include <string>
#include <vector>

#include "calc.h"
#include "codepage.h"
#include "interpreter.h"
#include "interpreter_host.h"
#include "lxms.h"
#include "world.h"

// A session stand-in for running game code: output and host calls are
// recorded, flags and counters kept here.
class code_host : public interpreter_host {
 public:
  struct host_call {
    std::u16string name, first, second;
  };

  void Print(const wstring& text) override { printed += text.Text(); }
  told TellCharacter(object&, const wstring&, context&, wstring& parse_error) override {
    if (told_answer == told::unparsable) parse_error = u"не понял";
    return told_answer;
  }
  bool CallHostFunction(const wstring& name, const wstring& first, const wstring& second,
                        wstring& result) override {
    auto found = functions.find(name.Text());
    if (found == functions.end()) return false;
    calls.push_back({name.Text(), first.Text(), second.Text()});
    result = found->second.c_str();
    return true;
  }
  void SetInGame(bool on) override { in_game = on; }
  bool StrictErrors() const override { return strict; }
  int CountBlockCall() override { return block_calls++; }
  void SetPendingRun(const wstring& path) override { pending_run = path.Text(); }
  void SetCurrentLine(const wstring& line) override { current_line = line.Text(); }
  bool ExecuteCommand(context&, const wstring& text, value& result) override {
    if (!has_parser) return false;
    commands.push_back(text.Text());
    result = command_answer;
    return true;
  }

  std::u16string printed;
  told told_answer = told::unparsable;
  std::map<std::u16string, std::u16string> functions;  // name -> answer
  std::vector<host_call> calls;
  bool in_game = false;
  bool strict = false;
  int block_calls = 0;
  std::u16string pending_run;
  std::u16string current_line;
  bool has_parser = false;
  std::vector<std::u16string> commands;
  value command_answer = value::Keyword(kw::result_ok);
};

// A world whose code runs, in its global context.
struct code_world {
  code_world() {
    home.SetRunner(&in);
    home.SetOperatorHost(&host);
  }

  // Runs the code as one command.
  value Run(const char16_t* code) {
    in.StartCommand();
    return in.RunSource(code, home);
  }

  // The first alternative of the expression, computed in ctx.
  bool Compute(const char16_t* expression, bool action, value& result) { return Compute(home, expression, action, result); }
  bool Compute(context& ctx, const char16_t* expression, bool action, value& result) {
    lxms lexemes;
    lexemes.Parse(expression);
    lexemes.Next();
    return Calc(in, ctx, lexemes.Line(), action, result);
  }

  // The short text of an expression's value; "<uncomputable>" when it has none.
  std::string Text(const char16_t* expression, bool action = true) {
    value result;
    if (!Compute(expression, action, result)) return "<uncomputable>";
    return Text(result);
  }
  std::string Text(const value& v) {
    wstring text = v.ShortText(&home);
    return encode_utf8(text.Text(), size_t(text.Length()));
  }

  object* Create(int type, const char16_t* name) { return home.Create(&home, type, true, name); }

  code_host host;
  interpreter in{host};
  world home{u"test"};
};
