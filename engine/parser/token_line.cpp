#include "token_line.h"

#include "context.h"

token_line::token_line(parsed_string& owner, token_line* parent) : owner_(owner), parent_(parent) {
  if (!parent_) throw u"token_line::token_line() invalid Prnt!";
  ++parent_->child_count_;
  for (int n = 0; n < 3; ++n) characters[n] = parent_->characters[n];
}

token_line::token_line(parsed_string& owner) : owner_(owner), parent_(nullptr) {}

// Lines are deleted children first, so the parent is still there.
token_line::~token_line() {
  if (parent_) --parent_->child_count_;
}

void token_line::CheckDeletable() const {
  if (child_count_ != 0) throw u"token_line::~token_line() ChildCount!=0";
}

void token_line::TakeFromParent() {
  Clear();
  const token_line& parent = *parent_;
  int first_after = parent.j < parent.Count() ? parent.j : parent.Count();
  for (int n = 0; n < parent.i && n < parent.Count(); ++n) Insert(Count(), parent[n]);
  if (parent.joined.meanings.Count() > 0) Insert(Count(), parent.joined);
  for (int n = first_after; n < parent.Count(); ++n) Insert(Count(), parent[n]);
}

void token_line::TakeRuleState(const token_line& sibling) {
  k = sibling.k;
  i = sibling.i;
  j = sibling.j;
}

void token_line::AddError(const wstring& text, int32_t weight) {
  int pos = errors.Count();
  while (pos > 0 && errors[pos - 1].weight > weight) --pos;
  error_item& item = errors.Insert(pos, error_item());
  item.text = text;
  item.weight = weight;
}

int32_t token_line::HighestErrorWeight() const {
  return errors.Count() == 0 ? 0 : errors[errors.Count() - 1].weight;
}

void token_line::CopyCharactersFrom(const context& ctx) {
  for (int n = 0; n < 3; ++n) characters[n] = ctx.characters[n];
}

void token_line::CopyCharactersTo(context& ctx) const {
  for (int n = 0; n < 3; ++n) ctx.characters[n] = characters[n];
}
