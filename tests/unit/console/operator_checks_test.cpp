// The rules for what the operator types: stop point, password and port list text.
#include "console/operator_checks.hpp"

#include <gtest/gtest.h>

#include "app/config/config_keys.hpp"

namespace climate {
namespace {

TEST(StopPoint, AcceptsZeroToFifteenDigitsOnly) {
  const struct {
    const char* entry;
    StopPointCheck check;
    int degrees;
  } cases[] = {
      {"0", StopPointCheck::Ok, 0},
      {"15", StopPointCheck::Ok, 15},
      {" 7 ", StopPointCheck::Ok, 7},
      {"\t07\r\n", StopPointCheck::Ok, 7},
      {"", StopPointCheck::Ok, 0},
      {"   ", StopPointCheck::Ok, 0},
      {"16", StopPointCheck::OutOfRange, 0},
      {"0016", StopPointCheck::OutOfRange, 0},
      {"99999999999999999999999", StopPointCheck::OutOfRange, 0},
      {"-1", StopPointCheck::NotDigits, 0},
      {"+1", StopPointCheck::NotDigits, 0},
      {"1.5", StopPointCheck::NotDigits, 0},
      {"1 5", StopPointCheck::NotDigits, 0},
      {"1a", StopPointCheck::NotDigits, 0},
      {"１", StopPointCheck::NotDigits, 0},  // a full-width digit is not a digit here
  };
  for (const auto& c : cases) {
    const StopPointResult result = ValidateStopPoint(c.entry);
    EXPECT_EQ(result.check, c.check) << "'" << c.entry << "'";
    if (c.check == StopPointCheck::Ok) {
      EXPECT_EQ(result.degrees, c.degrees) << c.entry;
    }
  }
}

TEST(Password, MatchesTheScrambledFormOfTheTrimmedEntry) {
  EXPECT_TRUE(PasswordMatches(FactoryPassword, DefaultScrambledPassword));
  EXPECT_TRUE(PasswordMatches(" \t668899\r\n", DefaultScrambledPassword));
  EXPECT_FALSE(PasswordMatches("668898", DefaultScrambledPassword));
  EXPECT_FALSE(PasswordMatches("6688990", DefaultScrambledPassword));
  EXPECT_FALSE(PasswordMatches("", DefaultScrambledPassword));
  // Longer than the scrambling key covers: refused, even if its first part would match.
  EXPECT_FALSE(PasswordMatches("6688991234567890", DefaultScrambledPassword));
}

TEST(PortList, NumberIsTheFourthCharacter) {
  EXPECT_EQ(PortNumberFromListText("COM1"), 1);
  EXPECT_EQ(PortNumberFromListText("COM4"), 4);
  try {
    PortNumberFromListText("");
    FAIL() << "an empty list text has no port number";
  } catch (const ConversionError& error) {
    EXPECT_STREQ(error.what(), "'' is not a valid integer value");
  }
  EXPECT_THROW(PortNumberFromListText("COMX"), ConversionError);
}

}  // namespace
}  // namespace climate
