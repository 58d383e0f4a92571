// The agent's row of the unit table: what each column reads now, and the notifications that the
// agent's state changes call for. Fed after every poll with the same state the MQTT side
// publishes, so both views of the unit agree.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "agent/alarm_events.hpp"
#include "agent/unit_state.hpp"
#include "snmp/unit_columns.hpp"

namespace climate {

// A column's value as SNMP carries it: INTEGER (TruthValue: 1 true, 2 false), OCTET STRING or
// Counter32.
struct SnmpValue {
  enum class Type { Integer, Text, Counter } type = Type::Integer;
  std::int64_t number = 0;
  std::string text;

  bool operator==(const SnmpValue&) const = default;
};

enum class RowEventType {
  AlarmRaised = 1,  // the numbers are the notifications' last sub-identifiers
  AlarmCleared = 2,
  LineLost = 3,
  LineRestored = 4,
  UnitSilent = 5,
  UnitResponding = 6,
};

struct RowEvent {
  RowEventType type = RowEventType::AlarmRaised;
  std::string alarm;  // the alarm's key, for the alarm events only
  std::int64_t epochMs = 0;
};

class UnitRow {
 public:
  // Polls in a row without a reply before the unit counts as silent.
  static constexpr std::uint64_t SilentAfterPolls = 3;

  explicit UnitRow(Identity identity);

  // The state after a poll (or a failed attempt to open the line): the latest reading, when it
  // arrived, the counters. Returns the notifications due, oldest first.
  std::vector<RowEvent> Update(const std::optional<UnitReading>& reading,
                               std::int64_t readingEpochMs, const LinkCounters& link,
                               std::int64_t nowEpochMs);

  // The unit acknowledged these parameter values (column number, value).
  void Acknowledged(const std::vector<std::pair<int, int>>& values);

  // The column's value, or nothing when the row has no such instance now (a column of the other
  // unit type, a value before the first reply, a parameter never acknowledged).
  std::optional<SnmpValue> Value(const UnitColumn& column, std::int64_t nowEpochMs) const;

  const Identity& Who() const { return identity_; }

 private:
  Identity identity_;
  std::optional<UnitReading> reading_;
  std::int64_t readingEpochMs_ = 0;
  LinkCounters link_;
  AlarmTracker tracker_;
  std::optional<bool> lineOpen_;
  std::optional<bool> answering_;
  std::uint64_t repliesSeen_ = 0;
  std::uint64_t unansweredAtLastReply_ = 0;
  std::map<int, int> acknowledged_;
};

}  // namespace climate
