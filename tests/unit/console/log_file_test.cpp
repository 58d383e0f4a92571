// The log writer: one file per run named at the first write, lines appended once and in order,
// GBK on disk, and a failed write that loses nothing.
#include "console/log_file.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/config/gbk.hpp"

namespace climate {
namespace {

class LogFileTest : public ::testing::Test {
 protected:
  LogFileTest() {
    char pattern[] = "/tmp/log-file-test-XXXXXX";
    dir_ = ::mkdtemp(pattern);
    clock_.Set(LocalDateTime{2011, 3, 5, 14, 7, 9, 6});
  }
  ~LogFileTest() override { std::filesystem::remove_all(dir_); }

  static std::string Read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
  }

  std::string dir_;
  FakeClock clock_;
};

TEST_F(LogFileTest, NamedAtTheFirstWriteAndAppendedAfterwards) {
  LogFile log(dir_, clock_);
  EXPECT_TRUE(log.Flush());  // nothing waiting: no file yet
  EXPECT_FALSE(log.Named());

  log.Append("Receive Time----2011-03-05 14:07:09");
  log.Append("室内温度:   25 ℃");
  ASSERT_TRUE(log.Flush());
  EXPECT_EQ(log.FileName(), "2011-03-05 14-07-09.txt");
  EXPECT_EQ(log.Path(), dir_ + "/2011-03-05 14-07-09.txt");

  clock_.Set(LocalDateTime{2012, 1, 2, 3, 4, 5, 1});
  log.Append("*************************************");
  ASSERT_TRUE(log.Flush());
  EXPECT_EQ(log.FileName(), "2011-03-05 14-07-09.txt");
  EXPECT_EQ(Read(log.Path()), "Receive Time----2011-03-05 14:07:09\r\n" +
                                  Utf8ToGbk("室内温度:   25 ℃") +
                                  "\r\n*************************************\r\n");
}

TEST_F(LogFileTest, FailedWriteKeepsTheLinesForTheNextTry) {
  const std::string missing = dir_ + "/not-yet";
  LogFile log(missing + "/", clock_);
  log.Append("one");
  EXPECT_FALSE(log.Flush());
  EXPECT_EQ(log.PendingLines(), 1u);
  log.Append("two");
  std::filesystem::create_directory(missing);
  EXPECT_TRUE(log.Flush());
  EXPECT_EQ(log.PendingLines(), 0u);
  EXPECT_EQ(Read(log.Path()), "one\r\ntwo\r\n");
  EXPECT_EQ(log.Path(), missing + "/2011-03-05 14-07-09.txt");
}

TEST_F(LogFileTest, WaitingLinesAreBoundedAndTheGapIsNamedWhereItIs) {
  const std::string missing = dir_ + "/locked";
  LogFile log(missing, clock_, 20);
  for (const char* line : {"one", "two", "three", "four", "five"}) log.Append(line);
  EXPECT_FALSE(log.Flush());
  EXPECT_TRUE(log.Failing());
  // "four" would pass the bound; "five" fits but must not skip over the gap.
  EXPECT_EQ(log.PendingLines(), 3u);
  EXPECT_EQ(log.PendingBytes(), 17u);
  EXPECT_EQ(log.DroppedLines(), 2u);
  EXPECT_FALSE(log.Flush(Language::Chinese));
  EXPECT_EQ(log.PendingBytes(), 17u) << "a failed try leaves nothing behind";

  std::filesystem::create_directory(missing);
  ASSERT_TRUE(log.Flush(Language::Chinese));
  EXPECT_FALSE(log.Failing());
  log.Append("six");
  ASSERT_TRUE(log.Flush());
  EXPECT_EQ(Read(log.Path()), "one\r\ntwo\r\nthree\r\n" +
                                  Utf8ToGbk("*** 日志文件无法写入期间有 2 行未能记录 ***") +
                                  "\r\nsix\r\n");
  EXPECT_EQ(LogFile::DroppedNote(2, Language::English),
            "*** 2 lines were not logged while the log file could not be written ***");
}

TEST_F(LogFileTest, ExistingFileOfTheSameNameIsContinuedNotEmptied) {
  std::ofstream(dir_ + "/2011-03-05 14-07-09.txt", std::ios::binary) << "earlier\r\n";
  LogFile log(dir_, clock_);
  log.Append("later");
  ASSERT_TRUE(log.Flush());
  EXPECT_EQ(Read(log.Path()), "earlier\r\nlater\r\n");
}

TEST(LogFileStem, HasZeroPaddedFields) {
  EXPECT_EQ(FormatLogFileStem(LocalDateTime{2011, 3, 5, 4, 7, 9, 6}), "2011-03-05 04-07-09");
}

}  // namespace
}  // namespace climate
