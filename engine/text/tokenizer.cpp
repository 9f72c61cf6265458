#include "tokenizer.h"

#include <array>
#include <cstdint>
#include <vector>

// How the scan stays linear.
//
// Read literally, the scan walks a group from its opening character to the
// end of the text and, when the group is never closed, hands the opening
// character on alone and starts again at the character after it. Done
// literally, 100000 unclosed "(" take 100000 walks over the rest of the text.
//
// The walk inside brackets is deterministic: from a position where a step
// begins (not the second half of a backslash pair), with a given character
// on top of the stack and a given answer to "is the first entry of the
// stack a '<'" (which decides whether a line break ends the walk), the
// position where that top is popped, or the failure of the whole group, is
// always the same. So every step position a walk visits is marked with the
// walk's number, per top character and line-break mode, and the walk's
// outcome is kept with its number: a later walk that reaches a marked
// position takes the outcome at once. In the same way, the steps of a word
// outside brackets (a word can carry groups when its table has the classes
// "`" and "{") are marked, so that the letters before a group that never
// closes are not walked again for each letter handed on. Every position is
// therefore visited at most once per kind of walk, and there are at most
// 2 * 210 + 1 kinds.
class tokenizer::scanner {
 public:
  scanner(tokenizer& owner, const char16_t* text)
      : owner_(owner), set_(owner.set_), text_(text), n_(wide_length(text)) {
    slot_of_.fill(-1);
    for (int i = 0; i < wchar_set::table_size; ++i) {
      char16_t cls = set_.Classes()[i];
      if (cls == u'`' || cls == u'{') words_carry_groups_ = true;
    }
    if (words_carry_groups_) word_memo_.assign(size_t(n_) + 2, -1);
  }

  void Run();

 private:
  // The outcome of a walk. A walk inside brackets ends at the position
  // where its top is popped (at) or fails at the end of the text or at a
  // line break (fail, at). A word ends at the first position that does not
  // continue it (at) or fails on a group that is never closed (fail, at the
  // failing position, bottom the position of the group's opening
  // character).
  struct outcome {
    int32_t at = 0;
    int32_t bottom = 0;
    bool fail = false;
    bool done = false;
  };
  struct frame {
    char16_t top;
    bool quote;       // the top is a quote, not a bracket
    int32_t walk;
    int32_t* marks;   // the step marks of walks under this top
  };

  static bool IsOpener(char16_t cls) {
    return cls == u'(' || cls == u'{' || cls == u'\'' || cls == u'`' || cls == u'<';
  }
  static bool IsCloser(char16_t cls) { return cls == u')' || cls == u'}' || cls == u'>'; }
  static bool ContinuesWord(char16_t cls) {
    return cls == u'L' || cls == u'R' || cls == u'@' || cls == u'N' || cls == u'D';
  }

  // The character after position x, never reading past the terminator.
  char16_t Next(int x) const { return text_[x] ? text_[x + 1] : char16_t(0); }

  // Step 1: a "-" of class "+" between two Latin or two Russian letters
  // belongs to the word.
  char16_t Hyphen(int x, char16_t cls) const {
    if (cls == u'+' && text_[x] == u'-' && x > 0) {
      char16_t before = set_.TableClass(text_[x - 1]);
      char16_t after = set_.TableClass(text_[x + 1]);
      if ((before == u'L' && after == u'L') || (before == u'R' && after == u'R')) return u'@';
    }
    return cls;
  }
  // The class of the character at x as the scan takes it, remembered as
  // the previous class.
  char16_t TakeClass(int x) { return Hyphen(x, set_.GetClass(text_[x], Next(x))); }
  // The class of the character at x for the walks, which do not depend on
  // what came before it (the dice class only sets a word's kind).
  char16_t WalkClass(int x) const { return Hyphen(x, set_.Classify(text_[x], Next(x), 0)); }

  int32_t NewWalk() {
    outcomes_.push_back(outcome{});
    return int32_t(outcomes_.size() - 1);
  }
  int32_t* Marks(char16_t top, bool angle);
  frame Frame(char16_t top, bool angle) {
    char16_t cls = set_.TableClass(top);
    return frame{top, cls == u'\'' || cls == u'`', NewWalk(), Marks(top, angle)};
  }

  // The walk inside brackets after the opening character top at q - 1,
  // for the lexeme that starts at lexeme_start; angle when the first entry
  // of the stack is "<".
  outcome Walk(int q, char16_t top, bool angle, int lexeme_start);
  // Where the word (or number) whose step begins at start ends.
  outcome WordWalk(int start, int lexeme_start);

