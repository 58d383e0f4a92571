// Clock, port and tray texts of the status bar, in both languages.
#include "console/status_texts.hpp"

#include <gtest/gtest.h>

namespace climate {
namespace {

TEST(ClockTexts, NoLeadingZerosAndTheWeekday) {
  const LocalDateTime saturday{2011, 3, 5, 9, 5, 7, 6};
  EXPECT_EQ(ClockTimeText(saturday, Language::English), "9:5:7  ");
  EXPECT_EQ(ClockDateText(saturday, Language::English), "2011-3-5  Saturday");
  EXPECT_EQ(ClockTimeText(saturday, Language::Chinese), "9时5分7秒  ");
  EXPECT_EQ(ClockDateText(saturday, Language::Chinese), "2011-3-5星期六");

  const LocalDateTime sunday{2024, 12, 29, 23, 59, 0, 0};
  EXPECT_EQ(ClockTimeText(sunday, Language::English), "23:59:0  ");
  EXPECT_EQ(ClockDateText(sunday, Language::English), "2024-12-29  Sunday");
  EXPECT_EQ(ClockDateText(sunday, Language::Chinese), "2024-12-29星期日");
  const LocalDateTime wednesday{2024, 1, 3, 0, 0, 0, 3};
  EXPECT_EQ(ClockDateText(wednesday, Language::English), "2024-1-3  Wednesday");
}

TEST(TrayText, EnglishOrThirtyBlanks) {
  EXPECT_EQ(TrayToolTipText(123456, Language::English),
            "Monitoring System Running!Free Memory 123456 K");
  EXPECT_EQ(TrayToolTipText(42, Language::Chinese), std::string(30, ' ') + "42 K");
}

TEST(FreeMemory, ReadsMemAvailable) {
  EXPECT_EQ(ParseMemAvailableKiB("MemTotal:  100 kB\nMemFree:   10 kB\nMemAvailable:    2048 kB\n"),
            2048u);
  EXPECT_FALSE(ParseMemAvailableKiB("MemTotal: 100 kB\n").has_value());
  EXPECT_FALSE(ParseMemAvailableKiB("MemAvailable: kB\n").has_value());
  const auto real = ReadFreeMemoryKiB();
  ASSERT_TRUE(real.has_value());
  EXPECT_GT(*real, 0u);
}

}  // namespace
}  // namespace climate
