// A scratch folder per test, removed afterwards.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "support/temp_dir.hpp"

namespace climate::test {

using TempFolder = TempDir;

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace climate::test
