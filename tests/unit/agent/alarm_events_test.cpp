// Alarm transitions and the queue that must neither lose nor reorder them while the broker is away.
#include "agent/alarm_events.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "agent/unit_state.hpp"
#include "protocol/frame.hpp"
#include "protocol/replies.hpp"

namespace climate {
namespace {

UnitReading Reading(std::uint8_t alarm1, std::uint8_t alarm2) {
  UnitReading reading;
  reading.kind = DeviceKind::AirConditioner;
  reading.values.assign(8, 0);
  reading.status = 0x1F;
  reading.alarm1 = alarm1;
  reading.alarm2 = alarm2;
  return reading;
}

TEST(AlarmEvents, TransitionsAreRaisedAndClearedOnce) {
  AlarmTracker tracker;
  auto first = tracker.Update(Reading(0x01, 0x00));  // active at start: raised once
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].key, "highTemperatureAlarm");
  EXPECT_TRUE(first[0].raised);
  EXPECT_TRUE(tracker.Update(Reading(0x01, 0x00)).empty());
  auto next = tracker.Update(Reading(0x80, 0x10));
  ASSERT_EQ(next.size(), 3u);
  EXPECT_EQ(next[0].key, "highTemperatureAlarm");
  EXPECT_FALSE(next[0].raised);
  EXPECT_EQ(next[0].text, "No High Temperature Alarm");
  EXPECT_EQ(next[1].key, "sensorFault");
  EXPECT_EQ(next[2].key, "systemHighPressureAlarm");
  // Status bits are not alarms: a stopped unit raises nothing.
  UnitReading stopped = Reading(0x80, 0x10);
  stopped.status = 0;
  EXPECT_TRUE(tracker.Update(stopped).empty());
}

TEST(AlarmEvents, QueueKeepsOrderAcrossReconnectsAndCountsWhatTheBoundDrops) {
  EventQueue queue(3);
  for (const char* event : {"a", "b", "c", "d"}) queue.Push(event);
  EXPECT_EQ(queue.Dropped(), 1u);  // "a", the oldest, gave way
  auto unsent = queue.Unsent();
  ASSERT_EQ(unsent.size(), 3u);
  EXPECT_EQ(*unsent[0].second, "b");
  queue.MarkSent(unsent[0].first, 11);
  queue.MarkSent(unsent[1].first, 12);
  EXPECT_TRUE(queue.Acknowledge(11));
  EXPECT_FALSE(queue.Acknowledge(11));
  queue.ResetInFlight();  // broker gone before it acknowledged "c"
  unsent = queue.Unsent();
  ASSERT_EQ(unsent.size(), 2u);
  EXPECT_EQ(*unsent[0].second, "c");
  EXPECT_EQ(*unsent[1].second, "d");
  EXPECT_EQ(queue.Size(), 2u);
}

TEST(AlarmEvents, StateMessageCarriesValuesBitsAndLinkHealth) {
  const Bytes frame = {0x7E, 0x01, 0xDD, 0x2D, 0x32, 0x3C, 0xDC, 0x34, 0x1E, 0x19,
                       0x1E, 0x4B, 0x14, 0x1F, 0x00, 0x00, 0xA5, 0xFC, 0x0D};
  LinkCounters link;
  link.polls = 3;
  link.unanswered = 1;
  const auto state =
      nlohmann::json::parse(StateJson({"north", "cab7", DeviceKind::AirConditioner},
                                      ReadingFrom(DecodeAcRealTime(frame)), 1000, link, 2000));
  EXPECT_EQ(state["kind"], "airConditioner");
  EXPECT_EQ(state["values"]["indoorTemperature"]["value"], 25);
  EXPECT_EQ(state["values"]["indoorTemperature"]["unit"], "°C");
  EXPECT_EQ(state["values"]["supplyVoltage"]["value"], 220);
  EXPECT_EQ(state["values"]["lowTemperatureAlarmPoint"]["value"], 0);
  EXPECT_EQ(state["values"].size(), 8u);
  EXPECT_EQ(state["status"]["compressorRunning"], true);
  EXPECT_EQ(state["alarms"].size(), 14u);
  EXPECT_TRUE(state["activeAlarms"].empty());
  EXPECT_EQ(state["link"]["unanswered"], 1);
  EXPECT_EQ(state["readingTime"], "1970-01-01T00:00:01.000Z");
  const auto empty = nlohmann::json::parse(
      StateJson({"north", "cab7", DeviceKind::HeatExchanger}, std::nullopt, 0, link, 2000));
  EXPECT_TRUE(empty["readingTime"].is_null());
  EXPECT_FALSE(empty.contains("values"));
}

}  // namespace
}  // namespace climate
