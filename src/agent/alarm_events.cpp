// Alarm transitions, their JSON and the bounded queue.
#include "agent/alarm_events.hpp"

#include <nlohmann/json.hpp>

#include "agent/agent_settings.hpp"
#include "protocol/unit_bits.hpp"

namespace climate {

std::vector<AlarmTransition> AlarmTracker::Update(const UnitReading& reading) {
  std::vector<AlarmTransition> transitions;
  for (const UnitBit& bit : UnitBits(reading.kind)) {
    if (!bit.IsAlarm()) continue;
    const bool now = bit.Value(reading.status, reading.alarm1, reading.alarm2);
    // A change of unit type between readings cannot happen within a run; compare bytes only.
    const bool before = last_ && bit.Value(last_->status, last_->alarm1, last_->alarm2);
    if (now != before) {
      transitions.push_back(
          {std::string(bit.key), std::string(bit.MemoText(now, Language::English)), now});
    }
  }
  last_ = reading;
  return transitions;
}

std::string AlarmEventJson(const Identity& who, const AlarmTransition& transition,
                           std::uint64_t run, std::uint64_t seq, std::int64_t epochMs) {
  nlohmann::ordered_json event;
  event["site"] = who.site;
  event["unit"] = who.unit;
  event["kind"] = KindKey(who.kind);
  event["alarm"] = transition.key;
  event["event"] = transition.raised ? "raised" : "cleared";
  event["text"] = transition.text;
  event["time"] = IsoUtc(epochMs);
  event["run"] = run;
  event["seq"] = seq;
  return event.dump();
}

void EventQueue::Push(std::string payload) {
  if (entries_.size() >= limit_) {
    entries_.pop_front();
    ++dropped_;
  }
  entries_.push_back({std::move(payload), -1});
}

std::vector<std::pair<std::size_t, const std::string*>> EventQueue::Unsent() const {
  std::vector<std::pair<std::size_t, const std::string*>> unsent;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].messageId < 0) unsent.emplace_back(i, &entries_[i].payload);
  }
  return unsent;
}

void EventQueue::MarkSent(std::size_t index, int messageId) {
  if (index < entries_.size()) entries_[index].messageId = messageId;
}

bool EventQueue::Acknowledge(int messageId) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->messageId == messageId) {
      entries_.erase(it);
      return true;
    }
  }
  return false;
}

void EventQueue::ResetInFlight() {
  for (Entry& entry : entries_) entry.messageId = -1;
}

}  // namespace climate
