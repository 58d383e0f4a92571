// Request frames: layout, checksum, the six commands and the helpers every sender shares.
//
//   SOI | Id | length code | information (N bytes) | checksum low | checksum high | EOI
//
// N is the low nibble of the length code (frame_layout.hpp holds the offsets). The checksum is the
// 16-bit two's complement of the sum of the length code and the information bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/config/protocol_settings.hpp"
#include "protocol/device_kind.hpp"

namespace climate {

using Bytes = std::vector<std::uint8_t>;
using RequestFrame = Bytes;

enum class CommandKind {
  RealTimeData,
  SetParameters,
  RemoteOnOff,
  SetFactoryParameters,
  GetFactoryParameters,
  SetFanStopPoint,
};

// Command code, request length code and reply length code of one command.
struct CommandCodes {
  std::int16_t code = 0;
  std::int16_t requestLength = 0;
  std::int16_t replyLength = 0;
};

// The codes of a command for a unit type; factory commands always come from the heat
// exchanger's set and the fan stop point from the air conditioner's, whatever kind is given.
CommandCodes CommandCodesFor(const ProtocolSettings& protocol, CommandKind command,
                             DeviceKind kind);

// Sum of the length code and information bytes (low bytes), negated as a 16-bit value.
std::uint16_t FrameChecksum(std::int16_t lengthCode, std::span<const std::uint8_t> information);

// Start byte, address, length code, command code, data, checksum low, high, end byte. The length
// code is the caller's; it is not derived from the data.
RequestFrame BuildRequestFrame(const ProtocolSettings& protocol, std::int16_t lengthCode,
                               std::int16_t commandCode, std::span<const std::uint8_t> data);

// Start byte, address, length code, data, checksum low, high, end byte: a reply as the unit
// sends it, with the configured delimiters and address.
Bytes BuildReplyFrame(const ProtocolSettings& protocol, std::int16_t lengthCode,
                      std::span<const std::uint8_t> data);

// The request of a command for a unit type with the configured codes.
RequestFrame BuildRequest(const ProtocolSettings& protocol, CommandKind command, DeviceKind kind,
                          std::span<const std::uint8_t> data = {});

// Reads upper-case hexadecimal; an empty text is 0 and any other character makes it 0.
int HexTextToNumber(std::string_view text);

// XOR with the fixed 16-byte key, cut at the first character equal to its key byte.
std::string ScramblePassword(std::string_view text);

// Two upper-case hex digits per byte, no separator.
std::string HexDump(std::span<const std::uint8_t> bytes);

}  // namespace climate
