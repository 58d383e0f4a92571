// Fixtures shared by the protocol tests: default settings, hex literals, reply frames with a
// correct checksum and the expected memo files.
#pragma once

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/config/protocol_settings.hpp"
#include "protocol/frame.hpp"

namespace climate::test {

// The values a new UserSet.INI holds; the byte examples are written against them.
inline ProtocolSettings Defaults() {
  return DefaultProtocolSettings();
}

// "7E 01 11" -> bytes.
inline Bytes Hex(std::string_view text) {
  Bytes bytes;
  std::istringstream in{std::string(text)};
  std::string pair;
  while (in >> pair) bytes.push_back(static_cast<std::uint8_t>(std::stoul(pair, nullptr, 16)));
  return bytes;
}

// 7E 01, length code, data, checksum, 0D.
inline Bytes Reply(std::uint8_t lengthCode, const Bytes& data) {
  Bytes frame{0x7E, 0x01, lengthCode};
  for (const std::uint8_t byte : data) frame.push_back(byte);  // GCC 12 misreads a range insert here
  const std::uint16_t sum = FrameChecksum(lengthCode, data);
  frame.push_back(static_cast<std::uint8_t>(sum & 0xFF));
  frame.push_back(static_cast<std::uint8_t>(sum >> 8));
  frame.push_back(0x0D);
  return frame;
}

inline const Bytes AcExample = Hex("7E 01 DD 2D 32 3C DC 34 1E 19 1E 4B 14 1F 00 00 A5 FC 0D");
inline const Bytes FactoryExample = Hex("7E 01 55 23 2D 0F 19 1E 15 FF 0D");
inline const Bytes PositiveAck = Hex("7E 01 11 A5 4A FF 0D");
inline const Bytes NegativeAck = Hex("7E 01 11 FF 12 34 0D");

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Lines of a UTF-8 file in tests/data/protocol, blanks at line ends kept.
inline std::vector<std::string> ExpectedLines(const std::string& name) {
  std::ifstream in(std::string(CLIMATE_TEST_DATA_DIR) + "/protocol/" + name, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace climate::test
