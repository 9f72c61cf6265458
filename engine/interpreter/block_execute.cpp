// Running a block's lines: sections, text mode, statements.

#include "block.h"
#include "context.h"
#include "interpreter.h"
#include "keyword_table.h"
#include "statements.h"
#include "world.h"

namespace {

constexpr int max_block_calls = 10000;

// The header names the section when, the names taken out, nothing of a
// name is left in it.
bool names_section(const wstring& header, const wstring& name) {
  if (name.IsEmpty()) return false;
  wstring rest = context::NormalisedName(header);
  if (rest.Replace(context::NormalisedName(name).Text(), u"") == 0) return false;
  for (char16_t c : rest)
    if (c && is_name_char(c)) return false;
  return true;
}

bool is_single_line(const wstring& line) { return line.FindAny(u"\r\n") < 0; }

// Where the walk through the lines stands: which sections run and how.
struct section_state {
  enum mode { code, text, skipping };

  bool named;
  bool active;
  bool matched = false;
  mode how;

  // False when the header ends the run.
  bool Follow(const wstring& header, const wstring& first, const wstring& second) {
    if (block::IsLabelledSection(header)) {
      if (!named || matched) return false;
      active = names_section(header, first) || names_section(header, second);
      matched = active;
    }
    if (active) how = header[0] == u'=' ? text : (header[0] == u'-' ? code : skipping);
    return true;
  }
};

}  // namespace

value block::Execute(interpreter& in, context& ctx, const value& default_result, const wstring& first_section,
                     const wstring& second_section) {
  interpreter::depth_guard level(in);
  if (in.Host().CountBlockCall() > max_block_calls) throw u"block::Execute() превышен лимит вызванных функций!";
  const bool named = !first_section.IsEmpty() || !second_section.IsEmpty();
  section_state sections{named, kind_ == first_line_kind || !named, false,
                      kind_ == text_kind ? section_state::text : section_state::code};
  if (Lines().Count() == 0) return value();

  ctx.state = context::stop_none;
  value result;
  for (int i = 0; i < Lines().Count(); ++i) {
    // Held: running code may add to this block's text, which replaces the
    // lines.
    const std::shared_ptr<const line_array> held = lines_;
    const wstring& line = (*held)[i];
    if (IsSectionLine(line)) {
      if (!sections.Follow(line, first_section, second_section)) break;
      continue;
    }
    if (!sections.active || sections.how == section_state::skipping) continue;
    in.Host().SetCurrentLine(line);
    if (sections.how == section_state::text && is_single_line(line) && line[0] != u'{') {
      wstring out(u"\n");
      out += in.ComputedText(line, ctx);
      in.Host().Print(out);
      continue;
    }
    result = RunStatement(in, ctx, line, false, true, i, *this);
    if (ctx.state != context::stop_none) break;
    if (result.Type() == kw::type_bool && result.Code() == kw::result_fail) break;
  }
  return named && !sections.matched && kind_ != first_line_kind ? default_result : result;
}
