// Fixtures shared by the protocol tests: default settings and the expected memo files; the
// frames come from support/frames.hpp.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/config/protocol_settings.hpp"
#include "protocol/frame.hpp"
#include "support/frames.hpp"

namespace climate::test {

// The values a new UserSet.INI holds; the byte examples are written against them.
inline ProtocolSettings Defaults() {
  return DefaultProtocolSettings();
}

// Lines of a UTF-8 file in tests/data/protocol, blanks at line ends kept.
inline std::vector<std::string> ExpectedLines(const std::string& name) {
  std::ifstream in(std::string(CLIMATE_TEST_DATA_DIR) + "/protocol/" + name, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace climate::test
