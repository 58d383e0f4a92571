// The simulator's command line: every option in both spellings, the alarm names, and the
// mistakes an operator makes.
#include "unitsim/sim_options.hpp"

#include <gtest/gtest.h>

namespace climate::unitsim {
namespace {

SimOptions Parse(std::vector<std::string> args) {
  return ParseSimOptions(args);
}

// Every field, so that an option never sets another one as well.
void ExpectOptions(const SimOptions& options, const SimOptions& expected) {
  EXPECT_EQ(options.kind, expected.kind);
  EXPECT_EQ(options.linkPath, expected.linkPath);
  EXPECT_EQ(options.configPath, expected.configPath);
  EXPECT_EQ(options.fragment, expected.fragment);
  EXPECT_EQ(options.noise, expected.noise);
  EXPECT_EQ(options.corruptEvery, expected.corruptEvery);
  EXPECT_EQ(options.nak, expected.nak);
  EXPECT_EQ(options.silent, expected.silent);
  EXPECT_EQ(options.ackDelayMs, expected.ackDelayMs);
  EXPECT_EQ(options.baud, expected.baud);
  EXPECT_EQ(options.alarms.alarmByte1, expected.alarms.alarmByte1);
  EXPECT_EQ(options.alarms.alarmByte2, expected.alarms.alarmByte2);
  EXPECT_EQ(options.recordPath, expected.recordPath);
  EXPECT_EQ(options.help, expected.help);
}

TEST(SimOptions, KindAndLinkAloneGiveAPlainUnit) {
  SimOptions expected;
  expected.kind = DeviceKind::HeatExchanger;
  expected.linkPath = "/tmp/com1";
  ExpectOptions(Parse({"--kind", "hx", "--link", "/tmp/com1"}), expected);
}

TEST(SimOptions, ReadsEveryOptionWithSpaceOrEquals) {
  SimOptions expected;
  expected.kind = DeviceKind::AirConditioner;
  expected.linkPath = "/tmp/l";
  expected.configPath = "/tmp/UserSet.INI";
  expected.fragment = 1;
  expected.noise = true;
  expected.corruptEvery = 3;
  expected.nak = true;
  expected.silent = true;
  expected.ackDelayMs = 1500;
  expected.baud = 9600;
  expected.alarms.alarmByte1 = 0x80;
  expected.recordPath = "/tmp/rec.txt";
  ExpectOptions(Parse({"--kind=ac", "--link", "/tmp/l", "--config=/tmp/UserSet.INI", "--fragment",
                       "1", "--noise", "--corrupt-every=3", "--nak", "--silent", "--ack-delay=1500",
                       "--baud", "9600", "--alarm=sensor", "--record", "/tmp/rec.txt"}),
                expected);

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
      {"--kind", "ac", "--link", "/l", "--ack-delay", "0"},
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
