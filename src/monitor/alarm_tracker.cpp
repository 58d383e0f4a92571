// Opening and closing alarm history entries as the bits of the replies change.
#include "monitor/alarm_tracker.hpp"

#include <algorithm>

namespace climate {

std::size_t AlarmTracker::Observe(const RealTimeSample& sample) {
  const auto bits = NamedBits();
  auto& open = open_[static_cast<std::size_t>(sample.kind)];
  std::size_t changes = 0;
  for (std::size_t i = 0; i < bits.size(); ++i) {
    if (!bits[i].AppliesTo(sample.kind)) continue;
    const bool fault = bits[i].IsFault(sample.statusByte, sample.alarmByte1, sample.alarmByte2);
    if (fault && open[i] == 0) {
      AlarmEntry entry;
      entry.id = nextId_++;
      entry.kind = sample.kind;
      entry.bitIndex = i;
      entry.raisedAt = sample.time;
      entry.raisedMs = sample.monotonicMs;
      entries_.push_back(entry);
      open[i] = entry.id;
      ++changes;
    } else if (!fault && open[i] != 0) {
      if (AlarmEntry* entry = Find(open[i])) {
        entry->clearedAt = sample.time;
        entry->clearedMs = sample.monotonicMs;
      }
      open[i] = 0;
      ++changes;
    }
  }
  if (entries_.size() > MaxEntries) Trim();
  return changes;
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
  if (entries_.size() > MaxEntries) Trim();
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
  return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(),
                                                [](const AlarmEntry& e) { return e.Active(); }));
}

std::size_t AlarmTracker::UnacknowledgedActiveCount() const {
  return static_cast<std::size_t>(
      std::count_if(entries_.begin(), entries_.end(),
                    [](const AlarmEntry& e) { return e.Active() && !e.Acknowledged(); }));
}

// Ids only grow, so the list stays sorted by id.
AlarmEntry* AlarmTracker::Find(std::uint64_t id) {
  const auto it =
      std::lower_bound(entries_.begin(), entries_.end(), id,
                       [](const AlarmEntry& e, std::uint64_t value) { return e.id < value; });
  return it != entries_.end() && it->id == id ? &*it : nullptr;
}

// Active alarms are never trimmed: they are what the operator must still see.
void AlarmTracker::Trim() {
  std::size_t excess = entries_.size() - MaxEntries;
  std::vector<AlarmEntry> kept;
  kept.reserve(MaxEntries);
  for (AlarmEntry& entry : entries_) {
    if (excess > 0 && !entry.Active()) {
      --excess;
      continue;
    }
    kept.push_back(std::move(entry));
  }
  entries_ = std::move(kept);
}

}  // namespace climate
