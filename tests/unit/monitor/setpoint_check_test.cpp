// Set point confirmation: what is compared, when, and the memo lines in both languages.
#include "monitor/setpoint_check.hpp"

#include <gtest/gtest.h>

#include "monitor_test_support.hpp"
#include "support/frames.hpp"

namespace climate {
namespace {

using test::Sample;

// The air conditioner's dialog defaults as the request carries them: 25, 10, 5, 10, 55, 0.
const Bytes AcDefaultRequest = {0x7E, 0x01, 0x77, 0x42, 0x2D, 0x1E, 0x19,
                                0x1E, 0x4B, 0x14, 0x66, 0xFE, 0x0D};

TEST(SetPointCheck, ReadsTheSixValuesBackFromTheRequest) {
  EXPECT_EQ(SetPointCheck::ValuesFromRequest(AcDefaultRequest),
            (ParameterValues{25, 10, 5, 10, 55, 0}));
  Bytes negative = AcDefaultRequest;
  negative[9] = 0x05;  // -15
  EXPECT_EQ(SetPointCheck::ValuesFromRequest(negative)->at(5), -15);
  EXPECT_FALSE(SetPointCheck::ValuesFromRequest(test::RealTimeRequest));
}

TEST(SetPointCheck, AcknowledgedValuesAreConfirmedByTheNextReply) {
  SetPointCheck check;
  check.OnSent(DeviceKind::AirConditioner, {32, 10, 5, 10, 55, 0}, test::At(2024, 5, 1, 9, 0, 0));
  // Before the acknowledgement a reply proves nothing.
  EXPECT_TRUE(check.OnRealTime(Sample(DeviceKind::AirConditioner, 0), Language::English).empty());
  EXPECT_EQ(check.State(), SetPointState::AwaitingAck);

  check.OnAck(CommandAck::Positive, SetPointCheck::AirConditionerParametersCode);
  EXPECT_EQ(check.State(), SetPointState::AwaitingReply);
  const auto lines = check.OnRealTime(Sample(DeviceKind::AirConditioner, 0), Language::English);
  EXPECT_EQ(lines,
            (std::vector<std::string>{
                "Setpoint check:   Cooling off point sent 32 ℃, unit reports 32 ℃, confirmed",
                "Setpoint check:   Heating on point sent 5 ℃, unit reports 5 ℃, confirmed",
                "Setpoint check:   High temperature alarm point sent 55 ℃, unit reports 55 ℃, "
                "confirmed",
                "Setpoint check:   Low temperature alarm point sent 0 ℃, unit reports 0 ℃, "
                "confirmed",
            }));
  EXPECT_EQ(check.State(), SetPointState::Confirmed);
  // Compared once only.
  EXPECT_TRUE(check.OnRealTime(Sample(DeviceKind::AirConditioner, 0), Language::English).empty());
}

TEST(SetPointCheck, MismatchNamesFieldSentAndReportedValue) {
  SetPointCheck check;
  check.OnSent(DeviceKind::AirConditioner, {30, 10, 5, 10, 55, -5}, {});
  check.OnAck(CommandAck::Positive, SetPointCheck::AirConditionerParametersCode);
  const auto lines = check.OnRealTime(Sample(DeviceKind::AirConditioner, 0), Language::Chinese);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "设定值确认:   制冷停止点 已下发 30 ℃, 设备上报 32 ℃, 不一致!");
  EXPECT_EQ(lines[1], "设定值确认:   加热开启点 已下发 5 ℃, 设备上报 5 ℃, 一致");
  EXPECT_EQ(lines[3], "设定值确认:   低温告警点 已下发 -5 ℃, 设备上报 0 ℃, 不一致!");
  EXPECT_EQ(check.State(), SetPointState::Mismatch);
  ASSERT_EQ(check.LastComparison().size(), 4u);
  EXPECT_FALSE(check.LastComparison()[0].Matches());
}

TEST(SetPointCheck, HeatExchangerComparesOnlyWhatTheReplyCarriesAsSent) {
  SetPointCheck check;
  // Adjust point 32, band 10 (not in the reply), heater on 5, sensitivity 10, alarms 55 / 0.
  check.OnSent(DeviceKind::HeatExchanger, {32, 10, 5, 10, 55, 0}, {});
  check.OnAck(CommandAck::Positive, SetPointCheck::HeatExchangerParametersCode);
  RealTimeSample reply = Sample(DeviceKind::HeatExchanger, 0);
  reply.values[5] = 99;  // full speed point: the unit's own derivation, never compared
  reply.values[7] = 99;  // heating off point: likewise
  const auto lines = check.OnRealTime(reply, Language::English);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0],
            "Setpoint check:   External fan adjust point sent 32 ℃, unit reports 32 ℃, confirmed");
  EXPECT_EQ(check.State(), SetPointState::Confirmed);
}

TEST(SetPointCheck, RefusedOrForeignAcknowledgementsAndOtherUnitTypes) {
  SetPointCheck check;
  check.OnSent(DeviceKind::HeatExchanger, {32, 10, 5, 10, 55, 0}, {});
  // An acknowledgement while another command is pending is not this one's.
  check.OnAck(CommandAck::Positive, CommandCode::RemoteOff);
  EXPECT_EQ(check.State(), SetPointState::AwaitingAck);
  check.OnAck(CommandAck::Other, SetPointCheck::HeatExchangerParametersCode);
  EXPECT_EQ(check.State(), SetPointState::AwaitingAck);
  check.OnAck(CommandAck::Positive, SetPointCheck::HeatExchangerParametersCode);
  // A reply decoded for the other unit type waits.
  EXPECT_TRUE(check.OnRealTime(Sample(DeviceKind::AirConditioner, 0), Language::English).empty());
  EXPECT_EQ(check.State(), SetPointState::AwaitingReply);

  SetPointCheck refused;
  refused.OnSent(DeviceKind::AirConditioner, {30, 10, 5, 10, 55, 0}, {});
  refused.OnAck(CommandAck::Negative, SetPointCheck::AirConditionerParametersCode);
  EXPECT_EQ(refused.State(), SetPointState::Refused);
  EXPECT_TRUE(refused.OnRealTime(Sample(DeviceKind::AirConditioner, 0), Language::English).empty());
}

}  // namespace
}  // namespace climate
