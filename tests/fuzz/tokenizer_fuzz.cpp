// The scanner over any text with each character table the engine scans
// with, and the helpers that trim and unquote.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "block.h"
#include "fuzz_input.h"
#include "lxms.h"
#include "parsed_string.h"
#include "tokenizer.h"

namespace {

// Checks that every lexeme lies inside the scanned text and reads it whole,
// so that the sanitizer sees any read past it.
class lexeme_checker : public tokenizer {
 public:
  lexeme_checker(const wchar_set& set, const wstring& text) : tokenizer(set), text_(text) {}

  void Scan() { tokenizer::Scan(text_.Text()); }

 private:
  bool OnLexeme(const char16_t* start, int length, bool, char16_t) override {
    const char16_t* begin = text_.Text();
    if (start < begin || length < 0 || start + length > begin + text_.Length()) std::abort();
    unsigned sum = 0;
    for (int i = 0; i < length; ++i) sum += start[i];
    checksum_ += sum;
    return false;
  }

  const wstring& text_;
  unsigned checksum_ = 0;
};

wchar_set table(uint8_t choice) {
  switch (choice % 5) {
    case 0: return block::LineTable();
    case 1: return lxms::ExpressionTable();
    case 2: return parsed_string::InputClasses();
    case 3: return wchar_set::Output();
    default: return wchar_set::GameCode();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::optional<fuzz::chosen_text> input = fuzz::choice_and_text(data, size);
  if (!input) return 0;
  const wstring& text = input->text;
  lexeme_checker scanner(table(input->choice), text);
  fuzz::run_catching_engine_errors([&] { scanner.Scan(); });
  scanner.HasNoWordChars(text.Text());
  wstring trimmed(text);
  scanner.TrimSeparators(trimmed);
  fuzz::run_catching_engine_errors([&] { scanner.StripBrackets(trimmed); });
  return 0;
}
