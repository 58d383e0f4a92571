// Fixtures for the Monitor tests: reply frames with a correct checksum, samples, scratch folders.
#pragma once

#include <stdlib.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/local_time.hpp"
#include "monitor/realtime_sample.hpp"
#include "protocol/frame.hpp"

namespace climate::test {

// 7E 01, length code, data, checksum low and high, 0D.
inline Bytes MonitorReply(std::uint8_t lengthCode, const Bytes& data) {
  Bytes frame;
  frame.reserve(data.size() + 6);
  frame.push_back(0x7E);
  frame.push_back(0x01);
  frame.push_back(lengthCode);
  for (std::uint8_t byte : data) frame.push_back(byte);
  const std::uint16_t sum = FrameChecksum(lengthCode, data);
  frame.push_back(static_cast<std::uint8_t>(sum & 0xFF));
  frame.push_back(static_cast<std::uint8_t>(sum >> 8));
  frame.push_back(0x0D);
  return frame;
}

// A real-time reply (length code 0xDD) with temperatures given in degrees.
inline Bytes RealTimeReply(int indoor, int outdoor, int humidity, int voltage,
                           std::array<int, 6> points, std::uint8_t status, std::uint8_t alarm1,
                           std::uint8_t alarm2) {
  Bytes data{static_cast<std::uint8_t>(indoor + 20), static_cast<std::uint8_t>(outdoor + 20),
             static_cast<std::uint8_t>(humidity), static_cast<std::uint8_t>(voltage)};
  for (int point : points) data.push_back(static_cast<std::uint8_t>(point + 20));
  data.push_back(status);
  data.push_back(alarm1);
  data.push_back(alarm2);
  return MonitorReply(0xDD, data);
}

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

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "climate-monitor-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string Path(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
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
