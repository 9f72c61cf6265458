#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "command_journal.h"
#include "save_folder.h"

namespace {

journal_file sample() {
  journal_file file;
  file.game = u"маяк.kiv";
  file.version = 0x0123456789abcdefull;
  file.seed = 18446744073709551615ull;
  file.commands = {wstring(u"взять лампу"), wstring(u"/x = \"a\\b\""), wstring(u"строка\nвторая\r")};
  return file;
}

}  // namespace

TEST(CommandJournal, UndoFindsTheLastCommandThatCounts) {
  command_journal journal;
  journal.Start(42);
  EXPECT_EQ(journal.Seed(), 42u);
  EXPECT_EQ(journal.LastCounted(), -1);
  journal.Add(u"с");
  journal.CountLast();
  journal.Add(u"абракадабра");  // not understood: does not count
  EXPECT_EQ(journal.LastCounted(), 0);
  uint64_t before = journal.Revision();
  journal.Truncate(0);
  EXPECT_TRUE(journal.Entries().empty());
  EXPECT_GT(journal.Revision(), before);
  journal.Add(u"ю");
  journal.Start(7);  // a restart forgets the commands
  EXPECT_TRUE(journal.Entries().empty());
  EXPECT_EQ(journal.Seed(), 7u);
}

TEST(JournalFile, RoundTripsEscapesAndRefusesDamage) {
  journal_file file = sample();
  wstring text = file.Format();
  journal_file read;
  ASSERT_TRUE(journal_file::Parse(text, read));
  EXPECT_EQ(read.game, file.game);
  EXPECT_EQ(read.version, file.version);
  EXPECT_EQ(read.seed, file.seed);
  ASSERT_EQ(read.commands.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(read.commands[i], file.commands[i]) << i;

  std::u16string good(text.Text());
  auto refused = [](std::u16string damaged) {
    journal_file out;
    return !journal_file::Parse(wstring(damaged.c_str()), out);
  };
  EXPECT_TRUE(refused(u"")) << "empty";
  EXPECT_TRUE(refused(u"просто текст\n")) << "not a journal";
  EXPECT_TRUE(refused(good.substr(0, good.size() - 10))) << "a command cut off";
  std::u16string extra = good + u"лишняя\n";
  EXPECT_TRUE(refused(extra)) << "more commands than counted";
  std::u16string seed = good;
  seed.replace(seed.find(u"зерно: ") + 7, 1, u"x");
  EXPECT_TRUE(refused(seed)) << "seed not a number";
  std::u16string overflow = good;
  overflow.replace(overflow.find(u"зерно: ") + 7, 20, u"99999999999999999999");
  EXPECT_TRUE(refused(overflow)) << "seed too large";
  std::u16string escape = good;
  escape.replace(escape.find(u"\\\\"), 2, u"\\q");
  EXPECT_TRUE(refused(escape)) << "unknown escape";
  std::u16string crlf = good;
  for (size_t at = crlf.find(u'\n'); at != std::u16string::npos; at = crlf.find(u'\n', at + 2)) crlf.insert(at, u"\r");
  EXPECT_FALSE(refused(crlf)) << "CR LF line ends are read";
}

TEST(SaveFolder, NamesAreSafeAndSavesRoundTrip) {
  EXPECT_EQ(save_folder::SafeName(u"Во двор!"), wstring(u"во-двор"));
  EXPECT_EQ(save_folder::SafeName(u"../../etc/passwd"), wstring(u"etc-passwd"));
  EXPECT_EQ(save_folder::SafeName(u"..\\x"), wstring(u"x"));
  EXPECT_EQ(save_folder::SafeName(u"???"), wstring());
  EXPECT_EQ(save_folder::SafeName(u"Ёлка 2"), wstring(u"елка-2"));  // ё is read as е
  std::u16string long_name(100, u'я');
  EXPECT_EQ(save_folder::SafeName(wstring(long_name.c_str())).Length(), save_folder::max_name_length);

  std::filesystem::path game = std::filesystem::temp_directory_path() / "kiv-save-folder-test";
  std::filesystem::remove_all(game);
  std::filesystem::create_directories(game);
  save_folder saves(wstring(game.string().c_str()), u"../чужой");
  EXPECT_TRUE(saves.Names().empty());
  wstring text;
  EXPECT_FALSE(saves.Read(u"нет", text));
  ASSERT_TRUE(saves.Write(u"первое", sample().Format()));
  ASSERT_TRUE(saves.Write(u"б", u"второе"));
  ASSERT_TRUE(saves.Read(u"первое", text));
  journal_file read;
  EXPECT_TRUE(journal_file::Parse(text, read));
  std::vector<wstring> names = saves.Names();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], wstring(u"б"));
  EXPECT_EQ(names[1], wstring(u"первое"));
  // The player's name stays inside saves/ as well.
  EXPECT_TRUE(std::filesystem::exists(game / "saves" / "чужой" / "первое.sav"));
  EXPECT_FALSE(std::filesystem::exists(game / "saves" / "первое.sav.tmp"));
  std::filesystem::remove_all(game);
}
