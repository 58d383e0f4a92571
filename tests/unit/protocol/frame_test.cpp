// Request frames, checksum and the two sender helpers against known byte sequences.
#include "protocol/frame.hpp"

#include <gtest/gtest.h>

#include "protocol_test_support.hpp"

namespace climate {
namespace {

using test::Defaults;
using test::Hex;

struct RequestCase {
  const char* name;
  CommandKind command;
  DeviceKind kind;
  const char* data;
  const char* frame;
};

TEST(RequestFrames, DefaultSettingsGiveTheKnownFrames) {
  const RequestCase cases[] = {
      {"real-time, air conditioner", CommandKind::RealTimeData, DeviceKind::AirConditioner, "",
       "7E 01 11 41 AE FF 0D"},
      {"real-time, heat exchanger", CommandKind::RealTimeData, DeviceKind::HeatExchanger, "",
       "7E 01 11 41 AE FF 0D"},
      {"remote off", CommandKind::RemoteOnOff, DeviceKind::AirConditioner, "FF",
       "7E 01 22 43 FF 9C FE 0D"},
      {"remote on", CommandKind::RemoteOnOff, DeviceKind::HeatExchanger, "00",
       "7E 01 22 43 00 9B FF 0D"},
      {"fan stop point 5", CommandKind::SetFanStopPoint, DeviceKind::AirConditioner, "19",
       "7E 01 22 44 19 81 FF 0D"},
      {"get factory, heat exchanger", CommandKind::GetFactoryParameters, DeviceKind::HeatExchanger,
       "", "7E 01 11 45 AA FF 0D"},
      {"air conditioner parameters", CommandKind::SetParameters, DeviceKind::AirConditioner,
       "2D 1E 19 1E 4B 14", "7E 01 77 42 2D 1E 19 1E 4B 14 66 FE 0D"},
      {"heat exchanger parameters", CommandKind::SetParameters, DeviceKind::HeatExchanger,
       "32 1E 19 1E 4B 14", "7E 01 77 42 32 1E 19 1E 4B 14 61 FE 0D"},
      {"factory parameters", CommandKind::SetFactoryParameters, DeviceKind::HeatExchanger,
       "2D 1E 14 19 1E", "7E 01 66 44 2D 1E 14 19 1E C0 FE 0D"},
  };
  const ProtocolSettings protocol = Defaults();
  for (const RequestCase& c : cases) {
    EXPECT_EQ(BuildRequest(protocol, c.command, c.kind, Hex(c.data)), Hex(c.frame)) << c.name;
  }
}

TEST(RequestFrames, CommandsOfOneUnitTypeIgnoreTheSelectedKind) {
  ProtocolSettings protocol = Defaults();
  protocol.Kt.Hqcjsdcs = 0x10;  // must never be used: factory requests go to the heat exchanger
  protocol.Rjh.Dtdsz = 0x20;    // and the fan stop point to the air conditioner
  EXPECT_EQ(BuildRequest(protocol, CommandKind::GetFactoryParameters, DeviceKind::AirConditioner),
            Hex("7E 01 11 45 AA FF 0D"));
  EXPECT_EQ(
      BuildRequest(protocol, CommandKind::SetFanStopPoint, DeviceKind::HeatExchanger, Hex("19")),
      Hex("7E 01 22 44 19 81 FF 0D"));
}

TEST(RequestFrames, DelimiterValuesInsideAreSentUnescapedAndWideValuesKeepTheirLowByte) {
  ProtocolSettings protocol = Defaults();
  const RequestFrame frame = BuildRequestFrame(protocol, 0x33, 0x44, Hex("0D 7E"));
  const std::uint16_t sum = FrameChecksum(0x33, Hex("44 0D 7E"));
  Bytes expected = Hex("7E 01 33 44 0D 7E");
  expected.push_back(static_cast<std::uint8_t>(sum & 0xFF));
  expected.push_back(static_cast<std::uint8_t>(sum >> 8));
  expected.push_back(0x0D);
  EXPECT_EQ(frame, expected);

  protocol.Id = 0x101;
  protocol.SOI = 0x17E;
  protocol.EOI = -243;  // 0xFF0D
  EXPECT_EQ(BuildRequestFrame(protocol, 0x111, 0x141, {}), Hex("7E 01 11 41 AE FF 0D"));
}

// Replies come from the same builder as requests: the reference replies byte for byte, and the
// configured delimiters and address with their low byte, as the simulator sends them.
TEST(ReplyFrames, BuilderGivesTheReferenceRepliesAndFollowsTheSettings) {
  ProtocolSettings protocol = Defaults();
  EXPECT_EQ(BuildReplyFrame(protocol, 0xDD, Hex("2D 32 3C DC 34 1E 19 1E 4B 14 1F 00 00")),
            test::AcExample);
  EXPECT_EQ(BuildReplyFrame(protocol, 0x55, Hex("23 2D 0F 19 1E")), test::FactoryExample);
  EXPECT_EQ(BuildReplyFrame(protocol, 0x11, Hex("A5")), test::PositiveAck);
  EXPECT_EQ(test::RealTimeReply(0x1F), test::AcExample);

  protocol.SOI = 0x13A;
  protocol.Id = 7;
  protocol.EOI = 0x0A;
  EXPECT_EQ(BuildReplyFrame(protocol, 0x111, Hex("A5")), Hex("3A 07 11 A5 4A FF 0A"));
}

TEST(Checksum, ReplyExamplesCarryTheirChecksum) {
  EXPECT_EQ(FrameChecksum(0x11, Hex("41")), 0xFFAE);
  EXPECT_EQ(FrameChecksum(0xDD, Hex("2D 32 3C DC 34 1E 19 1E 4B 14 1F 00 00")), 0xFCA5);
  EXPECT_EQ(FrameChecksum(0x55, Hex("23 2D 0F 19 1E")), 0xFF15);
  EXPECT_EQ(FrameChecksum(0x00, {}), 0x0000);  // 0x10000 - 0 wraps to 0
}

TEST(HexTextToNumber, ReadsUpperCaseHexOnly) {
  EXPECT_EQ(HexTextToNumber("FF"), 255);
  EXPECT_EQ(HexTextToNumber("ff"), 0);
  EXPECT_EQ(HexTextToNumber(""), 0);
  EXPECT_EQ(HexTextToNumber("0A"), 10);
  EXPECT_EQ(HexTextToNumber("FFAE"), 0xFFAE);
  EXPECT_EQ(HexTextToNumber("1G"), 0);
  EXPECT_EQ(HexTextToNumber(" 1"), 0);
  EXPECT_EQ(HexTextToNumber("123456789"), 0x23456789);  // wraps, never overflows
}

TEST(ScramblePassword, KnownValuesAndTheZeroTerminatedReadBack) {
  EXPECT_EQ(ScramblePassword(""), "");
  EXPECT_EQ(ScramblePassword("668899"), "Kq7vRb");
  EXPECT_EQ(ScramblePassword(ScramblePassword("668899")), "668899");
  // A character equal to its key byte scrambles to 0, which ends the stored text there.
  EXPECT_EQ(ScramblePassword("6G"), "K");
  EXPECT_NE(ScramblePassword("668898"), ScramblePassword("668899"));
}

}  // namespace
}  // namespace climate
