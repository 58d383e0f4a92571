// Alarm transitions and the queue that carries them to the broker. An event leaves the queue only
// when the broker has acknowledged it, so a broker that goes away loses nothing: the events wait
// (up to a bound, oldest given up first and counted) and go out again in order.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "agent/unit_state.hpp"

namespace climate {

struct AlarmTransition {
  std::string key;   // the bit's key, e.g. "highTemperatureAlarm"
  std::string text;  // the English memo text of the new state
  bool raised = false;
};

// Compares each reading's alarm bits with the previous one. The first reading of a run is compared
// with "no alarm", so alarms already active at start are raised once.
class AlarmTracker {
 public:
  std::vector<AlarmTransition> Update(const UnitReading& reading);

 private:
  std::optional<UnitReading> last_;
};

// "seq" counts events of this run from 1; "run" is the run's start time, so (run, seq) names an
// event uniquely and a subscriber can recognise one it already has.
std::string AlarmEventJson(const Identity& who, const AlarmTransition& transition,
                           std::uint64_t run, std::uint64_t seq, std::int64_t epochMs);

class EventQueue {
 public:
  explicit EventQueue(std::size_t limit) : limit_(limit == 0 ? 1 : limit) {}

  // Adds an event; when full, the oldest not yet acknowledged one is given up and counted.
  void Push(std::string payload);
  // Payloads not yet handed to the broker, oldest first, with their index for MarkSent.
  std::vector<std::pair<std::size_t, const std::string*>> Unsent() const;
  void MarkSent(std::size_t index, int messageId);
  // The broker acknowledged a message; true when it was one of ours.
  bool Acknowledge(int messageId);
  // The connection went: everything in flight goes out again after the next connect.
  void ResetInFlight();

  std::size_t Size() const { return entries_.size(); }
  std::uint64_t Dropped() const { return dropped_; }

 private:
  struct Entry {
    std::string payload;
    int messageId = -1;  // -1: not handed to the broker on this connection
  };
  std::size_t limit_;
  std::deque<Entry> entries_;
  std::uint64_t dropped_ = 0;
};

}  // namespace climate
