// The one state a fleet row shows, worst first, the age it shows, and what the agent publishes
// read back by the fleet view's reader.
#include <gtest/gtest.h>

#include "agent/unit_state.hpp"
#include "fleet/fleet_model.hpp"
#include "protocol/unit_bits.hpp"

namespace climate {
namespace {

constexpr std::int64_t Arrived = 1'000'000;  // the console's clock when the state arrived

// A cabinet whose agent reported a reading ageAtPublishMs old, polled every pollMs.
Cabinet Reported(std::int64_t ageAtPublishMs, std::optional<int> pollMs = 2000) {
  Cabinet cabinet;
  cabinet.site = "north";
  cabinet.unit = "cab7";
  CabinetState state;
  state.timeMs = 1'796'808'000'000;
  state.readingTimeMs = state.timeMs - ageAtPublishMs;
  state.pollMs = pollMs;
  state.portOpen = true;
  cabinet.state = state;
  cabinet.stateArrivedMs = Arrived;
  cabinet.online = true;
  return cabinet;
}

TEST(FleetRowState, OneStatePerRowWorstFirst) {
  Cabinet c = Reported(0);
  EXPECT_EQ(StateOf(c, true, Arrived), RowState::Normal);
  c.state->worstAlarm = FindUnitBit(DeviceKind::AirConditioner, "sensorFault");
  c.state->activeAlarms = 1;
  EXPECT_EQ(StateOf(c, true, Arrived), RowState::InAlarm);
  // Three poll periods without a reading: judged on the console's clock as time passes...
  EXPECT_EQ(StateOf(c, true, Arrived + 6000), RowState::InAlarm);
  EXPECT_EQ(StateOf(c, true, Arrived + 6001), RowState::NotAnswering);
  // ...or already when the agent published a reading 40 s old.
  EXPECT_EQ(StateOf(Reported(40'000), true, Arrived), RowState::NotAnswering);
  // An agent that does not publish its period is judged by the agent's default of 5 s.
  EXPECT_EQ(StateOf(Reported(15'000, std::nullopt), true, Arrived), RowState::Normal);
  EXPECT_EQ(StateOf(Reported(15'001, std::nullopt), true, Arrived), RowState::NotAnswering);
  // A unit that never answered.
  Cabinet never = Reported(0);
  never.state->readingTimeMs.reset();
  EXPECT_EQ(StateOf(never, true, Arrived), RowState::NotAnswering);
  EXPECT_FALSE(ReadingAgeMs(never, Arrived));
  c.state->portOpen = false;
  EXPECT_EQ(StateOf(c, true, Arrived + 60'000), RowState::LineDown);
  EXPECT_EQ(StateOf(c, false, Arrived), RowState::BrokerUnreachable);
  c.online = false;
  EXPECT_EQ(StateOf(c, false, Arrived), RowState::AgentOffline);
  // Only an online message so far: nothing known to be healthy.
  Cabinet onlineOnly;
  onlineOnly.online = true;
  EXPECT_EQ(StateOf(onlineOnly, true, Arrived), RowState::NotAnswering);
}

TEST(FleetRowState, AgeIsThatOfTheReadingAsAPersonReadsIt) {
  // Age at publishing plus the time since arrival; an agent clock stepped back counts as none.
  EXPECT_EQ(ReadingAgeMs(Reported(40'000), Arrived + 5000), 45'000);
  EXPECT_EQ(ReadingAgeMs(Reported(-30'000), Arrived + 1000), 1000);
  const std::pair<std::int64_t, const char*> ages[] = {
      {0, "0 s"},
      {45'999, "45 s"},
      {60'000, "1 min"},
      {12 * 60'000 + 59'999, "12 min"},
      {3 * 3'600'000, "3 h"},
      {3 * 3'600'000 + 5 * 60'000 + 7000, "3 h 5 min"},
      {86'400'000 - 1, "23 h 59 min"},
      {2 * 86'400'000 + 3'600'000, "2 d"},
  };
  for (const auto& [ms, text] : ages) EXPECT_EQ(AgeText(ms, Language::English), text) << ms;
  EXPECT_EQ(AgeText(3 * 3'600'000 + 5 * 60'000, Language::Chinese), "3 小时 5 分钟");
  EXPECT_EQ(AgeText(45'000, Language::Chinese), "45 秒");
}

TEST(FleetRowState, WhatTheAgentPublishesIsReadBackWhole) {
  LinkCounters link;
  link.portOpen = true;
  UnitReading reading;
  reading.kind = DeviceKind::HeatExchanger;
  reading.values = {30, 20, 55, 222, 32, 42, 5, 15, 55, 0};
  reading.alarm1 = 0x01;  // high temperature
  const std::string json = StateJson({"north", "cab7", DeviceKind::HeatExchanger, 2000}, reading,
                                     1'796'808'000'000, link, 1'796'808'004'500);
  const FleetVerdict verdict = ReadFleetMessage("climate", "climate/north/cab7/state", json);
  ASSERT_EQ(verdict.kind, FleetVerdict::Kind::Accepted)
      << RefusalText(verdict.refusal, Language::English);
  const CabinetState& state = *verdict.message.state;
  EXPECT_EQ(state.kind, DeviceKind::HeatExchanger);
  EXPECT_EQ(state.pollMs, 2000);
  EXPECT_EQ(state.timeMs - *state.readingTimeMs, 4500);
  EXPECT_TRUE(state.portOpen);
  EXPECT_EQ(state.indoorTemperature, 30);
  EXPECT_EQ(state.indoorHumidity, 55);
  EXPECT_EQ(state.supplyVoltage, 222);
  ASSERT_NE(state.worstAlarm, nullptr);
  EXPECT_EQ(state.worstAlarm->key, "highTemperatureAlarm");

  // Before the unit first answers, and from an agent that leaves its period out.
  link.portOpen = false;
  const FleetVerdict quiet = ReadFleetMessage(
      "climate", "climate/north/cab7/state",
      StateJson({"north", "cab7", DeviceKind::AirConditioner}, std::nullopt, 0, link, 5000));
  ASSERT_EQ(quiet.kind, FleetVerdict::Kind::Accepted);
  EXPECT_FALSE(quiet.message.state->readingTimeMs);
  EXPECT_FALSE(quiet.message.state->pollMs);
  EXPECT_FALSE(quiet.message.state->portOpen);
  EXPECT_EQ(quiet.message.state->timeMs, 5000);
}

}  // namespace
}  // namespace climate
