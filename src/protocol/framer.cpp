// The stream framer: finds reply frames in the received byte stream by their start byte,
// declared length and end byte 13, so a reply split over reads or sharing a read with others is
// never lost.
#include "protocol/framer.hpp"

namespace climate {

namespace {

constexpr std::uint8_t ReplyEndByte = 13;
constexpr std::size_t FrameOverhead = 6;  // start, address, length code, checksum x2, end

}  // namespace

std::vector<Bytes> StreamFramer::Push(std::span<const std::uint8_t> bytes, std::int64_t nowMs) {
  // A partial frame that has waited too long must not swallow the start of fresh traffic, even
  // if the backstop timer has not run yet.
  std::vector<Bytes> frames = Expire(nowMs);
  if (bytes.empty()) return frames;
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  lastByteMs_ = nowMs;
  std::vector<Bytes> more = Scan();
  if (frames.empty()) return more;
  for (Bytes& frame : more) frames.push_back(std::move(frame));
  return frames;
}

std::vector<Bytes> StreamFramer::Expire(std::int64_t nowMs) {
  std::vector<Bytes> frames;
  if (buffer_.empty() || nowMs - lastByteMs_ < StaleAfterMs) return frames;
  // Every byte still buffered is as old as the last one, so whatever partial frame a rescan
  // finds is just as stale: give them up one after another until nothing is left.
  ++counters_.partialsExpired;
  while (!buffer_.empty()) {
    buffer_.erase(buffer_.begin());
    ++counters_.bytesDropped;
    for (Bytes& frame : Scan()) frames.push_back(std::move(frame));
  }
  return frames;
}

void StreamFramer::Reset() {
  buffer_.clear();
}

std::vector<Bytes> StreamFramer::Scan() {
  std::vector<Bytes> frames;
  const std::size_t size = buffer_.size();
  std::size_t head = 0;
  while (head < size) {
    if (buffer_[head] != startByte_) {
      ++head;
      ++counters_.bytesDropped;
      continue;
    }
    const std::size_t available = size - head;
    if (available < 3) break;  // the length code has not arrived yet
    const std::uint8_t lengthCode = buffer_[head + 2];
    const std::size_t length = FrameOverhead + (lengthCode & 0x0Fu);
    if (available < length) break;  // partial frame: wait for the rest
    std::size_t taken = 0;
    if (buffer_[head + length - 1] == ReplyEndByte) {
      taken = length;
    } else {
      // The whole length byte may give the length as well. Such a frame is taken only when it is
      // already complete: waiting for it could hold back every frame behind a false start.
      const std::size_t wholeLength = FrameOverhead + lengthCode;
      if (wholeLength != length && available >= wholeLength &&
          buffer_[head + wholeLength - 1] == ReplyEndByte) {
        taken = wholeLength;
      }
    }
    if (taken == 0) {
      // Not a frame after all: the start byte was noise or a frame's own data.
      ++head;
      ++counters_.bytesDropped;
      continue;
    }
    const auto first = buffer_.begin() + static_cast<std::ptrdiff_t>(head);
    frames.emplace_back(first, first + static_cast<std::ptrdiff_t>(taken));
    ++counters_.framesOut;
    head += taken;
  }
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(head));
  return frames;
}

}  // namespace climate
