// The simulated unit answering requests as the console builds them: reply shapes for every
// command, the effect of set commands on later replies, refusals, and the scripted faults.
#include "unitsim/request_handler.hpp"

#include <gtest/gtest.h>

#include "unitsim_test_support.hpp"

namespace climate::unitsim {
namespace {

using test::Hex;
using test::IsWellFormedReply;

constexpr std::uint8_t Positive = 0xA5;
constexpr std::uint8_t Negative = 0xFF;

class UnitUnderTest {
 public:
  explicit UnitUnderTest(DeviceKind kind, ReplyFaults faults = {},
                         ProtocolSettings protocol = DefaultProtocolSettings())
      : protocol_(protocol), model_(kind), handler_(protocol_, model_, faults) {}

  std::optional<Bytes> Send(CommandKind command, const Bytes& data = {}) {
    return SendFrame(BuildRequest(protocol_, command, model_.Kind(), data));
  }
  std::optional<Bytes> SendFrame(const Bytes& frame) { return handler_.Handle(frame, 0.0); }
  Bytes RealTime() { return *Send(CommandKind::RealTimeData); }

  const ProtocolSettings& Protocol() const { return protocol_; }
  UnitModel& Model() { return model_; }
  const HandlerCounters& Counters() const { return handler_.Counters(); }

