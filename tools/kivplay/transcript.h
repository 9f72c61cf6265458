#pragma once

#include <istream>
#include <string>
#include <vector>

// A transcript: commands with what their replies must and must not say.
// The file is plain UTF-8 text, a line each:
//   # a comment                 (also blank lines)
//   > a command                 (the player types it)
//   a fragment                  (the reply says it, after the fragments
//                                before it)
//   ! a fragment                (the reply does not say it)
//   ~ a pattern                 (the reply has a match of the regular
//                                expression, ECMAScript syntax)
// Lines before the first command check the game's opening. Replies are
// compared without mark-up and stress marks, with every run of blanks and
// line breaks read as one blank, and so are the fragments.
class transcript {
 public:
  struct expectation {
    enum kind { says, omits, matches } what = says;
    std::string text;
    int line = 0;
  };
  struct step {
    std::string command;  // empty for the opening
    int line = 0;
    std::vector<expectation> expectations;
  };

  // Reads a transcript; false with the reason in `error` when a line is
  // malformed (an empty command, a pattern that does not compile).
  bool Read(std::istream& in, std::string& error);

  const std::vector<step>& Steps() const { return steps_; }

  // Whether a reply meets a step's expectations; otherwise the first one it
  // fails, described in `mismatch`.
  static bool Check(const step& s, const std::string& reply, std::string& mismatch);

  // Blanks and line breaks as single blanks, trimmed.
  static std::string Normalised(const std::string& text);

 private:
  std::vector<step> steps_;
};
