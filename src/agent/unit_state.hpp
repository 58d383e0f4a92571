// What the agent publishes about its unit, as JSON: the retained state of the latest decoded
// real-time reply and the alarm events. Every value and bit goes by a stable English key.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/device_kind.hpp"
#include "protocol/replies.hpp"

namespace climate {

// The line's health since the agent started.
struct LinkCounters {
  std::uint64_t polls = 0;               // real-time requests written
  std::uint64_t replies = 0;             // real-time replies decoded
  std::uint64_t unanswered = 0;          // polls without a reply within the time-out
  std::uint64_t checksumErrors = 0;      // real-time or factory replies with a bad checksum
  std::uint64_t bytesDropped = 0;        // noise and broken frames the framer skipped
  std::uint64_t linkLosses = 0;          // the port failed while open
  std::uint64_t alarmEventsDropped = 0;  // alarm events the bounded queue had to give up
  bool portOpen = false;
};

// One decoded real-time reply, whichever unit type sent it.
struct UnitReading {
  DeviceKind kind = DeviceKind::AirConditioner;
  // In the order the unit sends them; keys and units from ReadingValueKeys.
  std::vector<int> values;
  std::uint8_t status = 0;
  std::uint8_t alarm1 = 0;
  std::uint8_t alarm2 = 0;
};

UnitReading ReadingFrom(const AcRealTimeData& data);
UnitReading ReadingFrom(const HxRealTimeData& data);

struct ValueKey {
  const char* key;
  const char* unit;
};
// The keys of the values a unit type sends: 8 for the air conditioner (its cooling on and heating
// off points are not in the reply), 10 for the heat exchanger.
std::vector<ValueKey> ReadingValueKeys(DeviceKind kind);

// "2026-12-09T09:30:05.123Z"
std::string IsoUtc(std::int64_t epochMs);

struct Identity {
  std::string site;
  std::string unit;
  DeviceKind kind = DeviceKind::AirConditioner;
  // The agent's poll period, published so that a reader can tell a unit that stopped answering
  // (no reading for a few periods) from one that is merely polled slowly. 0: not published.
  int pollMs = 0;
};

// The retained state message. reading is absent until the unit first answers.
std::string StateJson(const Identity& who, const std::optional<UnitReading>& reading,
                      std::int64_t readingEpochMs, const LinkCounters& link,
                      std::int64_t nowEpochMs);

}  // namespace climate
