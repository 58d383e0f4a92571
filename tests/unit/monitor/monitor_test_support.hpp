// Fixtures for the Monitor tests: samples and scratch folders; frames come from support/frames.hpp.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/local_time.hpp"
#include "monitor/realtime_sample.hpp"
#include "protocol/frame.hpp"
#include "support/frames.hpp"
#include "support/temp_dir.hpp"

namespace climate::test {

inline LocalDateTime At(int year, int month, int day, int hour, int minute, int second) {
  return LocalDateTime{year, month, day, hour, minute, second, 0};
}

inline RealTimeSample Sample(DeviceKind kind, std::int64_t ms, std::uint8_t status = 0x1F,
                             std::uint8_t alarm1 = 0, std::uint8_t alarm2 = 0) {
  RealTimeSample sample;
  sample.kind = kind;
  sample.monotonicMs = ms;
  sample.time = At(2024, 5, 1, 10, 0, 0);
  sample.time.second = static_cast<int>(ms / 1000 % 60);
  sample.time.minute = static_cast<int>(ms / 60000 % 60);
  sample.values = {25, 30, 60, 220, 32, 42, 5, 15, 55, 0};
  sample.statusByte = status;
  sample.alarmByte1 = alarm1;
  sample.alarmByte2 = alarm2;
  return sample;
}

class ScratchFolder : public TempDir {
 public:
  ScratchFolder() : TempDir("climate-monitor") {}
  std::string Path(const std::string& name) const { return File(name); }
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Lines without their CR LF.
inline std::vector<std::string> CsvLines(const std::string& path) {
  std::vector<std::string> lines;
  std::string text = ReadFile(path);
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

inline std::vector<std::string> SplitCsv(const std::string& row) {
  std::vector<std::string> cells;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = row.find(',', start);
    cells.push_back(row.substr(start, comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return cells;
}

}  // namespace climate::test
