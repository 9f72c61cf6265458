#include "code_cache.h"

std::shared_ptr<block> code_cache::Block(const wstring& source) {
  auto found = blocks_.find(View(source));
  if (found != blocks_.end()) return found->second;
  auto code = std::make_shared<block>(source);
  MakeRoom(blocks_);
  blocks_.emplace(View(source), code);
  return code;
}

lxms code_cache::Expression(const wstring& text) {
  auto found = expressions_.find(View(text));
  if (found != expressions_.end()) return found->second;
  lxms expression;
  expression.Parse(text);
  MakeRoom(expressions_);
  expressions_.emplace(View(text), expression);
  return expression;
}
