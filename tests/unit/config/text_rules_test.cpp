#include "common/text_rules.hpp"

#include <gtest/gtest.h>

namespace climate {
namespace {

TEST(TextRules, EachBlankSetTrimsOnlyItsOwnCharacters) {
  EXPECT_EQ(TrimBlanks(" \t9600\t ", Blanks::Spaces), "\t9600\t");
  EXPECT_EQ(TrimBlanks(" \t9600\t ", Blanks::SpacesAndTabs), "9600");
  EXPECT_EQ(TrimBlanks("\t 12\r\n", Blanks::SpacesAndTabs), "12\r\n");
  EXPECT_EQ(TrimBlanks("\x01\t 12 \r\n", Blanks::AllControls), "12");
  EXPECT_EQ(TrimBlanks(" a b ", Blanks::Spaces), "a b");
  EXPECT_EQ(TrimBlanks(" \t\r\n", Blanks::AllControls), "");
  // Bytes of a multi-byte character are never blanks.
  EXPECT_EQ(TrimBlanks("\xE2\x84\x83 ", Blanks::AllControls), "\xE2\x84\x83");
}

TEST(TextRules, DecimalTakesOneSignAndTheWholeTextWithinThirtyTwoBits) {
  EXPECT_EQ(ParseDecimal("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseDecimal("2147483647"), INT32_MAX);
  EXPECT_EQ(ParseDecimal("2147483648"), std::nullopt);
  EXPECT_EQ(ParseDecimal("-2147483649"), std::nullopt);
  EXPECT_EQ(ParseDecimal("0012"), 12);
  for (const char* bad : {"", "-", "+", "12a", "1 2", " 12", "12 ", "0x10", "1e3", "--1", "+5"}) {
    EXPECT_EQ(ParseDecimal(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(ParseDecimal("+5", PlusSign::Accepted), 5);
  EXPECT_EQ(ParseDecimal("-5", PlusSign::Accepted), -5);
  for (const char* bad : {"+", "+-5", "++5", "-+5", "+ 5"}) {
    EXPECT_EQ(ParseDecimal(bad, PlusSign::Accepted), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace climate
