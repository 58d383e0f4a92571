#include "unitsim/request_framer.hpp"

#include <algorithm>

#include "protocol/frame_layout.hpp"

namespace climate::unitsim {

std::vector<Bytes> RequestFramer::Push(std::span<const std::uint8_t> bytes, std::int64_t nowMs) {
  if (bytes.empty()) return {};
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  lastByteMs_ = nowMs;
  return Scan();
}

std::vector<Bytes> RequestFramer::Expire(std::int64_t nowMs) {
  if (buffer_.empty() || nowMs - lastByteMs_ < StaleAfterMs) return {};
  DropFront(1);
  return Scan();
}

void RequestFramer::DropFront(std::size_t count) {
  count = std::min(count, buffer_.size());
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(count));
  bytesDropped_ += count;
}

std::vector<Bytes> RequestFramer::Scan() {
  std::vector<Bytes> frames;
  while (!buffer_.empty()) {
    const auto start = std::find(buffer_.begin(), buffer_.end(), startByte_);
    DropFront(static_cast<std::size_t>(start - buffer_.begin()));
    if (buffer_.size() < frame_layout::HeaderSize) break;
    const std::size_t information =
        frame_layout::InformationSize(buffer_[frame_layout::LengthCodeOffset]);
    if (information == 0) {  // a request carries at least its command code
      DropFront(1);
      continue;
    }
    const std::size_t total = frame_layout::FrameSize(information);
    if (buffer_.size() < total) break;
    if (buffer_[frame_layout::EndOffset(total)] != endByte_) {
      DropFront(1);
      continue;
    }
    frames.emplace_back(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(total));
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(total));
  }
  return frames;
}

}  // namespace climate::unitsim
