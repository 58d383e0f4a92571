// Cuts the received byte stream into reply frames. Bytes arrive in arbitrary pieces: a reply
// can be split over reads, several can share a read, noise can come between them. Every complete
// frame comes out exactly once, in arrival order.
//
// A candidate starts at the start byte; its length is 6 + the low nibble of its length code and
// its last byte must be 13. Failing that, 6 + the whole length code is tried, but only when that
// many bytes are already there. A candidate that is neither loses its first byte and the scan
// goes on, so a false start costs one byte, not the frames behind it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "protocol/frame.hpp"

namespace climate {

struct FramerCounters {
  std::uint64_t framesOut = 0;
  std::uint64_t bytesDropped = 0;     // garbage, false starts and bad end bytes
  std::uint64_t partialsExpired = 0;  // partial frames that went stale
};

class StreamFramer {
 public:
  // How long a partial frame may wait for its next byte.
  static constexpr std::int64_t StaleAfterMs = 300;

  explicit StreamFramer(std::uint8_t startByte = 0x7E) : startByte_(startByte) {}

  void SetStartByte(std::uint8_t startByte) { startByte_ = startByte; }

  // Adds bytes received at nowMs and returns every frame they complete. A partial frame that was
  // already stale at nowMs is given up first, as Expire would.
  std::vector<Bytes> Push(std::span<const std::uint8_t> bytes, std::int64_t nowMs);
  // The receive backstop: a partial frame with no new byte for StaleAfterMs is given up (its
  // first byte dropped and the rest scanned again); returns frames that this uncovers.
  std::vector<Bytes> Expire(std::int64_t nowMs);
  // Forget everything buffered (port closed or reopened); the counters keep counting.
  void Reset();

  // Never more than a partial frame: under 6 + 15 bytes.
  std::size_t Buffered() const { return buffer_.size(); }
  const FramerCounters& Counters() const { return counters_; }

 private:
  std::vector<Bytes> Scan();

  std::uint8_t startByte_;
  Bytes buffer_;
  std::int64_t lastByteMs_ = 0;
  FramerCounters counters_;
};

}  // namespace climate
