#include "unitsim/line_timing.hpp"

#include <algorithm>

namespace climate::unitsim {

std::int64_t ByteTimeNs(int baud) {
  if (baud <= 0) return 0;
  return 10'000'000'000LL / baud;
}

std::vector<TimedWrite> ScheduleReply(std::span<const std::uint8_t> reply, std::int64_t startNs,
                                      const ReplyPacing& pacing) {
  std::vector<TimedWrite> writes;
  if (reply.empty()) return writes;
  const std::int64_t byteNs = ByteTimeNs(pacing.baud);
  std::size_t piece = reply.size();
  if (pacing.fragment > 0) {
    piece = static_cast<std::size_t>(pacing.fragment);
  } else if (byteNs > 0) {
    piece = 1;
  }
  for (std::size_t begin = 0; begin < reply.size(); begin += piece) {
    const std::size_t end = std::min(reply.size(), begin + piece);
    std::int64_t at = startNs + static_cast<std::int64_t>(end) * byteNs;
    if (pacing.fragment > 0 && !writes.empty()) {
      at = std::max(at, writes.back().atNs + pacing.fragmentPauseNs);
    }
    writes.push_back({at, Bytes(reply.begin() + static_cast<std::ptrdiff_t>(begin),
                                reply.begin() + static_cast<std::ptrdiff_t>(end))});
  }
  return writes;
}

std::int64_t ReceiveLine::Arrival(std::size_t count, std::int64_t nowNs) {
  busyUntilNs_ = std::max(busyUntilNs_, nowNs) + static_cast<std::int64_t>(count) * byteNs_;
  return busyUntilNs_;
}

Bytes MakeNoise(std::minstd_rand& random, std::span<const std::uint8_t> forbidden) {
  std::uniform_int_distribution<int> length(1, 6);
  std::uniform_int_distribution<int> value(0, 255);
  Bytes noise(static_cast<std::size_t>(length(random)));
  for (std::uint8_t& byte : noise) {
    do {
      byte = static_cast<std::uint8_t>(value(random));
    } while (byte == 0x7E || byte == 0x0D ||
             std::find(forbidden.begin(), forbidden.end(), byte) != forbidden.end());
  }
  return noise;
}

}  // namespace climate::unitsim
