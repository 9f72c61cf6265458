// Full-log rows and the log-writing routine.

#include <gtest/gtest.h>

#include "test_support.h"
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "full_log.h"
#include "log_file.h"
#include "world_log.h"

namespace fs = std::filesystem;

namespace {

TEST(full_log, RowFieldsAreCleanedAndAbbreviated) {
  full_log_row row;
  row.fields[full_log_row::outcome] = u"Ok";
  row.fields[full_log_row::command] = u"взять\tлампу\r\n";
  row.fields[full_log_row::transcript] = u"Лампа\r\nвзята.\nГотово";
  row.fields[full_log_row::user] = wstring(std::u16string(300, u'ю').c_str());
  wstring formatted = row.Format();
  std::u16string expected = u"Ok\t\tвзять лампу\tЛампа взята. Готово\t\t";
  expected += std::u16string(125, u'ю') + u" ... " + std::u16string(126, u'ю') + u"\t\r\n";
  EXPECT_EQ(formatted, expected.c_str());
}

TEST(full_log, AppendsWhatStillFitsUnderTheLimit) {
  char pattern[] = "/tmp/kiv-log-XXXXXX";
  fs::path folder = mkdtemp(pattern);
  wstring base(folder.string().c_str());
  // No logs folder: nothing is written and nothing fails.
  append_to_log(base, u"logs\\a.log", wstring(u"строка"));
  EXPECT_FALSE(fs::exists(folder / "logs"));

  fs::create_directory(folder / "logs");
  fs::path file = folder / "logs" / "a.log";
  std::ofstream(file, std::ios::binary) << std::string(max_log_bytes - 3, 'x');
  append_to_log(base, u"logs\\a.log", wstring(u"ещё"));  // six bytes would pass the limit
  EXPECT_EQ(fs::file_size(file), size_t(max_log_bytes - 3));
  append_to_log(base, u"logs/a.log", wstring(u"юx"));  // three bytes reach it exactly
  EXPECT_EQ(fs::file_size(file), size_t(max_log_bytes));
  append_to_log(base, u"logs/a.log", wstring(u"x"));
  EXPECT_EQ(fs::file_size(file), size_t(max_log_bytes));

  // A base folder given with its separator is joined as it is.
  wstring with_slash(base);
  with_slash += u"/";
  append_to_log(with_slash, u"logs\\b.log", wstring(u"б"));
  EXPECT_TRUE(fs::exists(folder / "logs" / "b.log"));
  // Logs are created for their owner alone.
  EXPECT_EQ(fs::status(folder / "logs" / "b.log").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  fs::remove_all(folder);
}

}  // namespace
