// The simulator's command line: every option in both spellings, the alarm names, and the
// mistakes an operator makes.
#include "unitsim/sim_options.hpp"

#include <gtest/gtest.h>

namespace climate::unitsim {
namespace {

SimOptions Parse(std::vector<std::string> args) {
  return ParseSimOptions(args);
}

TEST(SimOptions, KindAndLinkAloneGiveAPlainUnit) {
  const SimOptions options = Parse({"--kind", "hx", "--link", "/tmp/com1"});
  EXPECT_EQ(options.kind, DeviceKind::HeatExchanger);
  EXPECT_EQ(options.linkPath, "/tmp/com1");
  EXPECT_TRUE(options.configPath.empty());
  EXPECT_EQ(options.fragment, 0);
  EXPECT_FALSE(options.noise);
  EXPECT_EQ(options.corruptEvery, 0);
  EXPECT_FALSE(options.nak);
  EXPECT_FALSE(options.silent);
  EXPECT_EQ(options.baud, 0);
  EXPECT_EQ(options.alarms.alarmByte1, 0);
  EXPECT_EQ(options.alarms.alarmByte2, 0);
  EXPECT_TRUE(options.recordPath.empty());
}

TEST(SimOptions, ReadsEveryOptionWithSpaceOrEquals) {
  const SimOptions options =
      Parse({"--kind=ac", "--link", "/tmp/l", "--config=/tmp/UserSet.INI", "--fragment", "1",
             "--noise", "--corrupt-every=3", "--nak", "--silent", "--baud", "9600",
             "--alarm=sensor", "--record", "/tmp/rec.txt"});
  EXPECT_EQ(options.kind, DeviceKind::AirConditioner);
  EXPECT_EQ(options.configPath, "/tmp/UserSet.INI");
  EXPECT_EQ(options.fragment, 1);
  EXPECT_TRUE(options.noise);
  EXPECT_EQ(options.corruptEvery, 3);
  EXPECT_TRUE(options.nak);
  EXPECT_TRUE(options.silent);
  EXPECT_EQ(options.baud, 9600);
  EXPECT_EQ(options.alarms.alarmByte1, 0x80);
  EXPECT_EQ(options.recordPath, "/tmp/rec.txt");

  EXPECT_TRUE(Parse({"--help"}).help);  // needs nothing else
}

TEST(SimOptions, AlarmNamesAddressTheirBits) {
  struct Case {
    const char* name;
    std::uint8_t byte1;
    std::uint8_t byte2;
  };
  const Case cases[] = {
      {"high-temp", 0x01, 0},     {"low-temp", 0x02, 0},     {"over-voltage", 0x04, 0},
      {"under-voltage", 0x08, 0}, {"internal-fan", 0x10, 0}, {"compressor", 0x10, 0},
      {"external-fan", 0x20, 0},  {"heater", 0x40, 0},       {"sensor", 0x80, 0},
      {"remote", 0, 0x01},        {"custom1", 0, 0x02},      {"custom2", 0, 0x04},
      {"custom3", 0, 0x08},       {"custom4", 0, 0x10},      {"high-pressure", 0, 0x10},
      {"custom5", 0, 0x20},       {"low-pressure", 0, 0x20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ForcedAlarms alarms;
    ASSERT_TRUE(ForceAlarm(c.name, alarms));
    EXPECT_EQ(alarms.alarmByte1, c.byte1);
    EXPECT_EQ(alarms.alarmByte2, c.byte2);
    // Every name is documented in --help.
    EXPECT_NE(SimHelpText().find(c.name), std::string::npos);
  }
  const SimOptions several = Parse({"--kind", "ac", "--link", "/l", "--alarm", "high-temp",
                                    "--alarm", "custom5", "--alarm", "heater"});
  EXPECT_EQ(several.alarms.alarmByte1, 0x41);
  EXPECT_EQ(several.alarms.alarmByte2, 0x20);
}

TEST(SimOptions, RefusesMistakesWithAReason) {
  const std::vector<std::vector<std::string>> mistakes = {
      {},
      {"--link", "/l"},
      {"--kind", "ac"},
      {"--kind", "air", "--link", "/l"},
      {"--kind", "ac", "--link"},
      {"--kind", "ac", "--link", ""},
      {"--kind", "ac", "--link", "/l", "--fragment", "0"},
      {"--kind", "ac", "--link", "/l", "--fragment", "two"},
      {"--kind", "ac", "--link", "/l", "--corrupt-every", "1.5"},
      {"--kind", "ac", "--link", "/l", "--baud", "10"},
      {"--kind", "ac", "--link", "/l", "--alarm", "fire"},
      {"--kind", "ac", "--link", "/l", "--noise=yes"},
      {"--kind", "ac", "--link", "/l", "extra"},
  };
  for (const auto& args : mistakes) {
    std::string line;
    for (const auto& arg : args) line += arg + " ";
    SCOPED_TRACE(line);
    try {
      Parse(args);
      ADD_FAILURE() << "accepted";
    } catch (const OptionError& error) {
      EXPECT_GT(std::string(error.what()).size(), 10u);
    }
  }
}

}  // namespace
}  // namespace climate::unitsim
