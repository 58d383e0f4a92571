// Frames the tests and benches share: hex literals, the real-time request, the example replies
// and replies built with the console's own framing and the default settings (7E 01 ... 0D).
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <sstream>
#include <string>
#include <string_view>

#include "app/config/protocol_settings.hpp"
#include "protocol/frame.hpp"

namespace climate::test {

// "7E 01 11" -> bytes.
inline Bytes Hex(std::string_view text) {
  Bytes bytes;
  std::istringstream in{std::string(text)};
  std::string pair;
  while (in >> pair) bytes.push_back(static_cast<std::uint8_t>(std::stoul(pair, nullptr, 16)));
  return bytes;
}

// A reply with the default start byte, address and end byte and a correct checksum.
inline Bytes Reply(std::uint8_t lengthCode, std::span<const std::uint8_t> data) {
  return BuildReplyFrame(DefaultProtocolSettings(), lengthCode, data);
}
inline Bytes Reply(std::uint8_t lengthCode, std::initializer_list<std::uint8_t> data) {
  return Reply(lengthCode, std::span<const std::uint8_t>(data.begin(), data.size()));
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// The air conditioner's real-time request with the default settings.
inline const Bytes RealTimeRequest = Hex("7E 01 11 41 AE FF 0D");

// The reference replies, written out byte by byte so the framing is checked against them too:
// an air conditioner's real-time reply (25 °C inside, everything running, no alarm), the heat
// exchanger's factory parameters and the two acknowledgements.
inline const Bytes AcExample = Hex("7E 01 DD 2D 32 3C DC 34 1E 19 1E 4B 14 1F 00 00 A5 FC 0D");
inline const Bytes FactoryExample = Hex("7E 01 55 23 2D 0F 19 1E 15 FF 0D");
inline const Bytes PositiveAck = Hex("7E 01 11 A5 4A FF 0D");
inline const Bytes NegativeAck = Hex("7E 01 11 FF 12 34 0D");

// The values of the example real-time reply (the ten data bytes in front of status and alarms).
inline Bytes AcExampleValues() {
  return Hex("2D 32 3C DC 34 1E 19 1E 4B 14");
}

// The example real-time reply with other status and alarm bytes.
inline Bytes RealTimeReply(std::uint8_t status, std::uint8_t alarm1 = 0, std::uint8_t alarm2 = 0) {
  Bytes data = AcExampleValues();
  data.insert(data.end(), {status, alarm1, alarm2});
  return Reply(0xDD, data);
}

// A real-time reply (length code 0xDD) with temperatures given in degrees.
inline Bytes RealTimeReply(int indoor, int outdoor, int humidity, int voltage,
                           std::array<int, 6> points, std::uint8_t status, std::uint8_t alarm1,
                           std::uint8_t alarm2) {
  Bytes data{static_cast<std::uint8_t>(indoor + 20), static_cast<std::uint8_t>(outdoor + 20),
             static_cast<std::uint8_t>(humidity), static_cast<std::uint8_t>(voltage)};
  for (int point : points) data.push_back(static_cast<std::uint8_t>(point + 20));
  data.insert(data.end(), {status, alarm1, alarm2});
  return Reply(0xDD, data);
}

}  // namespace climate::test
