// Cuts the received byte stream into reply frames. Bytes arrive in arbitrary pieces: a reply
// can be split over reads, several can share a read, noise can come between them. Every complete
// frame comes out exactly once, in arrival order.
//
// A candidate starts at the start byte; its length is 6 + the low nibble of its length code and
// its last byte must be 13. Failing that, 6 + the whole length code is tried, but only when that
// many bytes are already there. A candidate that is neither loses its first byte and the scan
// goes on, so a false start costs one byte, not the frames behind it.
//
// A candidate of the right shape can still be a false start that happens to end on a 13 inside
// the real reply behind it. With a judge set (does this frame classify and pass its checksum?),
// a candidate the judge rejects gives way to a later start byte inside it that begins a complete
// frame the judge accepts; while such a later frame is still arriving the candidate waits for it.
//
// When the line has been quiet for StaleAfterMs, everything received since the last frame that
// came out is judged as one block, the way a reader that takes one read as one reply would judge
// it: a block of reply shape (whatever its start byte, however many pieces it came in) comes out
// whole rather than being dropped.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "protocol/frame.hpp"
#include "protocol/frame_layout.hpp"

namespace climate {

struct FramerCounters {
  std::uint64_t framesOut = 0;
  std::uint64_t bytesDropped = 0;     // garbage, false starts and bad end bytes
  std::uint64_t partialsExpired = 0;  // partial frames that went stale
};

// Whether a frame of reply shape is one the receive path can use: recognised, long enough for
// its decoder and with a matching checksum.
using FrameJudge = std::function<bool(std::span<const std::uint8_t> frame)>;

class StreamFramer {
 public:
  // How long a partial frame may wait for its next byte: the receive period.
  static constexpr std::int64_t StaleAfterMs = 300;
  // The longest block of reply shape: 6 + a length code of 255.
  static constexpr std::size_t LongestFrame = frame_layout::LongestFrameSize;

  explicit StreamFramer(std::uint8_t startByte = 0x7E) : startByte_(startByte) {}

  void SetStartByte(std::uint8_t startByte) { startByte_ = startByte; }
  // Without a judge every frame of reply shape counts as good.
  void SetJudge(FrameJudge judge) { judge_ = std::move(judge); }

  // Adds bytes received at nowMs and returns every frame they complete. A partial frame that was
  // already stale at nowMs is given up first, as Expire would.
  std::vector<Bytes> Push(std::span<const std::uint8_t> bytes, std::int64_t nowMs);
  // The receive backstop: once no byte has come for StaleAfterMs, the quiet block is judged and
  // whatever partial frame is left is given up (its first byte dropped and the rest scanned
  // again); returns the frames this uncovers.
  std::vector<Bytes> Expire(std::int64_t nowMs);
  // Forget everything buffered (port closed or reopened); the counters keep counting.
  void Reset();

  // A partial frame, or a rejected frame waiting on a later one that starts inside it.
  std::size_t Buffered() const { return buffer_.size(); }
  const FramerCounters& Counters() const { return counters_; }

 private:
  enum class Mode { Live, Quiet };
  std::vector<Bytes> Scan(Mode mode);
  // 0 when no frame of reply shape starts at head, else its length.
  std::size_t LaterGoodFrame(std::size_t head, std::size_t length, bool& waiting) const;
  bool Good(std::size_t head, std::size_t length) const;
  void Emit(std::vector<Bytes>& frames, std::size_t head, std::size_t length);

  std::uint8_t startByte_;
  FrameJudge judge_;
  Bytes buffer_;
  // Every byte received since the last frame came out (or the line was last quiet); the buffer
  // is its tail. Empty and marked overlong once it can no longer be of reply shape.
  Bytes block_;
  bool blockOverlong_ = false;
  std::int64_t lastByteMs_ = 0;
  FramerCounters counters_;
};

}  // namespace climate
