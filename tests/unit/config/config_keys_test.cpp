// The default set of a new file and the readers built on the file's keys.
#include "app/config/config_keys.hpp"

#include <gtest/gtest.h>

#include <string>

#include "app/config/ini_file.hpp"
#include "temp_folder.hpp"

namespace climate {
namespace {

const std::string Golden = std::string(CLIMATE_TEST_DATA_DIR) + "/config/default_UserSet.INI";

TEST(DefaultConfiguration, NewFileMatchesTheGoldenFileByteForByte) {
  test::TempFolder folder;
  const std::string path = folder.File("UserSet.INI");
  IniFile ini = IniFile::Load(path);
  ASSERT_FALSE(ini.Existed());
  WriteDefaultConfiguration(ini, "/opt/climate/");
  ini.Save(path);

  const std::string golden = test::ReadBytes(Golden);
  ASSERT_FALSE(golden.empty());
  EXPECT_EQ(test::ReadBytes(path), golden);
  EXPECT_TRUE(IniFile::Load(path).Existed());
}

TEST(ReadDefaults, ExistingFileMissingKeysIsNeverCompleted) {
  const IniFile ini = IniFile::Parse("[FrmMain]\r\nColor=1\r\n[UserSetKt]\r\nZllmd=3\r\n");
  EXPECT_EQ(ini.ReadInteger("FrmMain", "Height", ReadDefault::FrmMainHeight), 582);
  EXPECT_EQ(ini.ReadInteger("FrmMain", "Width", ReadDefault::FrmMainWidth), 606);
  EXPECT_EQ(ini.ReadString("UserSet", "Language", ReadDefault::Language), "中文(&L)");
  const ParameterKey& zltzd = UserSetKtKeys()[0];
  EXPECT_EQ(ini.ReadString("UserSetKt", zltzd.key, zltzd.readDefault), "25");
  EXPECT_FALSE(ini.ReadBool("UserSetKt", zltzd.enableKey, ReadDefault::ParameterEnabled));
}

TEST(PortSettings, ParityLetterAndTheOtherFields) {
  const struct {
    const char* comSet;
    const char* expected;
  } cases[] = {
      {"", "9600,n,8,1"},
      {"Om=1", "9600,o,8,1"},
      {"Om=2", "9600,e,8,1"},
      {"Om=7", "9600,n,8,1"},
      {"Om=odd", "9600,n,8,1"},
      {"Bote=19200\r\nData=7\r\nStop=2\r\nOm=2", "19200,e,7,2"},
      {"Bote= 4800 \r\nOm=$1", "4800,o,8,1"},
  };
  for (const auto& c : cases) {
    const IniFile ini = IniFile::Parse(std::string("[ComSet]\r\n") + c.comSet + "\r\n");
    EXPECT_EQ(ReadPortSettingsString(ini), c.expected) << c.comSet;
  }
}

TEST(SerialPortPaths, MappedByTheOptionalSectionElseTheStandardPorts) {
  const IniFile ini =
      IniFile::Parse("[SerialPorts]\r\nCOM1=/dev/ttyUSB0\r\ncom3 = /dev/ttyACM0 \r\nCOM4=\r\n");
  const auto paths = ReadSerialPortPaths(ini);
  EXPECT_EQ(paths[0], "/dev/ttyUSB0");
  EXPECT_EQ(paths[1], "/dev/ttyS1");
  EXPECT_EQ(paths[2], "/dev/ttyACM0");
  EXPECT_EQ(paths[3], "/dev/ttyS3");
}

}  // namespace
}  // namespace climate
