#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>

// One browser (by its cookie) playing one game (by its page's folder): the
// engine session it drives, the output not yet delivered and the command
// history.
class web_session {
 public:
  // What a session keeps on disk to outlive the server: a restarted server
  // (or a browser returning after the session was released) resumes it.
  struct kept_state {
    std::u16string cookie;
    std::u16string game_folder;
    std::u16string game_path;  // the game page's path, as started
    std::u16string location;
    std::deque<std::u16string> history;  // most recent first, JSON-escaped
    std::u16string journal;             // the engine's, as it handed it over
  };

  using clock = std::chrono::steady_clock;
  static constexpr size_t history_limit = 10;
  static constexpr std::chrono::milliseconds duplicate_window{1000};

  web_session(int32_t id, std::u16string cookie, std::u16string game_folder, bool new_cookie);

  int32_t Id() const { return id_; }
  const std::u16string& Cookie() const { return cookie_; }
  const std::u16string& GameFolder() const { return game_folder_; }
  // The cookie was just made and goes out with "Set-Cookie" on the next
  // page; taking it clears the mark.
  bool NewCookie() const { return new_cookie_; }
  void ClearNewCookie() { new_cookie_ = false; }
  // The last location delivered, without JSON escapes.
  const std::u16string& Location() const { return location_; }

  // Engine output of the "print" channel, with "<letter>" tags turned into
  // drop-cap images (letters on) or plain paragraph starts (off).
  void AddPrint(std::u16string_view text, bool letters);
  // Engine output of the "ide" channel.
  void AddIde(std::u16string_view text);

  // Records a command already given to the engine: the duplicate check,
  // the last command and the history. Returns the log message for a
  // command repeated within a second, else empty.
  std::u16string RecordCommand(const std::u16string& command, clock::time_point now);

  // The game page's path the session was started with.
  const std::u16string& GamePath() const { return game_path_; }
  void SetGamePath(const std::u16string& path) { game_path_ = path; }
  // The engine's journal of the game, handed over as it changes.
  const std::u16string& Journal() const { return journal_; }
  void SetJournal(std::u16string_view journal);
  kept_state Kept() const;
  // Takes the history and location back from disk; the next update shows them.
  void Restore(const kept_state& state);
  // The page is shown anew: the next update repeats the location and the
  // command history.
  void ShowAgain() { show_again_ = true; }
  // Something kept on disk changed since ClearChanged.
  bool Changed() const { return changed_; }
  void ClearChanged() { changed_ = false; }
  // The last request of its browser.
  void Touch(clock::time_point now) { last_active_ = now; }
  clock::time_point LastActive() const { return last_active_; }

  // The JSON body of an "update" reply; takes the output it delivers.
  std::u16string OutputReply(bool stress_marks);
  // The body of an "updide" reply, empty when there is none.
  std::u16string IdeReply();

 private:
  // The text of a reply without its location blocks, which go to
  // `location`; both still escaped for JSON.
  static std::u16string TakeLocation(std::u16string& text);
  std::u16string HistoryJson() const;

  int32_t id_;
  std::u16string cookie_;
  std::u16string game_folder_;
  bool new_cookie_;
  std::u16string output_;
  std::u16string location_;
  bool pause_ = false;
  bool clear_ = false;
  std::deque<std::u16string> history_;  // most recent first, JSON-escaped
  bool history_changed_ = false;
  std::u16string last_command_;
  clock::time_point last_command_time_{};
  std::u16string ide_reply_;
  std::u16string game_path_;
  std::u16string journal_;
  bool show_again_ = false;
  bool changed_ = false;
  clock::time_point last_active_ = clock::now();
};

// The drop-cap image name of a capital letter А to Я; "-" for the letters
// that have none, empty for any other character.
std::u16string_view letter_image(char16_t letter);
