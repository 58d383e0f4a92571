// The stream framer: finds reply frames in the received byte stream by their start byte,
// declared length and end byte 13, so a reply split over reads or sharing a read with others is
// never lost, and a false start in front of a reply does not swallow it.
#include "protocol/framer.hpp"

#include "protocol/frame_layout.hpp"
#include "protocol/receive.hpp"

namespace climate {

namespace {

namespace layout = frame_layout;

// What starts at a start byte: the rest has not arrived yet, nothing of reply shape, or a frame
// of the given length.
struct Shape {
  bool partial = false;
  std::size_t length = 0;
};

Shape ShapeAt(const Bytes& buffer, std::size_t head) {
  const std::size_t available = buffer.size() - head;
  if (available < layout::HeaderSize) return {true, 0};  // the length code has not arrived yet
  const std::uint8_t lengthCode = buffer[head + layout::LengthCodeOffset];
  const std::size_t length = layout::FrameSize(layout::InformationSize(lengthCode));
  if (available < length) return {true, 0};
  if (buffer[head + layout::EndOffset(length)] == layout::ReplyEndByte) return {false, length};
  // The whole length byte may give the length as well. Such a frame is taken only when it is
  // already complete: waiting for it could hold back every frame behind a false start. One that
  // arrives in pieces is still found when the line goes quiet.
  const std::size_t wholeLength = layout::FrameSize(lengthCode);
  if (wholeLength != length && available >= wholeLength &&
      buffer[head + layout::EndOffset(wholeLength)] == layout::ReplyEndByte) {
    return {false, wholeLength};
  }
  return {false, 0};
}

}  // namespace

std::vector<Bytes> StreamFramer::Push(std::span<const std::uint8_t> bytes, std::int64_t nowMs) {
  // A partial frame that has waited too long must not swallow the start of fresh traffic, even
  // if the backstop timer has not run yet.
  std::vector<Bytes> frames = Expire(nowMs);
  if (bytes.empty()) return frames;
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  if (!blockOverlong_) {
    if (block_.size() + bytes.size() > LongestFrame) {
      block_.clear();
      blockOverlong_ = true;
    } else {
      block_.insert(block_.end(), bytes.begin(), bytes.end());
    }
  }
  lastByteMs_ = nowMs;
  std::vector<Bytes> more = Scan(Mode::Live);
  if (frames.empty()) return more;
  for (Bytes& frame : more) frames.push_back(std::move(frame));
  return frames;
}

std::vector<Bytes> StreamFramer::Expire(std::int64_t nowMs) {
  std::vector<Bytes> frames;
  if ((buffer_.empty() && block_.empty() && !blockOverlong_) ||
      nowMs - lastByteMs_ < StaleAfterMs) {
    return frames;
  }
  const Bytes block = std::move(block_);
  const bool blockShaped = !blockOverlong_ && IsPlausibleFrame(block);
  block_.clear();
  blockOverlong_ = false;

  // Everything since the last frame makes one good reply: it wins over whatever the scan made of
  // its pieces. Its bytes were counted as dropped while they waited; they were not.
  if (blockShaped && (!judge_ || judge_(block))) {
    counters_.bytesDropped -= block.size() - buffer_.size();
    buffer_.clear();
    frames.push_back(block);
    ++counters_.framesOut;
    return frames;
  }

  if (!buffer_.empty()) {
    // Every byte still buffered is as old as the last one, so whatever partial frame a rescan
    // finds is just as stale: give them up one after another until nothing is left. A rejected
    // frame that waited for a later one inside it comes out as it is.
    ++counters_.partialsExpired;
    frames = Scan(Mode::Quiet);
    while (!buffer_.empty()) {
      buffer_.erase(buffer_.begin());
      ++counters_.bytesDropped;
      for (Bytes& frame : Scan(Mode::Quiet)) frames.push_back(std::move(frame));
    }
  }
  // Nothing better in it: a block of reply shape is shown as such (as a checksum error or an
  // unknown message, say) rather than vanishing.
  if (frames.empty() && blockShaped) {
    counters_.bytesDropped -= block.size();
    frames.push_back(block);
    ++counters_.framesOut;
  }
  block_.clear();
  blockOverlong_ = false;
  return frames;
}

void StreamFramer::Reset() {
  buffer_.clear();
  block_.clear();
  blockOverlong_ = false;
}

bool StreamFramer::Good(std::size_t head, std::size_t length) const {
  if (!judge_) return true;
  return judge_(std::span<const std::uint8_t>(buffer_).subspan(head, length));
}

void StreamFramer::Emit(std::vector<Bytes>& frames, std::size_t head, std::size_t length) {
  const auto first = buffer_.begin() + static_cast<std::ptrdiff_t>(head);
  frames.emplace_back(first, first + static_cast<std::ptrdiff_t>(length));
  ++counters_.framesOut;
}

// The first start byte after head and inside [head, head + length) that begins a complete frame
// the judge accepts; 0 when there is none. waiting tells whether one of them is still arriving.
std::size_t StreamFramer::LaterGoodFrame(std::size_t head, std::size_t length,
                                         bool& waiting) const {
  waiting = false;
  for (std::size_t at = head + 1; at < head + length; ++at) {
    if (buffer_[at] != startByte_) continue;
    const Shape shape = ShapeAt(buffer_, at);
    if (shape.partial) {
      waiting = true;
    } else if (shape.length != 0 && Good(at, shape.length)) {
      return at;
    }
  }
  return 0;
}

std::vector<Bytes> StreamFramer::Scan(Mode mode) {
  std::vector<Bytes> frames;
  const std::size_t size = buffer_.size();
  std::size_t head = 0;
  std::size_t lastEnd = 0;
  bool emitted = false;
  while (head < size) {
    if (buffer_[head] != startByte_) {
      ++head;
      ++counters_.bytesDropped;
      continue;
    }
    const Shape shape = ShapeAt(buffer_, head);
    if (shape.partial) break;  // wait for the rest
    if (shape.length == 0) {
      // Not a frame after all: the start byte was noise or a frame's own data.
      ++head;
      ++counters_.bytesDropped;
      continue;
    }
    if (!Good(head, shape.length)) {
      bool waiting = false;
      if (const std::size_t later = LaterGoodFrame(head, shape.length, waiting); later != 0) {
        // A false start that ended on a byte of the real reply behind it.
        counters_.bytesDropped += later - head;
        head = later;
        continue;
      }
      if (waiting && mode == Mode::Live) break;
    }
    Emit(frames, head, shape.length);
    head += shape.length;
    lastEnd = head;
    emitted = true;
  }
  if (emitted) {
    // The quiet block starts again after the last frame that came out.
    block_.assign(buffer_.begin() + static_cast<std::ptrdiff_t>(lastEnd), buffer_.end());
    blockOverlong_ = block_.size() > LongestFrame;
    if (blockOverlong_) block_.clear();
  }
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(head));
  return frames;
}

}  // namespace climate
