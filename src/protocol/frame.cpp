#include "protocol/frame.hpp"

#include <array>

#include "protocol/frame_layout.hpp"

namespace climate {

namespace {

constexpr std::array<std::uint8_t, 16> ScrambleKey = {
    0x7D, 0x47, 0x0F, 0x4E, 0x6B, 0x5B, 0x53, 0x28, 0x6E, 0x14, 0x39, 0x62, 0x0F, 0x44, 0x2B, 0x71};

std::uint8_t Low(std::int16_t value) {
  return static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace

CommandCodes CommandCodesFor(const ProtocolSettings& protocol, CommandKind command,
                             DeviceKind kind) {
  const DeviceCommandSet& set = protocol.For(kind);
  switch (command) {
    case CommandKind::RealTimeData:
      return {set.Zhsj, set.ZhsjCd, set.ZhsjxyCd};
    case CommandKind::SetParameters:
      return {set.Sdcs, set.SdcsCd, set.SdcsxyCd};
    case CommandKind::RemoteOnOff:
      return {set.Ykgj, set.YkgjCd, set.YkgjxyCd};
    case CommandKind::SetFactoryParameters:
      return {protocol.Rjh.Cjsdcs, protocol.Rjh.CjsdcsCd, protocol.Rjh.CjsdcsxyCd};
    case CommandKind::GetFactoryParameters:
      return {protocol.Rjh.Hqcjsdcs, protocol.Rjh.HqcjsdcsCd, protocol.Rjh.HqcjsdcsxyCd};
    case CommandKind::SetFanStopPoint:
      return {protocol.Kt.Dtdsz, protocol.Kt.DtdszCd, protocol.Kt.DtdszxyCD};
  }
  return {};
}

std::uint16_t FrameChecksum(std::int16_t lengthCode, std::span<const std::uint8_t> information) {
  unsigned sum = Low(lengthCode);
  for (std::uint8_t b : information) sum += b;
  return static_cast<std::uint16_t>((0x10000u - (sum & 0xFFFFu)) & 0xFFFFu);
}

namespace {

// Start byte, address, length code, the information field, its checksum and the end byte: the
// one shape requests and replies share.
Bytes Frame(const ProtocolSettings& protocol, std::int16_t lengthCode,
            std::span<const std::uint8_t> information) {
  Bytes frame;
  frame.reserve(frame_layout::FrameSize(information.size()));
  frame.push_back(Low(protocol.SOI));
  frame.push_back(Low(protocol.Id));
  frame.push_back(Low(lengthCode));
  frame.insert(frame.end(), information.begin(), information.end());
  const std::uint16_t checksum = FrameChecksum(lengthCode, information);
  frame.push_back(static_cast<std::uint8_t>(checksum & 0xFF));
  frame.push_back(static_cast<std::uint8_t>(checksum >> 8));
  frame.push_back(Low(protocol.EOI));
  return frame;
}

}  // namespace

RequestFrame BuildRequestFrame(const ProtocolSettings& protocol, std::int16_t lengthCode,
                               std::int16_t commandCode, std::span<const std::uint8_t> data) {
  Bytes information;
  information.reserve(data.size() + 1);
  information.push_back(Low(commandCode));
  information.insert(information.end(), data.begin(), data.end());
  return Frame(protocol, lengthCode, information);
}

Bytes BuildReplyFrame(const ProtocolSettings& protocol, std::int16_t lengthCode,
                      std::span<const std::uint8_t> data) {
  return Frame(protocol, lengthCode, data);
}

RequestFrame BuildRequest(const ProtocolSettings& protocol, CommandKind command, DeviceKind kind,
                          std::span<const std::uint8_t> data) {
  const CommandCodes codes = CommandCodesFor(protocol, command, kind);
  return BuildRequestFrame(protocol, codes.requestLength, codes.code, data);
}

int HexTextToNumber(std::string_view text) {
  // Unsigned, so a text longer than eight digits wraps instead of overflowing.
  unsigned value = 0;
  for (char c : text) {
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return 0;
    }
    value = value * 16 + digit;
  }
  return static_cast<int>(value);
}

std::string ScramblePassword(std::string_view text) {
  std::string result;
  for (std::size_t i = 0; i < text.size() && i < ScrambleKey.size(); ++i) {
    const auto c = static_cast<std::uint8_t>(text[i]);
    if (c == ScrambleKey[i]) break;  // read back as a zero-terminated string
    result.push_back(static_cast<char>(c ^ ScrambleKey[i]));
  }
  return result;
}

std::string HexDump(std::span<const std::uint8_t> bytes) {
  static constexpr char Digits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (std::uint8_t b : bytes) {
    text.push_back(Digits[b >> 4]);
    text.push_back(Digits[b & 0x0F]);
  }
  return text;
}

}  // namespace climate
