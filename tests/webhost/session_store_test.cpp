#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "session_store.h"
#include "text_edit.h"

namespace fs = std::filesystem;

namespace {

web_session::kept_state sample() {
  web_session::kept_state state;
  state.cookie = u"AbC123xyz789";
  state.game_folder = u"/games/маяк/";
  state.game_path = u"/games/маяк/маяк.kiv";
  state.location = u"Двор<br>«маяка» \\ \"кавычки\"\nи строка";
  state.history = {u"взять \\\"лампу\\\"", u"с"};
  state.journal = u"КИВ: сохранённая игра\nигра: маяк.kiv\nкоманд: 1\nс\n";
  return state;
}

void expect_same(const web_session::kept_state& a, const web_session::kept_state& b) {
  EXPECT_EQ(a.cookie, b.cookie);
  EXPECT_EQ(a.game_folder, b.game_folder);
  EXPECT_EQ(a.game_path, b.game_path);
  EXPECT_EQ(a.location, b.location);
  EXPECT_EQ(a.history, b.history);
  EXPECT_EQ(a.journal, b.journal);
}

}  // namespace

TEST(SessionStore, FormatRoundTripsAndDamageIsRefused) {
  std::string text = session_store::Format(sample());
  auto read = session_store::Parse(text);
  ASSERT_TRUE(read);
  expect_same(*read, sample());
  EXPECT_FALSE(session_store::Parse(""));
  EXPECT_FALSE(session_store::Parse("something else\n"));
  EXPECT_FALSE(session_store::Parse(text.substr(0, text.find("journal\n")))) << "cut before the journal";
  EXPECT_FALSE(session_store::Parse(text.substr(0, 40))) << "cut in the header";
  std::string no_cookie = text;
  no_cookie.replace(no_cookie.find("cookie=") + 7, 12, "");
  EXPECT_FALSE(session_store::Parse(no_cookie));
}

TEST(SessionStore, KeepsFindsAndListsSessionsWhateverTheCookie) {
  fs::path folder = fs::temp_directory_path() / "kiv-session-store-test";
  fs::remove_all(folder);
  session_store store(folder.string() + "/");
  EXPECT_TRUE(store.All().empty());
  EXPECT_FALSE(store.Find(u"AbC123xyz789", u"/games/маяк/"));
  web_session::kept_state hostile = sample();
  hostile.cookie = u"../../etc/passwd";
  ASSERT_TRUE(store.Keep(sample()));
  ASSERT_TRUE(store.Keep(hostile));
  web_session::kept_state changed = sample();
  changed.journal += u"ю\n";
  ASSERT_TRUE(store.Keep(changed));  // replaces the first
  auto found = store.Find(u"AbC123xyz789", u"/games/маяк/");
  ASSERT_TRUE(found);
  expect_same(*found, changed);
  EXPECT_FALSE(store.Find(u"AbC123xyz789", u"/games/другая/"));
  EXPECT_EQ(store.All().size(), 2u);
  // Both files lie in the folder, no temporary left; the hostile cookie
  // made no path.
  int files = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    EXPECT_EQ(entry.path().extension(), ".session");
    ++files;
  }
  EXPECT_EQ(files, 2);
  std::ofstream(folder / "junk.session") << "not a session";
  EXPECT_EQ(store.All().size(), 2u);
  fs::remove_all(folder);
}

TEST(SessionStore, RestoredSessionShowsLocationAndHistoryOnce) {
  web_session session(7, u"AbC123xyz789", u"/games/маяк/", false);
  web_session::kept_state state = sample();
  state.location = u"Двор";
  session.Restore(state);
  EXPECT_FALSE(session.Changed());
  std::u16string first = session.OutputReply(true);
  EXPECT_NE(first.find(u"\"location\":\"Двор\""), std::u16string::npos) << to_utf8(first);
  EXPECT_NE(first.find(u"\"cmdlist\":[\"взять \\\"лампу\\\"\",\"с\"]"), std::u16string::npos) << to_utf8(first);
  EXPECT_EQ(session.OutputReply(true), u"{}");
  session.SetJournal(u"новый");
  EXPECT_TRUE(session.Changed());
  EXPECT_EQ(session.Kept().journal, u"новый");
}
