// Decoded replies as the operator sees them: whole memo texts in both languages, value boxes,
// lamps, the remote on/off state and the acknowledgement lines.
#include "protocol/reply_views.hpp"

#include <gtest/gtest.h>

#include "protocol/receive.hpp"
#include "protocol_test_support.hpp"

namespace climate {
namespace {

using test::AcExample;
using test::Defaults;
using test::ExpectedLines;
using test::FactoryExample;
using test::Hex;
using test::Reply;

constexpr auto Green = LampColour::Green;
constexpr auto Red = LampColour::Red;

// Data bytes 3..15 of a real-time reply; B has every alarm set and the unit stopped.
const Bytes NormalData = Hex("2D 32 3C DC 34 3E 19 23 4B 14 1F 00 00");
const Bytes AlarmData = Hex("00 14 64 F0 00 63 1E 63 50 0A 00 FF 3F");

struct WholeReply {
  const char* file;
  DeviceKind kind;
  Bytes frame;
  Language language;
  const char* coolingSensitivity = "10";
  const char* heaterSensitivity = "10";
};

TEST(MemoText, WholeRepliesInBothLanguages) {
  const ProtocolSettings protocol = Defaults();
  const auto ac = DeviceKind::AirConditioner;
  const auto hx = DeviceKind::HeatExchanger;
  const auto en = Language::English;
  const auto zh = Language::Chinese;
  const WholeReply cases[] = {
      {"ac_normal_en.txt", ac, AcExample, en},
      {"ac_normal_zh.txt", ac, AcExample, zh},
      {"ac_alarms_en.txt", ac, Reply(0xDD, AlarmData), en, " -3 ", "1.5"},
      {"ac_alarms_zh.txt", ac, Reply(0xDD, AlarmData), zh, " -3 ", "1.5"},
      {"hx_normal_en.txt", hx, Reply(0xDD, NormalData), en},
      {"hx_normal_zh.txt", hx, Reply(0xDD, NormalData), zh},
      {"hx_alarms_en.txt", hx, Reply(0xDD, AlarmData), en},
      {"hx_alarms_zh.txt", hx, Reply(0xDD, AlarmData), zh},
      {"hx_factory_en.txt", hx, FactoryExample, en},
      {"hx_factory_zh.txt", hx, FactoryExample, zh},
  };
  for (const WholeReply& c : cases) {
    const ReceiveContext context{.protocol = &protocol,
                                 .kind = c.kind,
                                 .language = c.language,
                                 .coolingSensitivity = c.coolingSensitivity,
                                 .heaterSensitivity = c.heaterSensitivity,
                                 .now = {}};
    const std::vector<std::string> expected = ExpectedLines(c.file);
    ASSERT_FALSE(expected.empty()) << c.file;
    EXPECT_EQ(ProcessReply(c.frame, context).lines, expected) << c.file;
  }
}

TEST(RealTimeView, AirConditionerExampleFillsBoxesLampsAndCaption) {
  const RealTimeView view =
      RenderAcRealTime(DecodeAcRealTime(AcExample), Language::English, "10", "10");
  // suiEdit1..10: indoor, humidity, cooling off, outdoor, voltage, cooling on, heating on,
  // high alarm, heating off, low alarm.
  EXPECT_EQ(view.boxes, (std::array<std::string, 10>{"25", "60", "32", "30", "220", "42", "5", "55",
                                                     "15", "0"}));
  for (LampColour lamp : view.lamps) EXPECT_EQ(lamp, Green);
  EXPECT_TRUE(view.unitRunning);
  EXPECT_EQ(view.openButtonCaption, "Remote Off (&L)");
  EXPECT_EQ(view.memoLines.size(), 30u);

  const RealTimeView stopped =
      RenderAcRealTime(DecodeAcRealTime(Reply(0xDD, AlarmData)), Language::Chinese, "10", "10");
  for (LampColour lamp : stopped.lamps) EXPECT_EQ(lamp, Red);
  EXPECT_FALSE(stopped.unitRunning);
  EXPECT_EQ(stopped.openButtonCaption, "遥控开机(&O)");
  EXPECT_EQ(OpenButtonCaption(true, Language::Chinese), "遥控关机(&L)");
  EXPECT_EQ(OpenButtonCaption(false, Language::English), "Remote On (&O)");
}

// Which lamp (Shape number) each bit drives: status byte, alarm byte 1, alarm byte 2.
constexpr int StatusLamps[] = {1, 3, 5, 7, 9};
constexpr int Alarm1Lamps[] = {2, 4, 6, 8, 10, 15, 14, 13};
constexpr int Alarm2Lamps[] = {11, 12, 17, 16, 18, 19};

TEST(RealTimeView, EachBitDrivesExactlyItsOwnLamp) {
  for (DeviceKind kind : {DeviceKind::AirConditioner, DeviceKind::HeatExchanger}) {
    const auto render = [kind](std::uint8_t status, std::uint8_t alarm1, std::uint8_t alarm2) {
      Bytes data = NormalData;
      data[10] = status;
      data[11] = alarm1;
      data[12] = alarm2;
      const Bytes frame = Reply(0xDD, data);
      return kind == DeviceKind::AirConditioner
                 ? RenderAcRealTime(DecodeAcRealTime(frame), Language::English, "10", "10")
                 : RenderHxRealTime(DecodeHxRealTime(frame), Language::English);
    };
    const RealTimeView allStopped = render(0, 0, 0);
    const auto expectOnlyChange = [&](const RealTimeView& view, int shape, LampColour colour) {
      for (int i = 0; i < 19; ++i) {
        const LampColour expected = i + 1 == shape ? colour : allStopped.lamps[i];
        EXPECT_EQ(view.lamps[i], expected) << "Shape" << i + 1 << " for bit of Shape" << shape;
      }
    };
    for (int bit = 0; bit < 5; ++bit) {
      EXPECT_EQ(allStopped.lamps[StatusLamps[bit] - 1], Red);
      expectOnlyChange(render(1 << bit, 0, 0), StatusLamps[bit], Green);
    }
    for (int bit = 0; bit < 8; ++bit) {
      EXPECT_EQ(allStopped.lamps[Alarm1Lamps[bit] - 1], Green);
      expectOnlyChange(render(0, 1 << bit, 0), Alarm1Lamps[bit], Red);
    }
    for (int bit = 0; bit < 6; ++bit) {
      expectOnlyChange(render(0, 0, 1 << bit), Alarm2Lamps[bit], Red);
    }
    // Unused bits change nothing at all.
    const RealTimeView unused = render(0xE0, 0, 0xC0);
    EXPECT_EQ(unused.lamps, allStopped.lamps);
    EXPECT_EQ(unused.memoLines, allStopped.memoLines);
  }
}

TEST(RealTimeView, AirConditionerIgnoresOffsets8And10AndDerivesFromTheSensitivities) {
  Bytes data = NormalData;
  data[5] = 0x00;
  data[7] = 0xFF;
  const AcRealTimeData record = DecodeAcRealTime(Reply(0xDD, data));
  const RealTimeView base = RenderAcRealTime(record, Language::English, "10", "10");
  EXPECT_EQ(base.memoLines,
            RenderAcRealTime(DecodeAcRealTime(AcExample), Language::English, "10", "10").memoLines);

  struct Sensitivity {
    const char* text;
    const char* coolingOn;  // cooling off is 32
  };
  const Sensitivity cases[] = {{" 7\t", "39"},         {"+5", "37"},    {"-40", "-8"},
                               {"", "－－"},           {"1.5", "－－"}, {"+-3", "－－"},
                               {"99999999999", "－－"}};
  for (const Sensitivity& c : cases) {
    const RealTimeView view = RenderAcRealTime(record, Language::English, c.text, "2");
    EXPECT_EQ(view.boxes[5], c.coolingOn) << '"' << c.text << '"';
    EXPECT_EQ(view.memoLines[5], std::string("Cooling On:   ") + c.coolingOn + " ℃");
    EXPECT_EQ(view.boxes[8], "7");  // heating on 5 + 2
  }
  const RealTimeView noHeater = RenderAcRealTime(record, Language::Chinese, "1", "ten");
  EXPECT_EQ(noHeater.boxes[8], "－－");
  EXPECT_EQ(noHeater.memoLines[7], "当前加热停止点:   －－ ℃");
}

TEST(RealTimeView, HeatExchangerStatus08) {
  Bytes data = NormalData;
  data[10] = 0x08;
  const RealTimeView view =
      RenderHxRealTime(DecodeHxRealTime(Reply(0xDD, data)), Language::English);
  EXPECT_EQ(view.lamps[6], Green);  // Shape7
  EXPECT_EQ(view.lamps[0], Red);    // Shape1
  EXPECT_EQ(view.memoLines[13], "Heat Exchanger Nomal");
  EXPECT_EQ(view.memoLines[10], "Device Stop");
  EXPECT_FALSE(view.unitRunning);
  EXPECT_EQ(view.openButtonCaption, "Remote On (&O)");
  EXPECT_EQ(view.boxes, (std::array<std::string, 10>{"25", "60", "32", "30", "220", "42", "5", "55",
                                                     "15", "0"}));
}

TEST(FactoryView, ExampleAndRawBytes) {
  const FactoryView view = RenderHxFactory(DecodeHxFactory(FactoryExample), Language::English);
  EXPECT_EQ(view.boxes, (std::array<std::string, 5>{"15", "25", "-5", "5", "30"}));
  const FactoryView zero =
      RenderHxFactory(DecodeHxFactory(Reply(0x55, Hex("14 00 FF 14 FF"))), Language::English);
  EXPECT_EQ(zero.boxes, (std::array<std::string, 5>{"0", "-20", "235", "0", "255"}));
  EXPECT_EQ(zero.memoLines[4], "Lowest Fan Speed:   255 %");
}

TEST(Acknowledgement, DecodingTestsNegativeFirst) {
  EXPECT_EQ(DecodeAck(test::PositiveAck, 165, 255), CommandAck::Positive);
  EXPECT_EQ(DecodeAck(test::NegativeAck, 165, 255), CommandAck::Negative);
  EXPECT_EQ(DecodeAck(Hex("7E 01 11 00 00 00 0D"), 165, 255), CommandAck::Other);
  EXPECT_EQ(DecodeAck(test::PositiveAck, 165, 165), CommandAck::Negative);
  EXPECT_EQ(DecodeAck(test::PositiveAck, 165 + 256, 255), CommandAck::Other);
  EXPECT_EQ(DecodeAck(Hex("7E 01 00"), 165, 255), CommandAck::Other);  // no data byte
}

TEST(Acknowledgement, TextsByPendingCommand) {
  struct Row {
    int pending;
    const char* failureEnglish;
    const char* successChinese;
  };
  const Row rows[] = {
      {0, "Heat exchanger parameter setting commad return error,please try again!",
       "热交换器参数设置命令下发成功!"},
      {1, "Cabinet Air Conditioner parameter setting commad return error,please try again!",
       "机柜空调参数设置命令下发成功!"},
      {2, "Remote on commad return error,please try again!", "开机命令下发成功!"},
      {3, "Remote off commad return error,please try again!", "关机命令下发成功!"},
      {4, "Internal fan stop point setting commad return error,please try again!",
       "室内风机停止点设置成功!"},
      {5, "Heat exchanger factory parameter setting setting commad return error,please try again!",
       "热交换器厂家参数设置成功!"},
      {6, "Commad return error,please try again!", "命令下发成功!"},
      {-1, "Commad return error,please try again!", "命令下发成功!"},
      {32767, "Commad return error,please try again!", "命令下发成功!"},
  };
  for (const Row& row : rows) {
    const auto pending = static_cast<CommandCode>(row.pending);
    EXPECT_EQ(RenderAck(CommandAck::Negative, pending, Language::English), row.failureEnglish);
    EXPECT_EQ(RenderAck(CommandAck::Positive, pending, Language::Chinese), row.successChinese);
    EXPECT_EQ(RenderAck(CommandAck::Other, pending, Language::English), std::nullopt);
  }
  EXPECT_EQ(
      RenderAck(CommandAck::Positive, CommandCode::AirConditionerParameters, Language::English),
      "Cabinet Air Conditioner parameter setting return success!");
  EXPECT_EQ(RenderAck(CommandAck::Negative, CommandCode::InternalFanStopPoint, Language::Chinese),
            "室内风机停止点设置失败,请重新下发!");
  EXPECT_EQ(RenderAck(CommandAck::Positive, CommandCode::HeatExchangerFactory, Language::English),
            "Heat exchanger factory parameter setting setting commad return success!");
}

}  // namespace
}  // namespace climate
