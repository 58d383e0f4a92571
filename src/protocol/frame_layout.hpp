// Where everything sits in a frame, for requests and replies alike:
//
//   offset 0       start byte
//          1       address
//          2       length code (its low nibble is N, the size of the information field)
//          3       information, N bytes
//          3 + N   checksum low, then checksum high
//          5 + N   end byte
//
// A frame is 6 + N bytes long. Replies may give N as the whole length code byte as well.
#pragma once

#include <cstddef>
#include <cstdint>

namespace climate::frame_layout {

inline constexpr std::size_t StartOffset = 0;
inline constexpr std::size_t AddressOffset = 1;
inline constexpr std::size_t LengthCodeOffset = 2;
inline constexpr std::size_t InformationOffset = 3;

// Start byte, address and length code in front of the information field.
inline constexpr std::size_t HeaderSize = InformationOffset;
// Checksum low, checksum high and the end byte behind it.
inline constexpr std::size_t TrailerSize = 3;
inline constexpr std::size_t Overhead = HeaderSize + TrailerSize;

// The unit ends every reply with 13, whatever end byte the requests are configured to use.
inline constexpr std::uint8_t ReplyEndByte = 13;

// The size of the information field the length code announces: its low nibble.
constexpr std::size_t InformationSize(std::uint8_t lengthCode) {
  return lengthCode & 0x0Fu;
}

// The whole frame for an information field of the given size.
constexpr std::size_t FrameSize(std::size_t informationSize) {
  return Overhead + informationSize;
}

// Offsets counted from the end of a frame of the given size.
constexpr std::size_t ChecksumLowOffset(std::size_t frameSize) {
  return frameSize - TrailerSize;
}
constexpr std::size_t ChecksumHighOffset(std::size_t frameSize) {
  return frameSize - TrailerSize + 1;
}
constexpr std::size_t EndOffset(std::size_t frameSize) {
  return frameSize - 1;
}

// The longest frame anything on the line can announce: the whole length code byte as N.
inline constexpr std::size_t LongestFrameSize = FrameSize(255);

}  // namespace climate::frame_layout
