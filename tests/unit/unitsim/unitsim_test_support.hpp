// Helpers shared by the simulator tests: a reply-frame checker.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "protocol/frame.hpp"
#include "support/frames.hpp"

namespace climate::unitsim::test {

using climate::test::Hex;

// A reply as the console's receive path judges it: start and end byte, the size the length
// code's low nibble gives, and a checksum that adds up.
inline ::testing::AssertionResult IsWellFormedReply(const Bytes& frame, std::uint8_t start = 0x7E,
                                                    std::uint8_t end = 0x0D) {
  if (frame.size() < 7) return ::testing::AssertionFailure() << "too short: " << HexDump(frame);
  if (frame.front() != start || frame.back() != end) {
    return ::testing::AssertionFailure() << "bad delimiters: " << HexDump(frame);
  }
  if (frame.size() != 6u + (frame[2] & 0x0F)) {
    return ::testing::AssertionFailure() << "size does not fit the length code: " << HexDump(frame);
  }
  const std::span<const std::uint8_t> data(frame.data() + 3, frame.size() - 6);
  const unsigned received = frame[frame.size() - 3] | (frame[frame.size() - 2] << 8);
  if (FrameChecksum(frame[2], data) != received) {
    return ::testing::AssertionFailure() << "bad checksum: " << HexDump(frame);
  }
  return ::testing::AssertionSuccess();
}

}  // namespace climate::unitsim::test
