#pragma once

#include <memory>

#include "block.h"
#include "c_index.h"
#include "fn_arg.h"
#include "value.h"
#include "wstring.h"

class context;
class interpreter;
class object;
class token_line;

// The sections of a function body that dispatch runs; each is found under
// its English or its Russian name.
enum class fn_section { parsing, check, execute };

// How arguments are bound: while the functions are tried, fixing the binding
// for execution (saving each token's argument and meaning), or executing
// the saved binding.
enum class bind_mode { parsing, fix, execute };

// One declared game function.
class fn_it {
 public:
  void SetKey(const fn_args& key) { args = key; }
  int CompareKey(const fn_args& key) const { return args.CompareKey(key); }

  // Runs one section of the body in ctx; default_result when the body has
  // no such section.
  value Run(interpreter& in, context& ctx, fn_section section, const value& default_result) const;

  // Defines the argument variables in ctx from the count tokens of the line
  // from first on, the unused arguments and the synonym's extra names
  // empty, and "_text" and "_текст" as the matched words; the entity of the
  // first bound act, or null.
  object* SetArgs(context& ctx, token_line& line, int first, int count, bind_mode mode) const;

  fn_args args;
  // kw::fn_expression, kw::fn_action or kw::fn_fact.
  int kind = 0;
  // The argument description as declared.
  wstring declaration;
  // Held by pointer so that a run keeps it alive while its own code
  // redeclares the function or moves it in the function list.
  std::shared_ptr<block> body;
  // For a synonym: the declaration text of the function it stands for.
  wstring second_text;
  // For a synonym: names the body reads that the synonym's own arguments
  // lack; they are defined empty when it runs.
  c_index<wstring, wstring> extra_names;
  // Declared while the game was loading; a running game may redefine it
  // once.
  bool library = false;
};
