#include "web_session.h"

#include <algorithm>

#include "text_edit.h"
#include "wstring.h"

namespace {

constexpr std::u16string_view letter_tag = u"<letter>";
constexpr std::u16string_view pause_tag = u"<pause>";
constexpr std::u16string_view clear_tag = u"<clear>";
constexpr std::u16string_view location_open = u"<location>";
constexpr std::u16string_view location_close = u"</location>";

// With no "<p>", "<p " or "<br>" in the text, line feeds become "<br>";
// otherwise the paragraphs are the text's own and a line feed is a space.
void apply_line_feed_rule(std::u16string& text) {
  bool marked_up = text.find(u"<p>") != std::u16string::npos || text.find(u"<p ") != std::u16string::npos ||
                   text.find(u"<br>") != std::u16string::npos;
  replace_all(text, u"\n", marked_up ? u" " : u"<br>");
}

std::u16string with_letter_images(std::u16string text) {
  for (;;) {
    size_t tag = text.find(letter_tag);
    if (tag == std::u16string::npos || tag + letter_tag.size() >= text.size()) break;
    char16_t letter = text[tag + letter_tag.size()];
    std::u16string_view image = letter_image(letter);
    if (image.empty() || image == u"-") break;
    std::u16string html = u"<img src='letters/";
    html += image;
    html += u".png' class='letter' alt='";
    html += letter;
    html += u"'><div class='letter_top'></div><p class='letter_p'>";
    text.replace(tag, letter_tag.size() + 1, html);
  }
  return text;
}

void add_member(std::u16string& json, std::u16string_view key, std::u16string_view value) {
  if (json.size() > 1) json += u',';
  json += u'"';
  json += key;
  json += u"\":";
  json += value;
}

std::u16string quoted(std::u16string_view text) {
  std::u16string out = u"\"";
  out += text;
  out += u'"';
  return out;
}

}  // namespace

std::u16string_view letter_image(char16_t letter) {
  static constexpr std::u16string_view images[32] = {
      u"A", u"B", u"V", u"G", u"D", u"E",  u"ZH", u"Z",    u"I", u"J", u"K",  u"L",  u"M", u"N",  u"O",  u"P",
      u"R", u"S", u"T", u"U", u"F", u"H", u"C",  u"CH", u"SH", u"SHCH", u"-", u"Y", u"-", u"EH", u"YU", u"YA"};
  if (letter < u'А' || letter > u'Я') return {};
  return images[letter - u'А'];
}

web_session::web_session(int32_t id, std::u16string cookie, std::u16string game_folder, bool new_cookie)
    : id_(id), cookie_(std::move(cookie)), game_folder_(std::move(game_folder)), new_cookie_(new_cookie) {}

void web_session::AddPrint(std::u16string_view text, bool letters) {
  std::u16string added(text);
  if (letters)
    added = with_letter_images(std::move(added));
  else
    replace_all(added, letter_tag, u"<div class='letter_top'></div><p>");
  output_ += added;
}

void web_session::AddIde(std::u16string_view text) {
  if (!ide_reply_.empty()) ide_reply_ += u',';
  ide_reply_ += text;
}

std::u16string web_session::RecordCommand(const std::u16string& command, clock::time_point now) {
  if (command == last_command_ && now - last_command_time_ < duplicate_window) return u"задвоенная команда!";
  last_command_ = command;
  last_command_time_ = now;
  if (starts_with(command, u"ide=")) return {};
  std::u16string entry = controls_escaped(json_escaped(command));
  if (!history_.empty() && history_.front() == entry) return {};
  std::erase(history_, entry);
  history_.push_front(entry);
  if (history_.size() > history_limit) history_.resize(history_limit);
  history_changed_ = true;
  changed_ = true;
  return {};
}

void web_session::SetJournal(std::u16string_view journal) {
  journal_ = journal;
  changed_ = true;
}

web_session::kept_state web_session::Kept() const {
  return {cookie_, game_folder_, game_path_, location_, history_, journal_};
}

void web_session::Restore(const kept_state& state) {
  game_path_ = state.game_path;
  location_ = state.location;
  history_ = state.history;
  if (history_.size() > history_limit) history_.resize(history_limit);
  journal_ = state.journal;
  show_again_ = true;
}

std::u16string web_session::TakeLocation(std::u16string& text) {
  std::u16string location;
  for (;;) {
    size_t open = text.find(location_open);
    if (open == std::u16string::npos) break;
    size_t close = text.find(location_close, open + location_open.size());
    if (close == std::u16string::npos) break;
    size_t inner = open + location_open.size();
    location = text.substr(inner, close - inner);
    text.erase(open, close + location_close.size() - open);
  }
  return location;
}

std::u16string web_session::OutputReply(bool stress_marks) {
  if (output_.empty() && !show_again_) return u"{}";
  std::u16string reply = u"{";
  if (show_again_) {
    if (!location_.empty()) add_member(reply, u"location", quoted(controls_escaped(json_escaped(location_))));
    history_changed_ = !history_.empty();
    show_again_ = false;
  }
  std::u16string text;
  size_t pause = output_.find(pause_tag);
  if (pause == std::u16string::npos) {
    text.swap(output_);
  } else {
    text = output_.substr(0, pause);
    output_.erase(0, pause + pause_tag.size());
    pause_ = true;
  }
  for (size_t clear = text.find(clear_tag); clear != std::u16string::npos; clear = text.find(clear_tag)) {
    text.erase(0, clear + clear_tag.size());
    location_.clear();
    clear_ = true;
  }
  if (!text.empty()) {
    replace_all(text, u"`", stress_marks ? u"&#x301;" : u"");
    text = json_escaped(text);
    replace_all(text, u"\r", u"");
    std::u16string location = TakeLocation(text);
    text = trimmed(text);
    if (!text.empty()) {
      apply_line_feed_rule(text);
      add_member(reply, u"text", quoted(controls_escaped(text)));
    }
    if (!location.empty()) {
      location = trimmed(location);
      apply_line_feed_rule(location);
      add_member(reply, u"location", quoted(controls_escaped(location)));
      wstring stored(location.c_str());
      stored.Unescape();
      location_ = stored.Text();
      changed_ = true;
    }
  }
  if (clear_) add_member(reply, u"clear", u"true");
  if (pause_) add_member(reply, u"pause", u"true");
  clear_ = pause_ = false;
  if (history_changed_) add_member(reply, u"cmdlist", HistoryJson());
  history_changed_ = false;
  return reply + u"}";
}

std::u16string web_session::HistoryJson() const {
  std::u16string list = u"[";
  for (const std::u16string& entry : history_) {
    if (list.size() > 1) list += u',';
    list += quoted(entry);
  }
  return list + u"]";
}

std::u16string web_session::IdeReply() {
  if (ide_reply_.empty()) return {};
  std::u16string reply = u"{" + ide_reply_ + u"}";
  ide_reply_.clear();
  return reply;
}
