// Timing of the imitated serial line: how long bytes take on the wire at a given speed (8N1, ten
// bits per byte), the pieces a reply is written in, and the garbage written before a reply.
#pragma once

#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "protocol/frame.hpp"

namespace climate::unitsim {

// Wire time of one byte in nanoseconds; 0 for baud 0 (no imitation).
std::int64_t ByteTimeNs(int baud);

struct ReplyPacing {
  int baud = 0;      // 0: no wire time
  int fragment = 0;  // bytes per write; 0: as the line allows (whole, or byte by byte at a baud)
  std::int64_t fragmentPauseNs = 2'000'000;
};

struct TimedWrite {
  std::int64_t atNs = 0;
  Bytes bytes;
};

// The writes of one reply whose first byte may go on the line at startNs. At a baud a piece is
// written when its last byte would have left the wire; pieces of --fragment keep their pause.
std::vector<TimedWrite> ScheduleReply(std::span<const std::uint8_t> reply, std::int64_t startNs,
                                      const ReplyPacing& pacing);

// The receive side at a baud: bytes that the console wrote at once arrive one wire time after
// another, so a request counts as received only when its last byte has crossed the line.
class ReceiveLine {
 public:
  explicit ReceiveLine(int baud) : byteNs_(ByteTimeNs(baud)) {}
  // When `count` bytes read at nowNs are complete.
  std::int64_t Arrival(std::size_t count, std::int64_t nowNs);

 private:
  std::int64_t byteNs_;
  std::int64_t busyUntilNs_ = 0;
};

// One to six random bytes, none of them in `forbidden` (the frame delimiters).
Bytes MakeNoise(std::minstd_rand& random, std::span<const std::uint8_t> forbidden);

}  // namespace climate::unitsim
