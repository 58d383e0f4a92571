// Alarm history: raised, cleared, duration and acknowledgement of every changed alarm bit and
// status fault, for both unit types and across switches between them.
#include "monitor/alarm_tracker.hpp"

#include <gtest/gtest.h>

#include "monitor_test_support.hpp"

namespace climate {
namespace {

using test::Sample;

std::string EnglishName(const AlarmEntry& entry) {
  return std::string(entry.Bit().Name(Language::English));
}

TEST(AlarmTracker, RaisesAndClearsWithTimesAndDuration) {
  AlarmTracker tracker;
  EXPECT_EQ(tracker.Observe(Sample(DeviceKind::AirConditioner, 0)), 0u);
  // High temperature alarm at 10 s, still on at 12 s, cleared at 70 s.
  EXPECT_EQ(tracker.Observe(Sample(DeviceKind::AirConditioner, 10000, 0x1F, 0x01)), 1u);
  EXPECT_EQ(tracker.Observe(Sample(DeviceKind::AirConditioner, 12000, 0x1F, 0x01)), 0u);
  ASSERT_EQ(tracker.Entries().size(), 1u);
  EXPECT_TRUE(tracker.Entries()[0].Active());
  EXPECT_EQ(tracker.Entries()[0].DurationMs(40000), 30000);

  EXPECT_EQ(tracker.Observe(Sample(DeviceKind::AirConditioner, 70000, 0x1F, 0x00)), 1u);
  const AlarmEntry& entry = tracker.Entries()[0];
  EXPECT_EQ(EnglishName(entry), "High temperature alarm");
  EXPECT_EQ(entry.Bit().Name(Language::Chinese), "高温告警");
  EXPECT_EQ(entry.raisedAt.second, 10);
  ASSERT_TRUE(entry.clearedAt.has_value());
  EXPECT_EQ(entry.clearedAt->minute, 1);
  EXPECT_EQ(entry.clearedAt->second, 10);
  EXPECT_EQ(entry.DurationMs(999999), 60000);
  EXPECT_EQ(tracker.ActiveCount(), 0u);
}

TEST(AlarmTracker, StatusFaultsAreClearBitsAndFirstSightCounts) {
  AlarmTracker tracker;
  // First reply: unit stopped (bit 0 clear), compressor stopped (bit 3 clear), sensor fault.
  EXPECT_EQ(tracker.Observe(Sample(DeviceKind::AirConditioner, 0, 0x16, 0x80)), 3u);
  // Only the alarm bit is an alarm; the stopped states are state changes, never counted.
  ASSERT_EQ(tracker.Entries().size(), 1u);
  EXPECT_EQ(EnglishName(tracker.Entries()[0]), "Sensor fault");
  std::vector<std::string> states;
  for (const AlarmEntry& entry : tracker.StateChanges()) states.push_back(EnglishName(entry));
  EXPECT_EQ(states, (std::vector<std::string>{"Unit stopped", "Compressor stopped"}));
  EXPECT_EQ(tracker.ActiveCount(), 1u);
  EXPECT_EQ(tracker.UnacknowledgedActiveCount(), 1u);
  // Bits beyond the named ones change nothing.
  EXPECT_EQ(tracker.Observe(Sample(DeviceKind::AirConditioner, 2000, 0xF6, 0x80, 0xC0)), 0u);
  // The thermostat starts the compressor: its stopped spell ends, the alarms are untouched.
  EXPECT_EQ(tracker.Observe(Sample(DeviceKind::AirConditioner, 5000, 0x1E, 0x80)), 1u);
  EXPECT_EQ(tracker.StateChanges()[1].DurationMs(999999), 5000);
  EXPECT_TRUE(tracker.StateChanges()[0].Active());
  EXPECT_EQ(tracker.Entries().size(), 1u);
  EXPECT_EQ(tracker.ActiveCount(), 1u);
}

TEST(AlarmTracker, UnitTypeSwitchEndsWhatThePreviousTypeHadOpen) {
  AlarmTracker tracker;
  // Air conditioner: high temperature alarm and the heater stopped.
  tracker.Observe(Sample(DeviceKind::AirConditioner, 0, 0x0F, 0x01));
  tracker.Observe(Sample(DeviceKind::HeatExchanger, 500, 0x1F, 0x80));  // sensor fault
  EXPECT_EQ(tracker.EndUnitType(DeviceKind::AirConditioner, test::At(2024, 5, 1, 10, 0, 3), 3000),
            2u);
  ASSERT_EQ(tracker.Entries().size(), 2u);
  const AlarmEntry& ended = tracker.Entries()[0];
  EXPECT_FALSE(ended.Active());
  EXPECT_EQ(ended.end, EntryEnd::UnitTypeChanged);
  EXPECT_EQ(ended.clearedAt->second, 3);
  EXPECT_EQ(ended.DurationMs(999999), 3000);
  EXPECT_EQ(tracker.StateChanges()[0].end, EntryEnd::UnitTypeChanged);
  // The other type's alarm stays; nothing is left to end twice.
  EXPECT_TRUE(tracker.Entries()[1].Active());
  EXPECT_EQ(tracker.ActiveCount(), 1u);
  EXPECT_EQ(tracker.EndUnitType(DeviceKind::AirConditioner, test::At(2024, 5, 1, 10, 0, 4), 4000),
            0u);
  // Back on the air conditioner with the alarm still there: it is raised anew.
  EXPECT_EQ(tracker.Observe(Sample(DeviceKind::AirConditioner, 9000, 0x1F, 0x01)), 1u);
  EXPECT_EQ(tracker.Entries().back().end, EntryEnd::Cleared);
  EXPECT_TRUE(tracker.Entries().back().Active());
}

TEST(AlarmTracker, SameBitMeansDifferentAlarmsPerUnitType) {
  AlarmTracker tracker;
  tracker.Observe(Sample(DeviceKind::AirConditioner, 0, 0x1F, 0x10, 0x10));
  tracker.Observe(Sample(DeviceKind::HeatExchanger, 1000, 0x1F, 0x10, 0x10));
  ASSERT_EQ(tracker.Entries().size(), 4u);
  EXPECT_EQ(EnglishName(tracker.Entries()[0]), "Compressor fault");
  EXPECT_EQ(EnglishName(tracker.Entries()[1]), "System high pressure alarm");
  EXPECT_EQ(EnglishName(tracker.Entries()[2]), "Internal fan fault");
  EXPECT_EQ(EnglishName(tracker.Entries()[3]), "Custom alarm #4");
  EXPECT_EQ(tracker.Entries()[3].Bit().Name(Language::Chinese), "用户自定义4故障");
}

TEST(AlarmTracker, HistorySurvivesDeviceSwitchesAndEachTypeKeepsItsState) {
  AlarmTracker tracker;
  tracker.Observe(Sample(DeviceKind::AirConditioner, 0, 0x1F, 0x02));  // low temperature
  // Over on the heat exchanger nothing is wrong; the air conditioner's alarm stays open.
  tracker.Observe(Sample(DeviceKind::HeatExchanger, 5000));
  ASSERT_EQ(tracker.Entries().size(), 1u);
  EXPECT_TRUE(tracker.Entries()[0].Active());
  // Back on the air conditioner with the alarm still there: no second entry.
  EXPECT_EQ(tracker.Observe(Sample(DeviceKind::AirConditioner, 9000, 0x1F, 0x02)), 0u);
  EXPECT_EQ(tracker.Observe(Sample(DeviceKind::AirConditioner, 11000)), 1u);
  EXPECT_EQ(tracker.Entries()[0].DurationMs(0), 11000);
}

TEST(AlarmTracker, AcknowledgementKeepsTheFirstTimeAndCountsUnacknowledgedActive) {
  AlarmTracker tracker;
  tracker.Observe(Sample(DeviceKind::AirConditioner, 0, 0x1F, 0x03));
  ASSERT_EQ(tracker.UnacknowledgedActiveCount(), 2u);
  const std::uint64_t first = tracker.Entries()[0].id;

  EXPECT_TRUE(tracker.Acknowledge(first, test::At(2024, 5, 1, 11, 0, 0)));
  EXPECT_TRUE(tracker.Acknowledge(first, test::At(2024, 5, 1, 12, 0, 0)));
  EXPECT_EQ(tracker.Entries()[0].acknowledgedAt->hour, 11);
  EXPECT_EQ(tracker.UnacknowledgedActiveCount(), 1u);
  EXPECT_FALSE(tracker.Acknowledge(9999, test::At(2024, 5, 1, 12, 0, 0)));

  EXPECT_EQ(tracker.AcknowledgeAll(test::At(2024, 5, 1, 13, 0, 0)), 1u);
  EXPECT_EQ(tracker.UnacknowledgedActiveCount(), 0u);
  EXPECT_EQ(tracker.ActiveCount(), 2u);
  // A new raise of an acknowledged alarm is a new, unacknowledged entry.
  tracker.Observe(Sample(DeviceKind::AirConditioner, 2000, 0x1F, 0x02));
  tracker.Observe(Sample(DeviceKind::AirConditioner, 4000, 0x1F, 0x03));
  EXPECT_EQ(tracker.UnacknowledgedActiveCount(), 1u);
}

TEST(AlarmTracker, AFlappingBitIsBoundedButActiveAlarmsAreNeverDropped) {
  AlarmTracker tracker;
  tracker.Observe(Sample(DeviceKind::AirConditioner, 0, 0x1F, 0x80));  // sensor fault, stays on
  std::int64_t ms = 0;
  for (std::size_t i = 0; i < AlarmTracker::MaxEntries + 50; ++i) {
    tracker.Observe(Sample(DeviceKind::AirConditioner, ms += 1000, 0x1F, 0x81));
    tracker.Observe(Sample(DeviceKind::AirConditioner, ms += 1000, 0x1F, 0x80));
  }
  EXPECT_LE(tracker.Entries().size(), AlarmTracker::MaxEntries);
  EXPECT_EQ(EnglishName(tracker.Entries().front()), "Sensor fault");
  EXPECT_TRUE(tracker.Entries().front().Active());
  // Ids still find their entries after trimming.
  EXPECT_TRUE(tracker.Acknowledge(tracker.Entries().back().id, test::At(2024, 5, 1, 1, 0, 0)));
  EXPECT_TRUE(tracker.Entries().back().Acknowledged());
}

}  // namespace
}  // namespace climate
