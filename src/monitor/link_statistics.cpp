// Counting the link's requests and replies, and the stale decision.
#include "monitor/link_statistics.hpp"

#include <algorithm>
#include <vector>

namespace climate {

void LinkStatistics::OnRequestSent(std::int64_t nowMs, bool realTimeRequest) {
  Expire(nowMs);
  ++figures_.requestsSent;
  waiting_.push_back(nowMs);
  if (realTimeRequest && !unansweredSinceMs_) unansweredSinceMs_ = nowMs;
}

void LinkStatistics::OnReply(std::int64_t nowMs) {
  Expire(nowMs);
  ++received_.frames;
  if (waiting_.empty()) return;  // unsolicited or late: no latency to tell
  const std::int64_t latency = nowMs - waiting_.front();
  waiting_.pop_front();
  figures_.lastLatencyMs = latency;
  latencies_.push_back(latency);
  if (latencies_.size() > LatencyWindow) latencies_.pop_front();
}

void LinkStatistics::OnGoodRealTime(std::int64_t nowMs) {
  Expire(nowMs);
  ++received_.realTime;
  lastGoodMs_ = nowMs;
  unansweredSinceMs_.reset();
  unansweredAtGoodReply_ = figures_.requestsUnanswered;
}

void LinkStatistics::OnFramerCounters(const FramerCounters& counters) {
  figures_.framerBytesDropped = counters.bytesDropped;
  figures_.framerPartialsExpired = counters.partialsExpired;
}

void LinkStatistics::SetPeriodic(bool periodic, int periodMs, std::int64_t nowMs) {
  if (periodic && !periodic_) periodicSinceMs_ = nowMs;
  periodic_ = periodic;
  periodMs_ = periodMs;
}

bool LinkStatistics::ValuesStale(std::int64_t nowMs) const {
  if (periodic_) {
    const std::int64_t since = std::max(lastGoodMs_.value_or(periodicSinceMs_), periodicSinceMs_);
    return nowMs - since > static_cast<std::int64_t>(StalePeriods) * periodMs_;
  }
  return unansweredSinceMs_ && nowMs - *unansweredSinceMs_ > ManualStaleMs;
}

std::int64_t LinkStatistics::SilentForMs(std::int64_t nowMs) const {
  std::optional<std::int64_t> since = lastGoodMs_ ? lastGoodMs_ : unansweredSinceMs_;
  if (!since && periodic_) since = periodicSinceMs_;
  return since ? std::max<std::int64_t>(0, nowMs - *since) : 0;
}

std::uint64_t LinkStatistics::UnansweredSinceGoodReply(std::int64_t nowMs) const {
  return Figures(nowMs).requestsUnanswered - unansweredAtGoodReply_;
}

LinkFigures LinkStatistics::Figures(std::int64_t nowMs) const {
  LinkFigures figures = figures_;
  figures.repliesReceived = received_.frames;
  figures.goodReplies = received_.realTime;
  figures.checksumErrors = received_.checksumErrors;
  figures.unknownMessages = received_.unknown;
  for (std::int64_t sent : waiting_) {
    if (nowMs - sent > ReplyTimeoutMs) ++figures.requestsUnanswered;
  }
  if (!latencies_.empty()) {
    std::vector<std::int64_t> sorted(latencies_.begin(), latencies_.end());
    const auto middle = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    std::int64_t median = *middle;
    if (sorted.size() % 2 == 0) {
      median = (median + *std::max_element(sorted.begin(), middle)) / 2;
    }
    figures.medianLatencyMs = median;
  }
  if (lastGoodMs_) figures.lastGoodReplyAgeMs = nowMs - *lastGoodMs_;
  return figures;
}

void LinkStatistics::Expire(std::int64_t nowMs) {
  while (!waiting_.empty() && nowMs - waiting_.front() > ReplyTimeoutMs) {
    waiting_.pop_front();
    ++figures_.requestsUnanswered;
  }
}

}  // namespace climate
