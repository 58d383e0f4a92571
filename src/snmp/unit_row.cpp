// Column values and notifications of the agent's row.
#include "snmp/unit_row.hpp"

#include <algorithm>

#include "protocol/unit_bits.hpp"

namespace climate {

namespace {

SnmpValue Integer(std::int64_t value) {
  return {SnmpValue::Type::Integer, value, {}};
}
SnmpValue Truth(bool value) {
  return Integer(value ? 1 : 2);
}
// Counter32 wraps as the counter's low 32 bits.
SnmpValue Counter(std::uint64_t value) {
  return {SnmpValue::Type::Counter, static_cast<std::int64_t>(value & 0xFFFFFFFFull), {}};
}

std::optional<std::uint64_t> LinkCounter(const LinkCounters& link, std::string_view key) {
  const std::pair<std::string_view, std::uint64_t> counters[] = {
      {"polls", link.polls},
      {"replies", link.replies},
      {"unanswered", link.unanswered},
      {"checksumErrors", link.checksumErrors},
      {"bytesDropped", link.bytesDropped},
      {"linkLosses", link.linkLosses},
      {"alarmEventsDropped", link.alarmEventsDropped},
  };
  for (const auto& [name, value] : counters) {
    if (name == key) return value;
  }
  return std::nullopt;
}

}  // namespace

UnitRow::UnitRow(Identity identity) : identity_(std::move(identity)) {}

std::vector<RowEvent> UnitRow::Update(const std::optional<UnitReading>& reading,
                                      std::int64_t readingEpochMs, const LinkCounters& link,
                                      std::int64_t nowEpochMs) {
  std::vector<RowEvent> events;
  // The line first: at start a closed line is news, an open one is not.
  if (lineOpen_ != link.portOpen && (lineOpen_ || !link.portOpen)) {
    events.push_back(
        {link.portOpen ? RowEventType::LineRestored : RowEventType::LineLost, {}, nowEpochMs});
  }
  lineOpen_ = link.portOpen;

  const bool newReading = reading && (!reading_ || readingEpochMs != readingEpochMs_);
  if (newReading) {
    for (const AlarmTransition& transition : tracker_.Update(*reading)) {
      events.push_back({transition.raised ? RowEventType::AlarmRaised : RowEventType::AlarmCleared,
                        transition.key, nowEpochMs});
    }
  }
  reading_ = reading;
  readingEpochMs_ = readingEpochMs;

  if (link.replies != repliesSeen_) {
    if (answering_ == false) events.push_back({RowEventType::UnitResponding, {}, nowEpochMs});
    answering_ = true;
    repliesSeen_ = link.replies;
    unansweredAtLastReply_ = link.unanswered;
  } else if (link.unanswered - std::min(link.unanswered, unansweredAtLastReply_) >=
                 SilentAfterPolls &&
             answering_ != false) {
    events.push_back({RowEventType::UnitSilent, {}, nowEpochMs});
    answering_ = false;
  }
  link_ = link;
  return events;
}

void UnitRow::Acknowledged(const std::vector<std::pair<int, int>>& values) {
  for (const auto& [column, value] : values) acknowledged_[column] = value;
}

std::optional<SnmpValue> UnitRow::Value(const UnitColumn& column, std::int64_t nowEpochMs) const {
  const DeviceKind kind = identity_.kind;
  switch (column.source) {
    case ColumnSource::Site:
      return SnmpValue{SnmpValue::Type::Text, 0, identity_.site};
    case ColumnSource::Unit:
      return SnmpValue{SnmpValue::Type::Text, 0, identity_.unit};
    case ColumnSource::Kind:
      return Integer(kind == DeviceKind::HeatExchanger ? 2 : 1);
    case ColumnSource::LineOpen:
      return Truth(link_.portOpen);
    case ColumnSource::Answering:
      return Truth(link_.portOpen && answering_ == true);
    case ColumnSource::ReadingAge:
      if (!reading_) return Integer(-1);
      return Integer(std::max<std::int64_t>(0, nowEpochMs - readingEpochMs_) / 1000);
    case ColumnSource::RemoteSwitch:
    case ColumnSource::Bit: {
      const UnitBit* bit = FindUnitBit(kind, column.key);
      if (!reading_ || !bit) return std::nullopt;
      const bool set = bit->Value(reading_->status, reading_->alarm1, reading_->alarm2);
      return column.source == ColumnSource::Bit ? Truth(set) : Integer(set ? 1 : 2);
    }
    case ColumnSource::Value: {
      if (!reading_) return std::nullopt;
      const std::vector<ValueKey> keys = ReadingValueKeys(kind);
      for (std::size_t i = 0; i < keys.size() && i < reading_->values.size(); ++i) {
        if (keys[i].key == column.key) return Integer(reading_->values[i]);
      }
      return std::nullopt;
    }
    case ColumnSource::Parameter: {
      if (column.Command(kind).empty()) return std::nullopt;
      const auto found = acknowledged_.find(column.number);
      if (found == acknowledged_.end()) return std::nullopt;
      return Integer(found->second);
    }
    case ColumnSource::Link: {
      const std::optional<std::uint64_t> counter = LinkCounter(link_, column.key);
      if (!counter) return std::nullopt;
      return Counter(*counter);
    }
  }
  return std::nullopt;
}

}  // namespace climate
