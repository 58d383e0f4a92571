// The port settings text: what the port takes, what it refuses, and that a formatted text reads
// back the same.
#include "serial/port_settings.hpp"

#include <gtest/gtest.h>

namespace climate {
namespace {

TEST(PortSettingsText, ReadsEveryFieldTheSettingsDialogOffers) {
  struct Case {
    const char* text;
    int baud;
    Parity parity;
    int dataBits;
    int stopBits;
  };
  const Case cases[] = {
      {"9600,n,8,1", 9600, Parity::None, 8, 1},         {"19200,e,7,2", 19200, Parity::Even, 7, 2},
      {"115200,o,8,1", 115200, Parity::Odd, 8, 1},      {"4800,N,5,1", 4800, Parity::None, 5, 1},
      {"9600,O,6,2", 9600, Parity::Odd, 6, 2},          {"9600,E,8,1", 9600, Parity::Even, 8, 1},
      {" 9600 , n , 8 , 1 ", 9600, Parity::None, 8, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto settings = ParsePortSettings(c.text);
    ASSERT_TRUE(settings.has_value());
    EXPECT_EQ(settings->baudRate, c.baud);
    EXPECT_EQ(settings->parity, c.parity);
    EXPECT_EQ(settings->dataBits, c.dataBits);
    EXPECT_EQ(settings->stopBits, c.stopBits);
  }
}

TEST(PortSettingsText, RefusesWhatTheLineCannotTake) {
  const char* refused[] = {
      "9600,n,8,1.5",  // one and a half stop bits exist on some lines, not on this one
      "abc",          "",           ",n,8,1",      "9600,,8,1",   "9600,n,,1",
      "9600,n,8,",    "9600,x,8,1", "9600,no,8,1", "9600,n,9,1",  "9600,n,4,1",
      "9600,n,8,3",   "9600,n,8,0", "0,n,8,1",     "-9600,n,8,1", "9600,n,8,1,1",
      "9600;n;8;1",   "96OO,n,8,1", "9600,n,8,1x", "+9600,n,8,1",
  };
  for (const char* text : refused) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(ParsePortSettings(text).has_value());
  }
}

TEST(PortSettingsText, FormattedTextReadsBackTheSame) {
  EXPECT_EQ(FormatPortSettings(PortSettings{}), "9600,n,8,1");
  for (const char* text : {"19200,e,7,2", "115200,o,5,2"}) {
    EXPECT_EQ(FormatPortSettings(*ParsePortSettings(text)), text);
  }
  EXPECT_EQ(FormatPortSettings(*ParsePortSettings("9600,E,8,1")), "9600,e,8,1");
}

}  // namespace
}  // namespace climate
