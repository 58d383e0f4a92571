// What the fleet view knows about every cabinet it has heard of, built from the agents' state
// and online messages, and the one state each row shows. Qt-free: the table model only shows it.
// Messages are read as they arrive and only the newest per cabinet waits for the next batch;
// the cabinets kept are capped, and what the cap or the reader refused is counted.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/language.hpp"
#include "fleet/fleet_message.hpp"
#include "protocol/device_kind.hpp"

namespace climate {

struct UnitBit;

// An active alarm and the time (the agent's clock) of the first state that showed it active
// since the view has listened; an alarm active before that shows when the view first heard of it.
struct ActiveAlarm {
  std::string key;
  std::int64_t sinceMs = 0;
};

// The command results a cabinet keeps for its detail, newest last.
inline constexpr std::size_t MaxCommandResults = 5;

struct Cabinet {
  std::string site;
  std::string unit;
  std::optional<CabinetState> state;      // unknown until the first state message
  std::int64_t stateArrivedMs = 0;        // the console's monotonic clock when it arrived
  std::optional<bool> online;             // unknown until the first online message
  std::vector<ActiveAlarm> activeAlarms;  // those of the last state, in its order
  std::deque<CommandResult> results;      // at most MaxCommandResults
};

// One state per row, worst first.
enum class RowState { AgentOffline, BrokerUnreachable, LineDown, NotAnswering, InAlarm, Normal };
inline constexpr std::size_t RowStateCount = 6;

// A unit is not answering once its last reading is older than this many of its poll periods.
inline constexpr int QuietPeriods = 3;
// The poll period assumed for agents that do not publish theirs (the agent's default).
inline constexpr int AssumedPollMs = 5000;

// How old the cabinet's last reading is at nowMs: its age when the agent published (time minus
// readingTime, both on the agent's clock) plus the time since the message arrived (on the
// console's clock), so neither clock needs to agree with the other. nullopt without a reading.
std::optional<std::int64_t> ReadingAgeMs(const Cabinet& cabinet, std::int64_t nowMs);
RowState StateOf(const Cabinet& cabinet, bool brokerUp, std::int64_t nowMs);
// "45 s", "12 min", "3 h 5 min", "2 d".
std::string AgeText(std::int64_t ageMs, Language language);

// Alarms from the most to the least severe: what threatens the equipment in the cabinet first
// (heat, a cooling path that stopped, a blind controller), then supply problems, then the rest.
// An alarm missing here ranks after all listed ones.
int AlarmSeverityRank(std::string_view key);

inline constexpr std::size_t DefaultMaxCabinets = 20'000;

class FleetModel {
 public:
  explicit FleetModel(std::string prefix = "climate", std::size_t maxCabinets = DefaultMaxCabinets)
      : prefix_(std::move(prefix)), maxCabinets_(maxCabinets) {}

  // Reads one message; what it says waits for Flush, replacing what that cabinet's topic had
  // waiting. Refused messages and new cabinets beyond the cap are counted and dropped. A command
  // result is kept at once with its cabinet; one for a cabinet not listed is dropped, so results
  // never make rows.
  void Ingest(std::string_view topic, std::string_view payload);

  struct Batch {
    std::optional<std::size_t> firstUpdated;  // rows that existed before, changed in place
    std::size_t lastUpdated = 0;
    std::size_t added = 0;              // new rows, appended after the existing ones
    std::vector<std::string> removals;  // "site/unit" of rows whose state was cleared
  };
  // Applies what waits. Rows to remove are only named: the caller removes them with RemoveAt,
  // so that a view can be told before each one goes.
  Batch Flush(std::int64_t nowMs);
  std::optional<std::size_t> IndexOf(const std::string& key) const;
  void RemoveAt(std::size_t index);

  const std::vector<Cabinet>& Cabinets() const { return cabinets_; }
  std::size_t Size() const { return cabinets_.size(); }
  const std::string& Prefix() const { return prefix_; }
  std::size_t MaxCabinets() const { return maxCabinets_; }
  std::size_t Pending() const { return pending_.size(); }

  // Messages the reader refused, and the last one's cabinet and reason.
  std::uint64_t Rejected() const { return rejected_; }
  const std::string& LastRejectedCabinet() const { return lastRejectedCabinet_; }
  const FleetRefusal& LastRefusal() const { return lastRefusal_; }
  // Messages of new cabinets the cap turned away.
  std::uint64_t CapRefused() const { return capRefused_; }

 private:
  struct PendingEntry {
    std::string key;
    std::string site;
    std::string unit;
    bool hasState = false;
    std::optional<CabinetState> state;  // nullopt with hasState: cleared
    bool hasOnline = false;
    std::optional<bool> online;
  };

  std::string prefix_;
  std::size_t maxCabinets_;
  std::vector<Cabinet> cabinets_;
  std::unordered_map<std::string, std::size_t> index_;  // "site/unit" -> row
  std::vector<PendingEntry> pending_;
  std::unordered_map<std::string, std::size_t> pendingIndex_;  // "site/unit" -> pending_
  std::size_t pendingNew_ = 0;  // pending entries of cabinets without a row yet
  std::uint64_t rejected_ = 0;
  std::string lastRejectedCabinet_;
  FleetRefusal lastRefusal_;
  std::uint64_t capRefused_ = 0;
};

// The alarm's text in the operator's language, as the lamp's memo line names it when set.
std::string_view AlarmText(const UnitBit& bit, Language language);

}  // namespace climate
