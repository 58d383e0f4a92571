// Link health: what came back for what was sent, and whether the values on screen are still
// live. Times are milliseconds on the monotonic clock.
//
// A reply is matched to the oldest request still waiting (the units answer in order and carry no
// request number). A request that waits longer than two seconds counts as unanswered, and a
// reply arriving after that is not charged to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

#include "protocol/framer.hpp"
#include "protocol/receive.hpp"
#include "serial/line_negotiation.hpp"

namespace climate {

// A snapshot for the Monitor window, the report and the agent; the reply counts are the
// receive counters under the names those show them by.
struct LinkFigures {
  std::uint64_t requestsSent = 0;
  std::uint64_t repliesReceived = 0;  // every frame that reached the receive path
  std::uint64_t goodReplies = 0;      // real-time replies that passed the checksum
  std::uint64_t checksumErrors = 0;
  std::uint64_t unknownMessages = 0;
  std::uint64_t requestsUnanswered = 0;  // no reply of any kind within ReplyTimeoutMs
  std::uint64_t framerBytesDropped = 0;
  std::uint64_t framerPartialsExpired = 0;
  std::optional<std::int64_t> lastLatencyMs;
  std::optional<std::int64_t> medianLatencyMs;
  std::optional<std::int64_t> lastGoodReplyAgeMs;
  // Whether the line runs as set: a device server may refuse or change the settings.
  LineSettingsReport lineSettings;
};

class LinkStatistics {
 public:
  static constexpr std::int64_t ReplyTimeoutMs = 2000;
  // Values count as stale after this many periods without a good reply in periodic mode, or
  // ManualStaleMs after an unanswered real-time request in manual mode.
  static constexpr int StalePeriods = 3;
  static constexpr std::int64_t ManualStaleMs = 10000;
  // The median is taken over the most recent latencies.
  static constexpr std::size_t LatencyWindow = 1000;

  void OnRequestSent(std::int64_t nowMs, bool realTimeRequest);
  // Any frame the receive path accepted: it answers the oldest waiting request.
  void OnReply(std::int64_t nowMs);
  // A real-time reply that passed the checksum: the value boxes are live again.
  void OnGoodRealTime(std::int64_t nowMs);
  void OnChecksumError() { ++received_.checksumErrors; }
  void OnUnknown() { ++received_.unknown; }
  void OnFactory() { ++received_.factory; }
  void OnAcknowledgement() { ++received_.acknowledgements; }
  void OnMemoClear() { ++received_.memoClears; }
  void OnFramerCounters(const FramerCounters& counters);
  void SetPeriodic(bool periodic, int periodMs, std::int64_t nowMs);
  void SetLineSettings(LineSettingsReport report) { figures_.lineSettings = std::move(report); }

  bool Periodic() const { return periodic_; }
  int PeriodMs() const { return periodMs_; }
  bool ValuesStale(std::int64_t nowMs) const;
  // How long the unit has not been heard: since its last good real-time reply, or, when it has
  // never sent one, since it was first asked (or polling began).
  std::int64_t SilentForMs(std::int64_t nowMs) const;
  // Requests that went without any reply since the last good real-time reply (the whole run when
  // there has been none).
  std::uint64_t UnansweredSinceGoodReply(std::int64_t nowMs) const;
  LinkFigures Figures(std::int64_t nowMs) const;
  const ReceiveCounters& Received() const { return received_; }

 private:
  void Expire(std::int64_t nowMs);

  LinkFigures figures_;  // the request side and the framer's figures
  ReceiveCounters received_;
  std::deque<std::int64_t> waiting_;  // send times of requests without a reply yet
  std::deque<std::int64_t> latencies_;
  std::optional<std::int64_t> lastGoodMs_;
  // The first real-time request since the last good reply; manual mode measures from it.
  std::optional<std::int64_t> unansweredSinceMs_;
  // requestsUnanswered as it stood at the last good real-time reply.
  std::uint64_t unansweredAtGoodReply_ = 0;
  bool periodic_ = false;
  int periodMs_ = 5000;
  std::int64_t periodicSinceMs_ = 0;
};

}  // namespace climate