 private:
  ProtocolSettings protocol_;
  UnitModel model_;
  RequestHandler handler_;
};

// The acknowledgement byte of a 7-byte reply with length code 0x11.
std::uint8_t AckByte(const std::optional<Bytes>& reply) {
  EXPECT_TRUE(reply.has_value());
  if (!reply) return 0;
  EXPECT_TRUE(IsWellFormedReply(*reply));
  EXPECT_EQ(reply->size(), 7u);
  EXPECT_EQ((*reply)[2], 0x11);
  return (*reply)[3];
}

TEST(RequestHandler, EveryCommandGetsTheReplyShapeOfItsKind) {
  UnitUnderTest ac(DeviceKind::AirConditioner);
  const Bytes realTime = ac.RealTime();
  EXPECT_TRUE(IsWellFormedReply(realTime));
  EXPECT_EQ(realTime.size(), 19u);
  EXPECT_EQ(realTime[2], 0xDD);
  EXPECT_EQ(AckByte(ac.Send(CommandKind::SetParameters, Hex("2D 1E 19 1E 4B 14"))), Positive);
  EXPECT_EQ(AckByte(ac.Send(CommandKind::RemoteOnOff, Hex("FF"))), Positive);
  EXPECT_EQ(AckByte(ac.Send(CommandKind::SetFanStopPoint, Hex("19"))), Positive);

  UnitUnderTest hx(DeviceKind::HeatExchanger);
  EXPECT_EQ(hx.RealTime().size(), 19u);
  const auto factory = hx.Send(CommandKind::GetFactoryParameters);
  ASSERT_TRUE(factory.has_value());
  EXPECT_TRUE(IsWellFormedReply(*factory));
  EXPECT_EQ(factory->size(), 11u);
  EXPECT_EQ((*factory)[2], 0x55);
  EXPECT_EQ(AckByte(hx.Send(CommandKind::SetParameters, Hex("32 1E 19 1E 4B 14"))), Positive);
  EXPECT_EQ(AckByte(hx.Send(CommandKind::SetFactoryParameters, Hex("2D 1E 14 19 1E"))), Positive);
  EXPECT_EQ(AckByte(hx.Send(CommandKind::RemoteOnOff, Hex("00"))), Positive);
}

TEST(RequestHandler, RemoteOnOffDrivesTheRunningBit) {
  UnitUnderTest ac(DeviceKind::AirConditioner);
  EXPECT_EQ(ac.RealTime()[13] & 0x01, 0x01);
  EXPECT_EQ(AckByte(ac.SendFrame(Hex("7E 01 22 43 FF 9C FE 0D"))), Positive);  // remote off
  EXPECT_EQ(ac.RealTime()[13], 0x00);
  EXPECT_EQ(AckByte(ac.SendFrame(Hex("7E 01 22 43 00 9B FF 0D"))), Positive);  // remote on
  EXPECT_EQ(ac.RealTime()[13] & 0x01, 0x01);
  // Neither the on nor the off value.
  EXPECT_EQ(AckByte(ac.Send(CommandKind::RemoteOnOff, Hex("01"))), Negative);
  EXPECT_EQ(ac.RealTime()[13] & 0x01, 0x01);
}

TEST(RequestHandler, AcceptedSetPointsComeBackInTheRealTimeReply) {
  UnitUnderTest ac(DeviceKind::AirConditioner);
  // Cooling off 32, sensitivity 5, heating on -10, sensitivity 3, alarms 60 and -15.
  EXPECT_EQ(AckByte(ac.Send(CommandKind::SetParameters, Hex("34 19 0A 17 50 05"))), Positive);
  const Bytes reply = ac.RealTime();
  EXPECT_EQ(Bytes(reply.begin() + 7, reply.begin() + 13), Hex("34 19 0A 17 50 05"));

  UnitUnderTest hx(DeviceKind::HeatExchanger);
  // Fan control point 35, band 5, heating on -10, sensitivity 10: the unit reports full speed
  // at 40 and heating off at 0.
  EXPECT_EQ(AckByte(hx.Send(CommandKind::SetParameters, Hex("37 19 0A 1E 4B 14"))), Positive);
  const Bytes hxReply = hx.RealTime();
  EXPECT_EQ(Bytes(hxReply.begin() + 7, hxReply.begin() + 13), Hex("37 3C 0A 14 4B 14"));

  // Factory values set, then read back (fan stop band 8 below the control point 35).
  EXPECT_EQ(AckByte(hx.Send(CommandKind::SetFactoryParameters, Hex("3C 23 26 1C 64"))), Positive);
  const auto factory = hx.Send(CommandKind::GetFactoryParameters);
  ASSERT_TRUE(factory.has_value());
  EXPECT_EQ(Bytes(factory->begin() + 3, factory->begin() + 8), Hex("3C 4B 26 2F 64"));
}

TEST(RequestHandler, ValuesOutsideTheUnitsRangesAreRefusedAndChangeNothing) {
  UnitUnderTest ac(DeviceKind::AirConditioner);
  const Bytes before = ac.RealTime();
  // Cooling off point 99 as a dialog lets the operator type it.
  EXPECT_EQ(AckByte(ac.Send(CommandKind::SetParameters, Hex("77 1E 19 1E 4B 14"))), Negative);
  EXPECT_EQ(AckByte(ac.Send(CommandKind::SetFanStopPoint, Hex("24"))), Negative);  // 16 degrees
  EXPECT_EQ(AckByte(ac.Send(CommandKind::SetFanStopPoint, Hex("23"))), Positive);  // 15 degrees
  EXPECT_EQ(ac.Model().FanStopPoint(), 15);
  const Bytes after = ac.RealTime();
  EXPECT_EQ(Bytes(after.begin() + 7, after.begin() + 13),
            Bytes(before.begin() + 7, before.begin() + 13));

  UnitUnderTest hx(DeviceKind::HeatExchanger);
  EXPECT_EQ(AckByte(hx.Send(CommandKind::SetFactoryParameters, Hex("2D 1E 14 19 65"))), Negative);
  EXPECT_EQ(hx.Model().Factory()[4], 30);
}

TEST(RequestHandler, RefusesWhatNoUnitOfItsKindWouldTake) {
  UnitUnderTest ac(DeviceKind::AirConditioner);
  // Wrong checksum.
  EXPECT_EQ(AckByte(ac.SendFrame(Hex("7E 01 11 41 AE FE 0D"))), Negative);
  // The factory commands belong to the heat exchanger.
  EXPECT_EQ(AckByte(ac.SendFrame(Hex("7E 01 11 45 AA FF 0D"))), Negative);
  EXPECT_EQ(AckByte(ac.SendFrame(BuildRequest(ac.Protocol(), CommandKind::SetFactoryParameters,
                                              DeviceKind::HeatExchanger, Hex("2D 1E 14 19 1E")))),
            Negative);
  // A command code nobody knows, and a real-time request with a wrong length code.
  EXPECT_EQ(AckByte(ac.SendFrame(BuildRequestFrame(ac.Protocol(), 0x11, 0x50, {}))), Negative);
  EXPECT_EQ(AckByte(ac.SendFrame(BuildRequestFrame(ac.Protocol(), 0x21, 0x41, Hex("00")))),
            Negative);

  UnitUnderTest hx(DeviceKind::HeatExchanger);
  // The fan stop point (code 0x44, one data byte) is the air conditioner's.
  EXPECT_EQ(AckByte(hx.SendFrame(Hex("7E 01 22 44 19 81 FF 0D"))), Negative);

  // Addressed to another unit: no answer at all.
  EXPECT_FALSE(ac.SendFrame(Hex("7E 02 11 41 AE FF 0D")).has_value());
  EXPECT_EQ(ac.Counters().ignored, 1u);
}

TEST(RequestHandler, ScriptedFaults) {
  UnitUnderTest refusing(DeviceKind::HeatExchanger, ReplyFaults{.nak = true});
  EXPECT_EQ(AckByte(refusing.Send(CommandKind::RealTimeData)), Negative);
  EXPECT_EQ(AckByte(refusing.Send(CommandKind::GetFactoryParameters)), Negative);
  EXPECT_EQ(AckByte(refusing.Send(CommandKind::RemoteOnOff, Hex("FF"))), Negative);
  EXPECT_TRUE(refusing.Model().Running());  // refused, so not switched off

  UnitUnderTest silent(DeviceKind::AirConditioner, ReplyFaults{.silent = true});
  EXPECT_FALSE(silent.Send(CommandKind::RealTimeData).has_value());
  EXPECT_FALSE(silent.Send(CommandKind::RemoteOnOff, Hex("FF")).has_value());
  EXPECT_EQ(silent.Counters().requests, 2u);

  UnitUnderTest corrupting(DeviceKind::AirConditioner, ReplyFaults{.corruptEvery = 2});
  for (int i = 1; i <= 6; ++i) {
    SCOPED_TRACE(i);
    const Bytes reply = *corrupting.Send(CommandKind::RealTimeData);
    EXPECT_EQ(static_cast<bool>(IsWellFormedReply(reply)), i % 2 != 0);
    EXPECT_EQ(reply.size(), 19u);
    EXPECT_EQ(reply.back(), 0x0D);
  }
  EXPECT_EQ(corrupting.Counters().corrupted, 3u);
}

TEST(RequestHandler, SpeaksTheConfiguredProtocol) {
  ProtocolSettings protocol = DefaultProtocolSettings();
  protocol.SOI = 0xAA;
  protocol.EOI = 0x55;
  protocol.Id = 7;
  protocol.Zqxy = 0x5A;
  protocol.YkgjML = 0x01;
  protocol.Kt.Zhsj = 0x61;
  protocol.Kt.ZhsjxyCd = 0x3D;
  protocol.Kt.Ykgj = 0x63;
  protocol.Kt.YkgjxyCd = 0x21;
  UnitUnderTest ac(DeviceKind::AirConditioner, {}, protocol);

  const Bytes realTime = ac.RealTime();
  EXPECT_TRUE(IsWellFormedReply(realTime, 0xAA, 0x55));
  EXPECT_EQ(realTime[1], 7);
  EXPECT_EQ(realTime[2], 0x3D);

  const auto ack = ac.Send(CommandKind::RemoteOnOff, Hex("01"));
  ASSERT_TRUE(ack.has_value());
  EXPECT_TRUE(IsWellFormedReply(*ack, 0xAA, 0x55));
  EXPECT_EQ((*ack)[2], 0x21);
  EXPECT_EQ((*ack)[3], 0x5A);
  EXPECT_FALSE(ac.Model().Running());
}

}  // namespace
}  // namespace climate::unitsim
