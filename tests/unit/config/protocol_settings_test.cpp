// Loading the protocol constants from the Device sections.
#include "app/config/protocol_settings.hpp"

#include <gtest/gtest.h>

#include <string>

#include "app/config/config_keys.hpp"
#include "app/config/ini_file.hpp"

namespace climate {
namespace {

TEST(ProtocolSettingsLoad, EmptyFileAndDefaultFileGiveTheDefaults) {
  const ProtocolSettings defaults = DefaultProtocolSettings();
  EXPECT_EQ(defaults.SOI, 0x7E);
  EXPECT_EQ(defaults.Rjh.HqcjsdcsxyCd, 0x55);
  EXPECT_EQ(defaults.Kt.DtdszCd, 0x22);
  EXPECT_EQ(defaults.Kt.Cjsdcs, 0);  // the air conditioner has no factory commands
  EXPECT_EQ(LoadProtocolSettings(IniFile()), defaults);

  IniFile ini;
  WriteDefaultConfiguration(ini, "/opt/climate/");
  EXPECT_EQ(LoadProtocolSettings(ini), defaults);
}

TEST(ProtocolSettingsLoad, EveryKeyReachesItsOwnField) {
  // Each of the 34 keys gets a distinct value, so a key read into the wrong field shows.
  std::string text =
      "[Device]\r\nId=1001\r\nSOI=1002\r\nEOI=1003\r\nZqxy=1004\r\nFdxy=1005\r\n"
      "YkkjML=1006\r\nYkgjML=1007\r\n";
  int value = 2000;
  for (const DeviceKind kind : {DeviceKind::HeatExchanger, DeviceKind::AirConditioner}) {
    text += "[" + std::string(CommandSetSection(kind)) + "]\r\n";
    for (const CommandSetKey& key : CommandSetKeys(kind)) {
      text += std::string(key.name) + "=" + std::to_string(++value) + "\r\n";
    }
  }
  const ProtocolSettings loaded = LoadProtocolSettings(IniFile::Parse(text));
  EXPECT_EQ(loaded.Id, 1001);
  EXPECT_EQ(loaded.SOI, 1002);
  EXPECT_EQ(loaded.EOI, 1003);
  EXPECT_EQ(loaded.Zqxy, 1004);
  EXPECT_EQ(loaded.Fdxy, 1005);
  EXPECT_EQ(loaded.YkkjML, 1006);
  EXPECT_EQ(loaded.YkgjML, 1007);
  EXPECT_EQ(loaded.Rjh.Zhsj, 2001);
  EXPECT_EQ(loaded.Rjh.HqcjsdcsxyCd, 2015);
  EXPECT_EQ(loaded.Rjh.Dtdsz, 0);
  EXPECT_EQ(loaded.Kt.Zhsj, 2016);
  EXPECT_EQ(loaded.Kt.YkgjxyCd, 2024);
  EXPECT_EQ(loaded.Kt.Dtdsz, 2025);
  EXPECT_EQ(loaded.Kt.DtdszxyCD, 2027);
  EXPECT_EQ(loaded.Kt.Cjsdcs, 0);
  EXPECT_EQ(CommandSetKeys(DeviceKind::HeatExchanger).size(), 15u);
  EXPECT_EQ(CommandSetKeys(DeviceKind::AirConditioner).size(), 12u);
}

TEST(ProtocolSettingsLoad, ValuesAreReadAsIntegersAndKeepTheirLow16Bits) {
  const IniFile ini = IniFile::Parse(
      "[Device]\r\nSOI=0x7E\r\nEOI=$0D\r\nId=65537\r\nFdxy=-1\r\nZqxy=junk\r\n"
      "[DeviceKt]\r\nzhsj=0x18041\r\n");
  const ProtocolSettings loaded = LoadProtocolSettings(ini);
  EXPECT_EQ(loaded.SOI, 126);
  EXPECT_EQ(loaded.EOI, 13);
  EXPECT_EQ(loaded.Id, 1);
  EXPECT_EQ(loaded.Fdxy, -1);
  EXPECT_EQ(loaded.Zqxy, 0xA5);
  EXPECT_EQ(loaded.Kt.Zhsj, -32703);  // 0x8041 as a signed 16-bit value
}

}  // namespace
}  // namespace climate
