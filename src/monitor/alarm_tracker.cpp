// Opening and closing alarm history entries as the bits of the replies change.
#include "monitor/alarm_tracker.hpp"

#include <algorithm>

namespace climate {

std::size_t AlarmTracker::Observe(const RealTimeSample& sample) {
  const auto bits = NamedBits();
  std::size_t changes = 0;
  for (std::size_t i = 0; i < bits.size(); ++i) {
    if (!bits[i].AppliesTo(sample.kind)) continue;
    const bool fault = bits[i].IsFault(sample.statusByte, sample.alarmByte1, sample.alarmByte2);
    const bool changed = bits[i].FaultWhenSet() ? Follow(entries_, open_, i, fault, sample)
                                                : Follow(states_, openStates_, i, fault, sample);
    if (changed) ++changes;
  }
  if (entries_.size() > MaxEntries) Trim(entries_);
  if (states_.size() > MaxEntries) Trim(states_);
  return changes;
}

bool AlarmTracker::Follow(std::vector<AlarmEntry>& list, OpenIds& open, std::size_t i, bool on,
                          const RealTimeSample& sample) {
  std::uint64_t& id = open[static_cast<std::size_t>(sample.kind)][i];
  if (on && id == 0) {
    AlarmEntry entry;
    entry.id = nextId_++;
    entry.kind = sample.kind;
    entry.bitIndex = i;
    entry.raisedAt = sample.time;
    entry.raisedMs = sample.monotonicMs;
    list.push_back(entry);
    id = entry.id;
    return true;
  }
  if (!on && id != 0) {
    if (AlarmEntry* entry = Find(list, id)) {
      entry->clearedAt = sample.time;
      entry->clearedMs = sample.monotonicMs;
    }
    id = 0;
    return true;
  }
  return false;
}

std::size_t AlarmTracker::EndUnitType(DeviceKind kind, const LocalDateTime& at, std::int64_t atMs) {
  std::size_t ended = 0;
  const auto type = static_cast<std::size_t>(kind);
  for (auto [list, open] : {std::pair{&entries_, &open_}, std::pair{&states_, &openStates_}}) {
    for (std::uint64_t& id : (*open)[type]) {
      if (id == 0) continue;
      if (AlarmEntry* entry = Find(*list, id)) {
        entry->clearedAt = at;
        entry->clearedMs = atMs;
        entry->end = EntryEnd::UnitTypeChanged;
        ++ended;
      }
      id = 0;
    }
  }
  return ended;
}

void AlarmTracker::RecordEvent(DeviceKind kind, const LocalDateTime& at, std::int64_t atMs,
                               std::string chinese, std::string english) {
  AlarmEntry entry;
  entry.id = nextId_++;
  entry.kind = kind;
  entry.raisedAt = at;
  entry.raisedMs = atMs;
  entry.clearedAt = at;
  entry.clearedMs = atMs;
  entry.chineseEvent = std::move(chinese);
  entry.englishEvent = std::move(english);
  entries_.push_back(std::move(entry));
  if (entries_.size() > MaxEntries) Trim(entries_);
}

bool AlarmTracker::Acknowledge(std::uint64_t id, const LocalDateTime& at) {
  AlarmEntry* entry = Find(id);
  if (entry == nullptr) return false;
  if (!entry->acknowledgedAt) entry->acknowledgedAt = at;
  return true;
}

std::size_t AlarmTracker::AcknowledgeAll(const LocalDateTime& at) {
  std::size_t count = 0;
  for (AlarmEntry& entry : entries_) {
    if (entry.acknowledgedAt) continue;
    entry.acknowledgedAt = at;
    ++count;
  }
  return count;
}

std::size_t AlarmTracker::ActiveCount() const {
  return static_cast<std::size_t>(
      std::count_if(entries_.begin(), entries_.end(),
                    [](const AlarmEntry& e) { return e.Active() && !e.IsEvent(); }));
}

std::size_t AlarmTracker::UnacknowledgedActiveCount() const {
  return static_cast<std::size_t>(std::count_if(
      entries_.begin(), entries_.end(),
      [](const AlarmEntry& e) { return e.Active() && !e.IsEvent() && !e.Acknowledged(); }));
}

bool AlarmTracker::AnyStateOpen() const {
  for (const auto& type : openStates_) {
    if (std::any_of(type.begin(), type.end(), [](std::uint64_t id) { return id != 0; })) {
      return true;
    }
  }
  return false;
}

AlarmEntry* AlarmTracker::Find(std::uint64_t id) {
  return Find(entries_, id);
}

// Ids only grow, so each list stays sorted by id.
AlarmEntry* AlarmTracker::Find(std::vector<AlarmEntry>& list, std::uint64_t id) {
  const auto it =
      std::lower_bound(list.begin(), list.end(), id,
                       [](const AlarmEntry& e, std::uint64_t value) { return e.id < value; });
  return it != list.end() && it->id == id ? &*it : nullptr;
}

// Active entries are never trimmed: they are what the operator must still see.
void AlarmTracker::Trim(std::vector<AlarmEntry>& list) {
  std::size_t excess = list.size() - MaxEntries;
  std::vector<AlarmEntry> kept;
  kept.reserve(MaxEntries);
  for (AlarmEntry& entry : list) {
    if (excess > 0 && !entry.Active()) {
      --excess;
      continue;
    }
    kept.push_back(std::move(entry));
  }
  list = std::move(kept);
}

}  // namespace climate