  // Hands a lexeme to the owner; true when the owner stops the scan.
  bool Hand(int start, int length, bool pure_russian, char16_t kind) {
    return owner_.OnLexeme(text_ + start, length, pure_russian, kind);
  }
  // A group (or a word's group) that is never closed: raises the message
  // for "{" or hands the lexeme's first character on alone as kind ",".
  bool Unclosed(int start, const outcome& failed, int bottom);
  // Step 3 for a word or number whose first character at start is of class
  // first_class; sets next to the position after it.
  bool Word(int start, char16_t first_class, int& next);

  [[noreturn]] void WrongBracket(int lexeme_start, int x, char16_t top, char16_t closer) const {
    wstring message;
    message.Append(text_ + lexeme_start, x - lexeme_start + 1);
    message += u" \n- неверно закрыта скобка ";
    message += top;
    message += closer;
    throw message;
  }

  tokenizer& owner_;
  wchar_set& set_;
  const char16_t* text_;
  int n_;
  bool words_carry_groups_ = false;

  std::vector<outcome> outcomes_;
  std::vector<frame> frames_;
  // Per table entry of a top character and line-break mode: the index of
  // its marks in walk_marks_, or -1.
  std::array<int16_t, 2 * wchar_set::table_size> slot_of_;
  std::vector<std::vector<int32_t>> walk_marks_;
  std::vector<int32_t> word_memo_;
};

int32_t* tokenizer::scanner::Marks(char16_t top, bool angle) {
  // Only characters of the table are ever pushed: every other character is
  // of class "@".
  int index = wchar_set::TableIndex(top);
  if (index < 0) throw u"tokenizer::Scan() скобка вне таблицы!";
  int16_t& slot = slot_of_[size_t(index * 2 + (angle ? 1 : 0))];
  if (slot < 0) {
    slot = int16_t(walk_marks_.size());
    walk_marks_.emplace_back(size_t(n_) + 2, -1);
  }
  return walk_marks_[size_t(slot)].data();
}

tokenizer::scanner::outcome tokenizer::scanner::Walk(int q, char16_t top, bool angle,
                                                     int lexeme_start) {
  frames_.clear();
  frames_.push_back(Frame(top, angle));
  int x = q;
  for (;;) {
    const frame& current = frames_.back();
    outcome result;
    int32_t seen = current.marks[x];
    if (seen >= 0 && outcomes_[size_t(seen)].done) {
      result = outcomes_[size_t(seen)];
    } else {
      current.marks[x] = current.walk;
      char16_t c = text_[x];
      if (c == u'\\' && text_[x + 1] != 0) {
        x += 2;
        continue;
      }
      if (c == 0 || (c == u'\n' && angle)) {
        result.at = x;
        result.fail = true;
      } else if (current.quote) {
        if (c != current.top) {
          bool expression = current.top == u'"' && c == u'{';
          ++x;
          if (expression) frames_.push_back(Frame(c, angle));
          continue;
        }
        result.at = x;
      } else {
        char16_t cls = WalkClass(x);
        if (IsOpener(cls)) {
          ++x;
          frames_.push_back(Frame(c, angle));
          continue;
        }
        if (!IsCloser(cls)) {
          ++x;
          continue;
        }
        if (set_.GetCloseBracket(current.top) != c) WrongBracket(lexeme_start, x, current.top, c);
        result.at = x;
      }
    }
    // The walk on top of the stack has its outcome.
    result.done = true;
    outcomes_[size_t(current.walk)] = result;
    frames_.pop_back();
    if (frames_.empty()) return result;
    if (result.fail) {
      // A failure is the failure of every group still open.
      for (const frame& f : frames_) outcomes_[size_t(f.walk)] = result;
      frames_.clear();
      return result;
    }
    x = result.at + 1;
  }
}

tokenizer::scanner::outcome tokenizer::scanner::WordWalk(int start, int lexeme_start) {
  outcome result;
  if (!words_carry_groups_) {
    // No groups inside words: a word can only end.
    int y = start;
    while (text_[y] && ContinuesWord(WalkClass(y))) ++y;
    result.at = y;
    return result;
  }
  int32_t walk = NewWalk();
  int y = start;
  for (;;) {
    int32_t seen = word_memo_[size_t(y)];
    if (seen >= 0 && outcomes_[size_t(seen)].done) {
      result = outcomes_[size_t(seen)];
      break;
    }
    word_memo_[size_t(y)] = walk;
    char16_t c = text_[y];
    if (c == 0) {
      result.at = y;
      break;
    }
    char16_t cls = WalkClass(y);
    if (ContinuesWord(cls)) {
      ++y;
    } else if (cls == u'`' || cls == u'{') {
      outcome group = Walk(y + 1, c, c == u'<', lexeme_start);
      if (group.fail) {
        result.at = group.at;
        result.bottom = y;
        result.fail = true;
        break;
      }
      y = group.at + 1;
    } else {
      result.at = y;
      break;
    }
  }
  result.done = true;
  outcomes_[size_t(walk)] = result;
  return result;
}

