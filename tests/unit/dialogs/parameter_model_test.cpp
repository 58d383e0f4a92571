// The parameter dialogs without a window: what reaches the wire, what is read from and written
// to UserSet.INI, and how every failure stops the OK path.
#include "dialogs/parameter_model.hpp"

#include <gtest/gtest.h>

#include "app/config/ini_file.hpp"
#include "dialogs/dialog_config.hpp"
#include "test_dialog_host.hpp"

namespace climate {
namespace {

using testing::B;
using testing::TestDialogHost;

// The data byte of one field, every other field at its default.
int EncodedByte(ParameterModel model, std::size_t index, const std::string& text) {
  model.ApplyDefaults();
  model.SetText(index, text);
  const EncodeResult result = model.Encode(Language::English);
  return result.ok ? result.data.at(index) : -1;
}

TEST(ParameterModel, DefaultsGiveTheKnownFramesAndPendingCodes) {
  const std::tuple<ParameterModel, Bytes, int> cases[] = {
      {ParameterModel::AirConditioner(),
       B({0x7E, 0x01, 0x77, 0x42, 0x2D, 0x1E, 0x19, 0x1E, 0x4B, 0x14, 0x66, 0xFE, 0x0D}), 1},
      {ParameterModel::HeatExchanger(),
       B({0x7E, 0x01, 0x77, 0x42, 0x32, 0x1E, 0x19, 0x1E, 0x4B, 0x14, 0x61, 0xFE, 0x0D}), 0},
      {ParameterModel::HeatExchangerFactory(),
       B({0x7E, 0x01, 0x66, 0x44, 0x2D, 0x1E, 0x14, 0x19, 0x1E, 0xC0, 0xFE, 0x0D}), 5},
  };
  for (auto [model, frame, pending] : cases) {
    TestDialogHost host;
    model.ApplyDefaults();
    EXPECT_TRUE(model.Submit(host));
    EXPECT_EQ(host.port.written, std::vector<Bytes>{frame});
    EXPECT_EQ(host.pendingCommand, pending);
  }
  // The heat exchanger's own codes, whatever the air conditioner's are.
  TestDialogHost host;
  host.protocol.Kt.Sdcs = 0x52;
  host.protocol.Rjh.Sdcs = 0x62;
  ASSERT_TRUE(ParameterModel::HeatExchanger().Submit(host));
  EXPECT_EQ(host.port.written.at(0)[3], 0x62);
}

TEST(ParameterModel, EncodesSignedTrimmedValuesWithTheirOffset) {
  const ParameterModel ac = ParameterModel::AirConditioner();
  EXPECT_EQ(EncodedByte(ac, 5, "-15"), 0x05);
  EXPECT_EQ(EncodedByte(ac, 0, " 25 "), 0x2D);
  EXPECT_EQ(EncodedByte(ac, 0, "+5"), 0x19);
  EXPECT_EQ(EncodedByte(ac, 0, "99"), 0x77);  // not in the list, but the unit can take it
  EXPECT_EQ(EncodedByte(ac, 0, "-20"), 0x00);
  EXPECT_EQ(EncodedByte(ac, 0, "235"), 0xFF);
  EXPECT_EQ(EncodedByte(ParameterModel::HeatExchanger(), 2, "-10"), 0x0A);
  const ParameterModel factory = ParameterModel::HeatExchangerFactory();
  EXPECT_EQ(EncodedByte(factory, 4, "100"), 0x64);  // a percentage: no offset
  EXPECT_EQ(EncodedByte(factory, 2, "18"), 0x26);
}

TEST(ParameterModel, NonIntegersStopOkAtTheirFieldBeforeThePortIsTouched) {
  for (const std::string text : {"abc", "", "  ", "-", " 1a ", "+-5", "2147483648"}) {
    TestDialogHost host;
    host.BreakPort();
    host.pendingCommand = 3;
    ParameterModel ac = ParameterModel::AirConditioner();
    ac.SetText(5, text);  // the first five fields are valid
    EXPECT_FALSE(ac.Submit(host));
    std::string trimmed = text == "  " ? "" : text == " 1a " ? "1a" : text;
    EXPECT_EQ(host.errors,
              std::vector<std::string>{"'" + trimmed + "' is not a valid integer value"});
    EXPECT_EQ(ac.Encode(Language::English).failedField, 5u);
    EXPECT_EQ(host.openAttempts, 0);
    EXPECT_EQ(host.pendingCommand, 3);
  }
}

TEST(ParameterModel, ValuesTheByteCannotHoldAreRefusedNamingTheField) {
  TestDialogHost host;
  ParameterModel ac = ParameterModel::AirConditioner();
  ac.SetText(0, "999");
  EXPECT_FALSE(ac.Submit(host));
  host.language = Language::Chinese;
  ac.SetText(0, "25");
  ac.SetText(5, "-50");
  EXPECT_FALSE(ac.Submit(host));
  EXPECT_EQ(host.errors,
            (std::vector<std::string>{
                "Cooling Off Point: value 999 is out of range; the unit accepts -20 to 235.",
                "设定低温报警点：数值 -50 超出范围，机组只接受 -20 到 235。"}));
  EXPECT_TRUE(host.port.written.empty());
  EXPECT_EQ(host.pendingCommand, -1);

  ParameterModel factory = ParameterModel::HeatExchangerFactory();
  factory.SetText(4, "256");
  EXPECT_EQ(factory.Encode(Language::English).message,
            "Lowest Fan speed: value 256 is out of range; the unit accepts 0 to 255.");
}

TEST(ParameterModel, PortThatCannotOpenOrWriteSendsNothing) {
  TestDialogHost host;
  host.port.Close();  // closed but can be opened: opened once, then sent
  EXPECT_TRUE(ParameterModel::AirConditioner().Submit(host));
  EXPECT_EQ(host.openAttempts, 1);

  host.BreakPort();
  host.pendingCommand = 4;
  EXPECT_FALSE(ParameterModel::AirConditioner().Submit(host));
  EXPECT_EQ(host.errors.size(), 1u);  // the open routine's own report, nothing more
  EXPECT_EQ(host.port.written.size(), 1u);
  EXPECT_EQ(host.pendingCommand, 4);

  TestDialogHost failing;
  failing.port.failWrites = true;  // a failed write is no sent request
  EXPECT_FALSE(ParameterModel::HeatExchanger().Submit(failing));
  EXPECT_EQ(failing.errors, std::vector<std::string>{"write failed"});
  EXPECT_EQ(failing.pendingCommand, -1);
}

TEST(ParameterModel, LoadsTextsFallbacksAndEnableKeys) {
  TestDialogHost host;
  host.WriteConfig(
      "[UserSetKt]\r\nZltzd=32\r\nZltzdE=1\r\nZllmd=7\r\nZllmdE=0\r\nJrkqd=abc\r\nJrkqdE=1\r\n"
      "[UserSetRjh]\r\nJrkqd=-3\r\nJrkqdE=1\r\n");
  ParameterModel ac = ParameterModel::AirConditioner();
  EXPECT_EQ(ac.Text(ParameterModel::CoolingSensitivityIndex), "10");  // before any showing
  EXPECT_EQ(ac.Text(ParameterModel::HeaterSensitivityIndex), "10");
  ac.Load(ReadDialogConfig(host));
  const std::vector<std::string> texts = {"32", "7", "abc", "0", "0", "5"};
  const std::vector<bool> enabled = {true, false, true, false, false, false};
  for (std::size_t i = 0; i < ac.Size(); ++i) {
    EXPECT_EQ(ac.Text(i), texts[i]) << i;
    EXPECT_EQ(ac.Enabled(i), enabled[i]) << i;
  }
  ParameterModel hx = ParameterModel::HeatExchanger();  // same key names, its own values
  hx.Load(ReadDialogConfig(host));
  EXPECT_EQ(hx.Text(2), "-3");
  EXPECT_EQ(hx.Text(3), "10");

  // Disabled fields and fallbacks are sent as shown.
  ac.SetText(2, "10");
  ASSERT_TRUE(ac.Submit(host));
  EXPECT_EQ(host.port.written.at(0),
            B({0x7E, 0x01, 0x77, 0x42, 52, 27, 30, 20, 20, 25, 0x99, 0xFE, 0x0D}));
}

TEST(ParameterModel, DefaultAsksFirstThenSendsTheDefaults) {
  TestDialogHost host;
  ParameterModel ac = ParameterModel::AirConditioner();
  ac.SetText(0, "33");
  ac.SetEnabled(0, false);
  host.prompts.answers = {false};
  EXPECT_FALSE(ac.RestoreDefaults(host));
  EXPECT_EQ(ac.Text(0), "33");
  EXPECT_TRUE(host.port.written.empty());

  host.language = Language::Chinese;
  host.prompts.answers = {true};
  EXPECT_TRUE(ac.RestoreDefaults(host));
  EXPECT_EQ(ac.Text(0), "25");  // disabled fields take their default too
  EXPECT_EQ(host.port.written.size(), 1u);

  host.BreakPort();
  host.prompts.answers = {true};
  ParameterModel factory = ParameterModel::HeatExchangerFactory();
  factory.SetText(4, "95");
  EXPECT_FALSE(factory.RestoreDefaults(host));
  EXPECT_EQ(factory.Text(4), "30");  // shown, though not sent
  EXPECT_EQ(host.prompts.confirms,
            (std::vector<std::string>{"Are you sure set all parameters as default value?|Config!",
                                      " 您确定要将空调参数还原为默认值?|确定还原!",
                                      " 您确定要将热交换器参数还原为默认值?|确定还原!"}));
}

TEST(ParameterModel, SavesSizeAndTextsButNeverEnableKeys) {
  TestDialogHost host;
  host.WriteConfig("[UserSetKt]\r\nZltzdE=1\r\n");
  ParameterModel ac = ParameterModel::AirConditioner();
  ac.SetText(0, "3x");  // abandoned with Cancel: stored unvalidated all the same
  ASSERT_TRUE(WriteDialogConfig(host, [&](IniFile& ini) { ac.Save(ini, {400, 350}); }));
  const IniFile ini = ReadDialogConfig(host);
  EXPECT_EQ(ini.ReadInteger("FrmSetKt", "Height", 0), 400);
  EXPECT_EQ(ini.ReadInteger("FrmSetKt", "Width", 0), 350);
  EXPECT_EQ(ini.Keys("UserSetKt"), (std::vector<std::string>{"ZltzdE", "Zltzd", "Zllmd", "Jrkqd",
                                                             "Jrlmd", "Gwgjd", "Dwgjd"}));
  EXPECT_EQ(ini.ReadString("UserSetKt", "Zltzd", ""), "3x");

  host.configPath = host.folder.Path() + "missing/UserSet.INI";
  EXPECT_FALSE(WriteDialogConfig(host, [&](IniFile& file) { ac.Save(file, {1, 1}); }));
  EXPECT_EQ(host.errors, std::vector<std::string>{"Unable to write to " + host.configPath});
}

}  // namespace
}  // namespace climate
