// Alarm history: every alarm bit that changed, with when it was raised, when it cleared and when
// the operator acknowledged it, and the events of the run (set point checks, a lost link, a silent
// unit). The running states of the status byte (a heater or compressor stopped by its thermostat)
// are no alarms: their stopped spells are kept in a list of their own and never counted. The
// history outlives device switches; each unit type keeps its own last-seen bits, because the same
// bit means different things on the two, and a switch ends what the previous type still had open.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/local_time.hpp"
#include "monitor/monitor_signals.hpp"
#include "monitor/realtime_sample.hpp"

namespace climate {

// How an entry that is no longer active ended.
enum class EntryEnd { Cleared, UnitTypeChanged };

struct AlarmEntry {
  std::uint64_t id = 0;  // stable across trimming of old entries
  DeviceKind kind = DeviceKind::AirConditioner;
  std::size_t bitIndex = 0;  // into NamedBits()
  LocalDateTime raisedAt;
  std::int64_t raisedMs = 0;
  std::optional<LocalDateTime> clearedAt;
  std::int64_t clearedMs = 0;
  EntryEnd end = EntryEnd::Cleared;
  std::optional<LocalDateTime> acknowledgedAt;
  // An event (a set point confirmation, say) rather than an alarm bit: it has these texts, no
  // bit, and is over as soon as it happens.
  std::string chineseEvent;
  std::string englishEvent;

  bool IsEvent() const { return !englishEvent.empty() || !chineseEvent.empty(); }
  // Only for entries that are not events.
  const NamedBit& Bit() const { return NamedBits()[bitIndex]; }
  std::string_view Name(Language language) const {
    return IsEvent() ? Pick(language, chineseEvent, englishEvent) : Bit().Name(language);
  }
  bool Active() const { return !clearedAt.has_value(); }
  bool Acknowledged() const { return acknowledgedAt.has_value(); }
  // Up to the clearing, or up to nowMs while still active.
  std::int64_t DurationMs(std::int64_t nowMs) const {
    return (Active() ? nowMs : clearedMs) - raisedMs;
  }
};

class AlarmTracker {
 public:
  // A flapping bit could grow the list without end; past this the oldest cleared entries go.
  static constexpr std::size_t MaxEntries = 5000;

  // Compares the sample's bits with the last ones seen from the same unit type. An alarm or a
  // stopped state present at first sight counts as begun then. Returns how many entries (alarms
  // and state changes) were opened or closed.
  std::size_t Observe(const RealTimeSample& sample);
  // The operator switched to another unit type: what the previous type still had open (alarms and
  // stopped states) ends now, since nothing tells any more whether it persists. Returns how many
  // entries ended.
  std::size_t EndUnitType(DeviceKind kind, const LocalDateTime& at, std::int64_t atMs);
  // Adds an event to the history, raised and cleared at once.
  void RecordEvent(DeviceKind kind, const LocalDateTime& at, std::int64_t atMs, std::string chinese,
                   std::string english);

  // False when no entry has that id (trimmed or never there). Acknowledging twice keeps the
  // first time.
  bool Acknowledge(std::uint64_t id, const LocalDateTime& at);
  // Every entry not yet acknowledged; returns how many.
  std::size_t AcknowledgeAll(const LocalDateTime& at);

  // Alarms and events, oldest first.
  const std::vector<AlarmEntry>& Entries() const { return entries_; }
  // Spells of the status byte's running states being off (unit, fans, compressor or heat
  // exchanger, heater stopped), oldest first. Never acknowledged, never counted as alarms.
  const std::vector<AlarmEntry>& StateChanges() const { return states_; }
  // Alarm bits still set; events and states are never counted.
  std::size_t ActiveCount() const;
  std::size_t UnacknowledgedActiveCount() const;
  // Whether a stopped spell is still going on.
  bool AnyStateOpen() const;

 private:
  using OpenIds = std::array<std::array<std::uint64_t, NamedBitCount>, 2>;
  // Opens or closes the list's entry of bit i; true when something changed.
  bool Follow(std::vector<AlarmEntry>& list, OpenIds& open, std::size_t i, bool on,
              const RealTimeSample& sample);
  AlarmEntry* Find(std::uint64_t id);
  static AlarmEntry* Find(std::vector<AlarmEntry>& list, std::uint64_t id);
  static void Trim(std::vector<AlarmEntry>& list);

  std::vector<AlarmEntry> entries_;
  std::vector<AlarmEntry> states_;
  std::uint64_t nextId_ = 1;
  // Per unit type and named bit: the open entry's id, 0 when none.
  OpenIds open_{};
  OpenIds openStates_{};
};

}  // namespace climate
