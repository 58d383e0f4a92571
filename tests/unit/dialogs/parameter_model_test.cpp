// The parameter dialogs without a window: what reaches the wire, what is read from and written
// to UserSet.INI, and how every failure stops the OK path.
#include "dialogs/parameter_model.hpp"

#include <gtest/gtest.h>

#include "app/config/ini_file.hpp"
#include "dialogs/dialog_config.hpp"
#include "test_dialog_host.hpp"

namespace climate {
namespace {

using testing::ReadTextFile;
using testing::TestDialogHost;
using testing::WriteTextFile;

Bytes B(std::initializer_list<int> values) {
  Bytes bytes;
  for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
}

// The data byte of one field after Encode, with every other field at its default.
int EncodedByte(ParameterModel model, std::size_t index, const std::string& text) {
  model.ApplyDefaults();
  model.SetText(index, text);
  const EncodeResult result = model.Encode(Language::English);
  EXPECT_TRUE(result.ok) << result.message;
  return result.ok ? result.data.at(index) : -1;
}

TEST(ParameterModelFrames, DefaultsGiveTheKnownFramesAndPendingCodes) {
  struct Case {
    ParameterModel model;
    Bytes frame;
    int pending;
  };
  const Case cases[] = {
      {ParameterModel::AirConditioner(),
       B({0x7E, 0x01, 0x77, 0x42, 0x2D, 0x1E, 0x19, 0x1E, 0x4B, 0x14, 0x66, 0xFE, 0x0D}), 1},
      {ParameterModel::HeatExchanger(),
       B({0x7E, 0x01, 0x77, 0x42, 0x32, 0x1E, 0x19, 0x1E, 0x4B, 0x14, 0x61, 0xFE, 0x0D}), 0},
      {ParameterModel::HeatExchangerFactory(),
       B({0x7E, 0x01, 0x66, 0x44, 0x2D, 0x1E, 0x14, 0x19, 0x1E, 0xC0, 0xFE, 0x0D}), 5},
  };
  for (Case c : cases) {
    TestDialogHost host;
    c.model.ApplyDefaults();
    EXPECT_TRUE(c.model.Submit(host));
    ASSERT_EQ(host.port.written.size(), 1u);
    EXPECT_EQ(host.port.written[0], c.frame);
    EXPECT_EQ(host.pendingCommand, c.pending);
    EXPECT_TRUE(host.errors.empty());
  }
}

TEST(ParameterModelFrames, UsesTheConfiguredCodesOfTheDialogsUnitType) {
  TestDialogHost host;
  host.protocol.Id = 3;
  host.protocol.Kt.Sdcs = 0x52;
  host.protocol.Rjh.Sdcs = 0x62;
  host.protocol.Rjh.SdcsCd = 0x76;
  ParameterModel hx = ParameterModel::HeatExchanger();
  ASSERT_TRUE(hx.Submit(host));
  const Bytes& frame = host.port.written.at(0);
  EXPECT_EQ(frame[1], 3);
  EXPECT_EQ(frame[2], 0x76);
  EXPECT_EQ(frame[3], 0x62);  // the heat exchanger's set, never the air conditioner's
}

TEST(ParameterModelEncoding, SignedTrimmedAndOffsetValues) {
  const ParameterModel ac = ParameterModel::AirConditioner();
  EXPECT_EQ(EncodedByte(ac, 5, "-15"), 0x05);
  EXPECT_EQ(EncodedByte(ac, 0, " 25 "), 0x2D);
  EXPECT_EQ(EncodedByte(ac, 0, "+5"), 0x19);
  EXPECT_EQ(EncodedByte(ac, 0, "99"), 0x77);  // not in the list, but the unit can take it
  EXPECT_EQ(EncodedByte(ac, 0, "-20"), 0x00);
  EXPECT_EQ(EncodedByte(ac, 0, "235"), 0xFF);

  const ParameterModel hx = ParameterModel::HeatExchanger();
  EXPECT_EQ(EncodedByte(hx, 2, "-10"), 0x0A);
  EXPECT_EQ(EncodedByte(hx, 5, "-15"), 0x05);

  const ParameterModel factory = ParameterModel::HeatExchangerFactory();
  EXPECT_EQ(EncodedByte(factory, 4, "100"), 0x64);  // percentage: no offset
  EXPECT_EQ(EncodedByte(factory, 4, "30"), 0x1E);
  EXPECT_EQ(EncodedByte(factory, 4, "255"), 0xFF);
  EXPECT_EQ(EncodedByte(factory, 2, "18"), 0x26);
}

TEST(ParameterModelEncoding, NonIntegersStopAtTheirFieldWithTheConversionMessage) {
  const std::pair<std::string, std::string> cases[] = {
      {"abc", "'abc' is not a valid integer value"},
      {"", "'' is not a valid integer value"},
      {"  ", "'' is not a valid integer value"},
      {"-", "'-' is not a valid integer value"},
      {" 1a ", "'1a' is not a valid integer value"},
      {"5-", "'5-' is not a valid integer value"},
      {"+-5", "'+-5' is not a valid integer value"},
      {"2147483648", "'2147483648' is not a valid integer value"},
  };
  for (const auto& [text, message] : cases) {
    TestDialogHost host;
    host.BreakPort();  // conversion comes first: the port routine must not even run
    ParameterModel ac = ParameterModel::AirConditioner();
    ac.ApplyDefaults();
    ac.SetText(5, text);  // the first five fields are valid
    host.pendingCommand = 3;
    EXPECT_FALSE(ac.Submit(host)) << text;
    EXPECT_EQ(host.errors, std::vector<std::string>{message});
    EXPECT_EQ(host.sendCalls, 0);
    EXPECT_EQ(host.openAttempts, 0);
    EXPECT_EQ(host.pendingCommand, 3);
    EXPECT_EQ(ac.Encode(Language::English).failedField, 5u);
  }
}

TEST(ParameterModelEncoding, ValuesTheByteCannotHoldAreRefusedNamingTheField) {
  TestDialogHost host;
  ParameterModel ac = ParameterModel::AirConditioner();
  ac.ApplyDefaults();
  ac.SetText(0, "999");
  EXPECT_FALSE(ac.Submit(host));
  EXPECT_EQ(host.errors, std::vector<std::string>{
                             "Cooling Off Point: value 999 is out of range; the unit accepts -20 "
                             "to 235."});
  EXPECT_TRUE(host.port.written.empty());
  EXPECT_EQ(host.pendingCommand, -1);

  host.errors.clear();
  host.language = Language::Chinese;
  ac.SetText(0, "25");
  ac.SetText(5, "-50");
  EXPECT_FALSE(ac.Submit(host));
  EXPECT_EQ(host.errors,
            std::vector<std::string>{"设定低温报警点：数值 -50 超出范围，机组只接受 -20 到 235。"});

  ParameterModel factory = ParameterModel::HeatExchangerFactory();
  factory.ApplyDefaults();
  factory.SetText(4, "256");
  const EncodeResult result = factory.Encode(Language::English);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.failedField, 4u);
  EXPECT_EQ(result.message,
            "Lowest Fan speed: value 256 is out of range; the unit accepts 0 to 255.");
}

TEST(ParameterModelSend, ClosedPortIsOpenedOnceOrNothingIsSent) {
  {
    TestDialogHost host;
    host.port.Close();  // closed but can be opened: the open routine runs, then the frame goes
    ParameterModel ac = ParameterModel::AirConditioner();
    EXPECT_TRUE(ac.Submit(host));
    EXPECT_EQ(host.openAttempts, 1);
    EXPECT_EQ(host.port.written.size(), 1u);
    EXPECT_EQ(host.pendingCommand, 1);
  }
  {
    TestDialogHost host;
    host.BreakPort();
    host.pendingCommand = 4;
    ParameterModel ac = ParameterModel::AirConditioner();
    EXPECT_FALSE(ac.Submit(host));
    EXPECT_EQ(host.openAttempts, 1);
    EXPECT_TRUE(host.port.written.empty());
    EXPECT_EQ(host.pendingCommand, 4);
    EXPECT_EQ(host.errors.size(), 1u);  // only the open routine's own report
  }
  {
    TestDialogHost host;
    host.port.failWrites = true;  // a failed write is not a sent request
    ParameterModel hx = ParameterModel::HeatExchanger();
    EXPECT_FALSE(hx.Submit(host));
    EXPECT_EQ(host.pendingCommand, -1);
    EXPECT_EQ(host.errors, std::vector<std::string>{"write failed"});
  }
}

TEST(ParameterModelLoad, TextsFallbacksAndEnableKeys) {
  TestDialogHost host;
  WriteTextFile(host.configPath,
                "[UserSetKt]\r\nZltzd=32\r\nZltzdE=1\r\nZllmd=7\r\nZllmdE=0\r\n"
                "Jrkqd=abc\r\nJrkqdE=1\r\nGwgjd= 99 \r\nGwgjdE=2\r\n"
                "[UserSetRjh]\r\nJrkqd=-3\r\nJrkqdE=1\r\n");
  ParameterModel ac = ParameterModel::AirConditioner();
  EXPECT_EQ(ac.Text(ParameterModel::CoolingSensitivityIndex), "10");  // before the first showing
  EXPECT_EQ(ac.Text(ParameterModel::HeaterSensitivityIndex), "10");

  ac.Load(ReadDialogConfig(host));
  const std::vector<std::string> texts = {"32", "7", "abc", "0", "99", "5"};
  const std::vector<bool> enabled = {true, false, true, false, true, false};
  for (std::size_t i = 0; i < ac.Size(); ++i) {
    EXPECT_EQ(ac.Text(i), texts[i]) << i;
    EXPECT_EQ(ac.Enabled(i), enabled[i]) << i;
  }

  // The heat exchanger's keys of the same name are its own.
  ParameterModel hx = ParameterModel::HeatExchanger();
  hx.Load(ReadDialogConfig(host));
  EXPECT_EQ(hx.Text(2), "-3");
  EXPECT_TRUE(hx.Enabled(2));
  EXPECT_EQ(hx.Text(3), "10");
  EXPECT_FALSE(hx.Enabled(3));
}

TEST(ParameterModelLoad, EmptyFileShowsFallbacksAndSendsThem) {
  TestDialogHost host;
  ParameterModel ac = ParameterModel::AirConditioner();
  ac.Load(ReadDialogConfig(host));
  ASSERT_TRUE(ac.Info().sizeFallback.has_value());
  EXPECT_EQ(ac.LoadSize(ReadDialogConfig(host), *ac.Info().sizeFallback).height, 421);
  EXPECT_EQ(ac.LoadSize(ReadDialogConfig(host), *ac.Info().sizeFallback).width, 331);
  for (std::size_t i = 0; i < ac.Size(); ++i) EXPECT_FALSE(ac.Enabled(i));
  // Disabled fields are sent like the others.
  ASSERT_TRUE(ac.Submit(host));
  EXPECT_EQ(host.port.written.at(0),
            B({0x7E, 0x01, 0x77, 0x42, 45, 20, 30, 20, 20, 25, 0xA7, 0xFE, 0x0D}));

  ParameterModel hx = ParameterModel::HeatExchanger();
  EXPECT_EQ(hx.LoadSize(ReadDialogConfig(host), *hx.Info().sizeFallback).height, 424);
  EXPECT_EQ(hx.LoadSize(ReadDialogConfig(host), *hx.Info().sizeFallback).width, 324);
}

TEST(ParameterModelDefault, ConfirmationAnsweredBothWays) {
  for (Language language : {Language::Chinese, Language::English}) {
    TestDialogHost host;
    host.language = language;
    ParameterModel ac = ParameterModel::AirConditioner();
    ac.SetText(0, "33");
    ac.SetEnabled(0, false);

    host.prompts.confirmAnswers = {false};
    EXPECT_FALSE(ac.RestoreDefaults(host));
    EXPECT_EQ(ac.Text(0), "33");
    EXPECT_TRUE(host.port.written.empty());

    host.prompts.confirmAnswers = {true};
    EXPECT_TRUE(ac.RestoreDefaults(host));
    EXPECT_EQ(ac.Text(0), "25");  // disabled fields take their default too
    EXPECT_EQ(host.port.written.size(), 1u);
    EXPECT_EQ(host.pendingCommand, 1);

    ASSERT_EQ(host.prompts.confirms.size(), 2u);
    if (language == Language::Chinese) {
      EXPECT_EQ(host.prompts.confirms[0].first, " 您确定要将空调参数还原为默认值?");
      EXPECT_EQ(host.prompts.confirms[0].second, "确定还原!");
    } else {
      EXPECT_EQ(host.prompts.confirms[0].first,
                "Are you sure set all parameters as default value?");
      EXPECT_EQ(host.prompts.confirms[0].second, "Config!");
    }
  }

  TestDialogHost host;
  host.language = Language::Chinese;
  host.prompts.confirmAnswers = {true};
  ParameterModel factory = ParameterModel::HeatExchangerFactory();
  factory.SetText(4, "95");
  EXPECT_TRUE(factory.RestoreDefaults(host));
  EXPECT_EQ(host.prompts.confirms.at(0).first, " 您确定要将热交换器参数还原为默认值?");
  EXPECT_EQ(host.pendingCommand, 5);
}

TEST(ParameterModelDefault, ConfirmedWithoutAPortLeavesTheDefaultsShown) {
  TestDialogHost host;
  host.BreakPort();
  host.prompts.confirmAnswers = {true};
  ParameterModel hx = ParameterModel::HeatExchanger();
  hx.SetText(0, "21");
  EXPECT_FALSE(hx.RestoreDefaults(host));
  EXPECT_EQ(hx.Text(0), "30");
  EXPECT_TRUE(host.port.written.empty());
  EXPECT_EQ(host.pendingCommand, -1);
}

TEST(ParameterModelSave, StoresSizeAndTextsAndReloadsThem) {
  TestDialogHost host;
  WriteTextFile(host.configPath, "[UserSetKt]\r\nZltzdE=1\r\n");
  ParameterModel ac = ParameterModel::AirConditioner();
  ac.Load(ReadDialogConfig(host));
  ac.SetText(0, "3x");  // abandoned with Cancel: stored unvalidated all the same
  ac.SetText(2, " 7");
  ASSERT_TRUE(WriteDialogConfig(host, [&](IniFile& ini) { ac.Save(ini, {400, 350}); }));

  const IniFile ini = ReadDialogConfig(host);
  EXPECT_EQ(ini.ReadInteger("FrmSetKt", "Height", 0), 400);
  EXPECT_EQ(ini.ReadInteger("FrmSetKt", "Width", 0), 350);
  EXPECT_TRUE(ini.ReadBool("UserSetKt", "ZltzdE", false));  // enable keys are left alone
  EXPECT_FALSE(ini.HasKey("UserSetKt", "ZllmdE"));

  ParameterModel again = ParameterModel::AirConditioner();
  again.Load(ini);
  EXPECT_EQ(again.Text(0), "3x");
  EXPECT_EQ(again.Text(2), "7");
  EXPECT_EQ(again.Text(5), "5");
}

TEST(ParameterModelSave, RefusedWriteIsShown) {
  TestDialogHost host;
  host.configPath = host.folder.Path() + "missing/UserSet.INI";
  const ParameterModel ac = ParameterModel::AirConditioner();
  EXPECT_FALSE(WriteDialogConfig(host, [&](IniFile& ini) { ac.Save(ini, {1, 1}); }));
  EXPECT_EQ(host.errors, std::vector<std::string>{"Unable to write to " + host.configPath});
  EXPECT_EQ(ReadTextFile(host.configPath), "");
}

TEST(ParameterFieldTables, ControlsOrderListsAndUnits) {
  const ParameterModel hx = ParameterModel::HeatExchanger();
  std::vector<std::string> controls;
  for (const ParameterField& field : hx.Fields()) controls.push_back(field.control);
  EXPECT_EQ(controls, (std::vector<std::string>{"suiComboBox1", "suiComboBox5", "suiComboBox6",
                                                "suiComboBox4", "suiComboBox3", "suiComboBox2"}));

  const ParameterModel factory = ParameterModel::HeatExchangerFactory();
  ASSERT_EQ(factory.Size(), 5u);
  EXPECT_EQ(factory.Field(4).control, "suiComboBox11");
  EXPECT_EQ(factory.Field(4).unit, "%");
  const std::vector<std::string> speeds = factory.Field(4).ListEntries();
  ASSERT_EQ(speeds.size(), 15u);
  EXPECT_EQ(speeds.front(), "30");
  EXPECT_EQ(speeds[1], "35");
  EXPECT_EQ(speeds.back(), "100");

  const ParameterModel ac = ParameterModel::AirConditioner();
  EXPECT_EQ(ac.Field(2).englishLabel, "Hearter On Point");
  EXPECT_EQ(ac.Field(5).ListEntries().front(), "-15");
  EXPECT_EQ(ac.Field(5).ListEntries().size(), 26u);
}

}  // namespace
}  // namespace climate
