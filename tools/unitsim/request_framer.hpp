// Cuts the bytes the console sends into request frames: start byte, address, length code (its
// low nibble N gives the size 6 + N), information, checksum, end byte. Garbage before a start
// byte is dropped; a candidate whose end byte is wrong loses its start byte and the rest is
// scanned again, so one damaged frame never swallows the next.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "protocol/frame.hpp"

namespace climate::unitsim {

class RequestFramer {
 public:
  // A partial request that gets no byte for this long is given up, as a unit's receive timer
  // would: at any usual line speed the bytes of one frame follow each other within milliseconds.
  static constexpr std::int64_t StaleAfterMs = 100;

  RequestFramer(std::uint8_t startByte, std::uint8_t endByte)
      : startByte_(startByte), endByte_(endByte) {}

  // Adds bytes that arrived at nowMs; returns the requests they complete, in order.
  std::vector<Bytes> Push(std::span<const std::uint8_t> bytes, std::int64_t nowMs);
  // Gives up a stale partial request; returns requests found in what followed it.
  std::vector<Bytes> Expire(std::int64_t nowMs);

  std::size_t Buffered() const { return buffer_.size(); }
  std::uint64_t BytesDropped() const { return bytesDropped_; }

 private:
  std::vector<Bytes> Scan();
  void DropFront(std::size_t count);

  std::uint8_t startByte_;
  std::uint8_t endByte_;
  Bytes buffer_;
  std::int64_t lastByteMs_ = 0;
  std::uint64_t bytesDropped_ = 0;
};

}  // namespace climate::unitsim
