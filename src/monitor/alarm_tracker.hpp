// Alarm history: every alarm bit and status fault that changed, with when it was raised, when it
// cleared and when the operator acknowledged it. The history outlives device switches; each unit
// type keeps its own last-seen bits, because the same bit means different things on the two.
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

struct AlarmEntry {
  std::uint64_t id = 0;  // stable across trimming of old entries
  DeviceKind kind = DeviceKind::AirConditioner;
  std::size_t bitIndex = 0;  // into NamedBits()
  LocalDateTime raisedAt;
  std::int64_t raisedMs = 0;
  std::optional<LocalDateTime> clearedAt;
  std::int64_t clearedMs = 0;
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

  // Compares the sample's bits with the last ones seen from the same unit type. A fault present
  // at first sight counts as raised then. Returns how many entries were opened or closed.
  std::size_t Observe(const RealTimeSample& sample);
  // Adds an event to the history, raised and cleared at once.
  void RecordEvent(DeviceKind kind, const LocalDateTime& at, std::int64_t atMs, std::string chinese,
                   std::string english);

  // False when no entry has that id (trimmed or never there). Acknowledging twice keeps the
  // first time.
  bool Acknowledge(std::uint64_t id, const LocalDateTime& at);
  // Every entry not yet acknowledged; returns how many.
  std::size_t AcknowledgeAll(const LocalDateTime& at);

  // Oldest first.
  const std::vector<AlarmEntry>& Entries() const { return entries_; }
  std::size_t ActiveCount() const;
  std::size_t UnacknowledgedActiveCount() const;

 private:
  AlarmEntry* Find(std::uint64_t id);
  void Trim();

  std::vector<AlarmEntry> entries_;
  std::uint64_t nextId_ = 1;
  // Per unit type and named bit: the open entry's id, 0 when none.
  std::array<std::array<std::uint64_t, NamedBitCount>, 2> open_{};
};

}  // namespace climate