bool tokenizer::scanner::Unclosed(int start, const outcome& failed, int bottom) {
  if (text_[bottom] == u'{') throw "В коде есть незакрытые скобки {}";
  // The scan took the class of the character where the group failed.
  set_.GetClass(text_[failed.at], Next(failed.at));
  return Hand(start, 1, false, u',');
}

bool tokenizer::scanner::Word(int start, char16_t first_class, int& next) {
  outcome word = WordWalk(start, start);
  if (word.fail) {
    next = start + 1;
    return Unclosed(start, word, word.bottom);
  }
  int end = word.at;
  bool has_latin = false;
  bool has_russian = false;
  bool pure_russian = false;
  char16_t kind = u'L';
  int x = start;
  char16_t cls = first_class;
  for (;;) {
    switch (cls) {
      case u'L':
        has_latin = true;
        kind = u'L';
        break;
      case u'R':
        has_russian = true;
        if (x == start) pure_russian = true;
        kind = u'L';
        break;
      case u'@':
        if (text_[x] != u'-') pure_russian = false;
        kind = u'L';
        break;
      case u'N':
        pure_russian = false;
        if (x == start) kind = u'N';
        break;
      case u'D':
        kind = u'D';
        break;
      case u'`':
      case u'{': {
        // The group was walked already: jump over it and take the class of
        // its closing character, as the scan did.
        outcome group = Walk(x + 1, text_[x], text_[x] == u'<', start);
        x = group.at;
        set_.GetClass(text_[x], Next(x));
        break;
      }
      default:
        break;
    }
    ++x;
    if (x >= end) break;
    cls = TakeClass(x);
  }
  if (has_latin && has_russian) {
    wstring message(u"лексема '");
    message.Append(text_ + start, end - start);
    message += u"' содержит и русские и латинские буквы!";
    throw message;
  }
  next = end;
  return Hand(start, end - start, pure_russian, kind);
}

void tokenizer::scanner::Run() {
  set_.ResetPrevious();
  int i = 0;
  for (;;) {
    char16_t c = text_[i];
    char16_t cls = TakeClass(i);
    if (c == 0) return;
    bool stop = false;
    switch (cls) {
      case u'_':
        ++i;
        break;
      case u'?':
        throw u"недопустимый символ в строке!";
      case u'/': {
        // A line comment: up to the line feed, which stays.
        while (text_[i] && text_[i] != u'\n') ++i;
        break;
      }
      case u'L':
      case u'@':
      case u'R':
      case u'N':
      case u'`':
      case u'{':
        stop = Word(i, cls, i);
        break;
      case u'<':
        if (set_.TableClass(text_[i + 1]) != u'L' && text_[i + 1] != u'/') {
          stop = Hand(i, 1, false, u',');
          ++i;
          break;
        }
        [[fallthrough]];
      case u'\'':
      case u'(': {
        outcome group = Walk(i + 1, c, c == u'<', i);
        if (group.fail) {
          stop = Unclosed(i, group, i);
          ++i;
        } else {
          set_.GetClass(text_[group.at], Next(group.at));
          stop = Hand(i, group.at - i + 1, false, c);
          i = group.at + 1;
        }
        break;
      }
      case u'>':
        stop = Hand(i, 1, false, u',');
        ++i;
        break;
      default:
        stop = Hand(i, 1, false, cls);
        ++i;
        break;
    }
    if (stop) return;
  }
}

// ---------------------------------------------------------------- tokenizer

void tokenizer::Scan(const char16_t* text) {
  if (!text) text = u"";
  scanner(*this, text).Run();
}

bool tokenizer::HasNoWordChars(const char16_t* text) {
  if (!text) return true;
  char16_t previous = 0;
  for (int i = 0; text[i]; ++i) {
    previous = set_.Classify(text[i], text[i + 1], previous);
    if (previous == u'N' || previous == u'L' || previous == u'R' || previous == u'@') return false;
  }
  return true;
}

void tokenizer::TrimSeparators(wstring& text) {
  const char16_t* units = text.Text();
  int first = 0;
  int last = text.Length();
  while (first < last && set_.TableClass(units[first]) == u'_') ++first;
  while (last > first && set_.TableClass(units[last - 1]) == u'_') --last;
  if (first == 0 && last == text.Length()) return;
  text = text.Mid(first, last - first);
}

wstring tokenizer::StripBrackets(const wstring& text) {
  if (text.IsEmpty()) return wstring();
  const char16_t* units = text.Text();
  int n = text.Length();
  char16_t closer = set_.GetCloseBracket(units[0]);
  if (closer == 0) return text;
  if (units[n - 1] != closer) throw "скобки или кавычки не закрыты!";
  return text.Mid(1, n - 2);
}
