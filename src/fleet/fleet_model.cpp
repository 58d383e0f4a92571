// Keeping the cabinets from agents' messages, and judging each row's state.
#include "fleet/fleet_model.hpp"

#include <algorithm>
#include <iterator>

#include "common/peer_text.hpp"
#include "fleet/fleet_texts.hpp"
#include "protocol/unit_bits.hpp"

namespace climate {

namespace {

constexpr std::string_view SeverityOrder[] = {
    "highTemperatureAlarm",
    "compressorFault",
    "systemHighPressureAlarm",
    "systemLowPressureAlarm",
    "internalFanFault",
    "externalFanFault",
    "sensorFault",
    "overVoltageAlarm",
    "underVoltageAlarm",
    "lowTemperatureAlarm",
    "heaterFault",
    "remoteOnOffFault",
    "customAlarm1",
    "customAlarm2",
    "customAlarm3",
    "customAlarm4",
    "customAlarm5",
};

std::string CabinetKey(std::string_view site, std::string_view unit) {
  std::string key(site);
  key += '/';
  key += unit;
  return key;
}

}  // namespace

int AlarmSeverityRank(std::string_view key) {
  const auto found = std::find(std::begin(SeverityOrder), std::end(SeverityOrder), key);
  return static_cast<int>(std::distance(std::begin(SeverityOrder), found));
}

std::string_view AlarmText(const UnitBit& bit, Language language) {
  return bit.MemoText(true, language);
}

std::optional<std::int64_t> ReadingAgeMs(const Cabinet& cabinet, std::int64_t nowMs) {
  if (!cabinet.state || !cabinet.state->readingTimeMs) return std::nullopt;
  // A clock stepped back on either side makes a negative part; it counts as none.
  const std::int64_t atPublish =
      std::max<std::int64_t>(0, cabinet.state->timeMs - *cabinet.state->readingTimeMs);
  return atPublish + std::max<std::int64_t>(0, nowMs - cabinet.stateArrivedMs);
}

RowState StateOf(const Cabinet& cabinet, bool brokerUp, std::int64_t nowMs) {
  if (cabinet.online && !*cabinet.online) return RowState::AgentOffline;
  if (!brokerUp) return RowState::BrokerUnreachable;
  if (!cabinet.state) return RowState::NotAnswering;
  if (!cabinet.state->portOpen) return RowState::LineDown;
  const std::optional<std::int64_t> age = ReadingAgeMs(cabinet, nowMs);
  const std::int64_t pollMs = cabinet.state->pollMs.value_or(AssumedPollMs);
  if (!age || *age > QuietPeriods * pollMs) return RowState::NotAnswering;
  return cabinet.state->worstAlarm != nullptr ? RowState::InAlarm : RowState::Normal;
}

std::string AgeText(std::int64_t ageMs, Language language) {
  using namespace fleet_text;
  const std::int64_t seconds = std::max<std::int64_t>(0, ageMs) / 1000;
  const auto with = [language](std::int64_t number, const TextPair& unit) {
    return std::to_string(number) + std::string(unit.In(language));
  };
  if (seconds < 60) return with(seconds, Seconds);
  if (seconds < 3600) return with(seconds / 60, Minutes);
  if (seconds < 86400) {
    std::string text = with(seconds / 3600, Hours);
    if (const std::int64_t minutes = seconds % 3600 / 60; minutes > 0) {
      text += " " + with(minutes, Minutes);
    }
    return text;
  }
  return with(seconds / 86400, Days);
}

void FleetModel::Ingest(std::string_view topic, std::string_view payload) {
  FleetVerdict verdict = ReadFleetMessage(prefix_, topic, payload);
  if (verdict.kind == FleetVerdict::Kind::Ignored) return;
  FleetMessage& message = verdict.message;
  std::string key = CabinetKey(message.site, message.unit);
  if (verdict.kind == FleetVerdict::Kind::Refused) {
    ++rejected_;
    lastRejectedCabinet_ = EscapeForLog(key, 80);
    lastRefusal_ = std::move(verdict.refusal);
    return;
  }
  if (message.leaf == FleetMessage::Leaf::CommandResult) {
    const auto found = index_.find(key);
    if (!message.result || found == index_.end()) return;
    std::deque<CommandResult>& results = cabinets_[found->second].results;
    results.push_back(std::move(*message.result));
    while (results.size() > MaxCommandResults) results.pop_front();
    return;
  }
  const bool clears = payload.empty();
  auto waiting = pendingIndex_.find(key);
  if (waiting == pendingIndex_.end()) {
    const bool known = index_.count(key) != 0;
    // Clearing what was never listed changes nothing.
    if (!known && clears) return;
    if (!known && cabinets_.size() + pendingNew_ >= maxCabinets_) {
      ++capRefused_;
      return;
    }
    pendingNew_ += known ? 0 : 1;
    PendingEntry entry;
    entry.key = key;
    entry.site = std::move(message.site);
    entry.unit = std::move(message.unit);
    pending_.push_back(std::move(entry));
    waiting = pendingIndex_.emplace(std::move(key), pending_.size() - 1).first;
  }
  PendingEntry& entry = pending_[waiting->second];
  if (message.leaf == FleetMessage::Leaf::State) {
    entry.hasState = true;
    entry.state = std::move(message.state);
  } else {
    entry.hasOnline = true;
    entry.online = message.online;
  }
}

FleetModel::Batch FleetModel::Flush(std::int64_t nowMs) {
  Batch batch;
  for (PendingEntry& entry : pending_) {
    const auto found = index_.find(entry.key);
    if (entry.hasState && !entry.state) {
      // A cleared retained state: the cabinet is gone, whatever its online flag says.
      if (found != index_.end()) batch.removals.push_back(entry.key);
      continue;
    }
    std::size_t row = 0;
    if (found == index_.end()) {
      if (!entry.hasState && !entry.online) continue;  // only clears: nothing to list
      row = cabinets_.size();
      Cabinet cabinet;
      cabinet.site = std::move(entry.site);
      cabinet.unit = std::move(entry.unit);
      cabinets_.push_back(std::move(cabinet));
      index_.emplace(entry.key, row);
      ++batch.added;
    } else {
      row = found->second;
      batch.firstUpdated = std::min(batch.firstUpdated.value_or(row), row);
      batch.lastUpdated = std::max(batch.lastUpdated, row);
    }
    Cabinet& cabinet = cabinets_[row];
    if (entry.hasState) {
      cabinet.state = std::move(entry.state);
      cabinet.stateArrivedMs = nowMs;
      // An alarm still active keeps the time it was first seen; a new one takes this state's.
      std::vector<ActiveAlarm> active;
      for (const std::string& alarm : cabinet.state->activeAlarmKeys) {
        const auto before = std::find_if(cabinet.activeAlarms.begin(), cabinet.activeAlarms.end(),
                                         [&](const ActiveAlarm& a) { return a.key == alarm; });
        active.push_back({alarm, before != cabinet.activeAlarms.end() ? before->sinceMs
                                                                      : cabinet.state->timeMs});
      }
      cabinet.activeAlarms = std::move(active);
    }
    if (entry.hasOnline) cabinet.online = entry.online;
  }
  pending_.clear();
  pendingIndex_.clear();
  pendingNew_ = 0;
  return batch;
}

std::optional<std::size_t> FleetModel::IndexOf(const std::string& key) const {
  const auto found = index_.find(key);
  if (found == index_.end()) return std::nullopt;
  return found->second;
}

void FleetModel::RemoveAt(std::size_t index) {
  if (index >= cabinets_.size()) return;
  index_.erase(CabinetKey(cabinets_[index].site, cabinets_[index].unit));
  cabinets_.erase(cabinets_.begin() + static_cast<std::ptrdiff_t>(index));
  for (auto& [key, row] : index_) {
    if (row > index) --row;
  }
}

}  // namespace climate
