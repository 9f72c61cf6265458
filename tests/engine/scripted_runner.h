#pragma once

#include <string>
#include <vector>

#include "code_runner.h"
#include "context.h"
#include "keyword_table.h"
#include "object.h"

// An interpreter stand-in: code lines are source lines, sources and
// methods are recorded, and methods answer what the test set.
class scripted_runner : public code_runner {
 public:
  struct method_call {
    object* entity;
    std::u16string section;
    value subject;          // "_object" in the calling context
    value russian_subject;  // "_объект"
    context* caller;        // the parent of the calling context
  };

  c_array<wstring, wstring> CodeLines(const wstring& source) override {
    c_array<wstring, wstring> lines;
    int start = 0;
    for (int end; (end = source.Find(u'\n', start)) >= 0; start = end + 1)
      lines.Insert(lines.Count(), source.Mid(start, end - start));
    lines.Insert(lines.Count(), source.Mid(start, wstring::text_end));
    return lines;
  }

  value RunSource(const wstring& source, context& ctx) override {
    sources.push_back(source.Text());
    source_contexts.push_back(&ctx);
    return value::Keyword(kw::result_ok);
  }

  value RunMethod(object& entity, const wstring& section, context& ctx) override {
    calls.push_back({&entity, section.Text(), Read(ctx, u"_object"), Read(ctx, u"_объект"), ctx.Parent()});
    return answer;
  }

  value Evaluate(variable&, context&, context&) override { return value(); }
  // Nothing it runs nests or builds values.
  void EnterLevel() override {}
  void LeaveLevel() override {}
  void ChargeMemory(size_t) override {}

  value answer = value::Keyword(kw::result_ok);
  std::vector<std::u16string> sources;
  std::vector<context*> source_contexts;
  std::vector<method_call> calls;

 private:
  static value Read(context& ctx, const char16_t* name) {
    variable* found = ctx.FindVariable(name);
    return found ? found->content : value();
  }
};
