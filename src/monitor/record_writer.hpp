// Recorded data: every real-time reply as one CSV row, in one file per day ("2024-05-01.csv") in
// the records folder. UTF-8 with a byte order mark and a header row, so a spreadsheet opens the
// file directly; an existing file is appended to without a second header.
//
// The console must never stop because a disk is full or a folder vanished: a failed write keeps
// its rows and the next write tries them again, and nothing here throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "monitor/realtime_sample.hpp"

namespace climate {

class RecordWriter {
 public:
  // Rows kept while the disk refuses them; past this the oldest are given up and counted.
  static constexpr std::size_t MaxPendingRows = 200000;

  explicit RecordWriter(std::string directory) : directory_(std::move(directory)) {}

  const std::string& Directory() const { return directory_; }

  // Queues the sample's row and writes everything waiting. True when nothing is left waiting.
  bool Record(const RealTimeSample& sample);
  // Writes the waiting rows, oldest first. True when nothing is left waiting.
  bool Flush();

  std::uint64_t RowsWritten() const { return rowsWritten_; }
  std::size_t PendingRows() const { return pending_.size(); }
  std::uint64_t RowsDropped() const { return rowsDropped_; }
  // Full path of the file written last; empty before the first write.
  const std::string& CurrentFile() const { return currentFile_; }
  // Why the last write failed; empty after a good one.
  const std::string& LastError() const { return lastError_; }

  static std::string HeaderRow();
  // One row without its line end.
  static std::string FormatRow(const RealTimeSample& sample);
  static std::string FileNameFor(const LocalDateTime& time);

 private:
  struct PendingRow {
    std::string fileName;
    std::string text;
  };
  // Appends rows [first, last) of pending_ (all for one file); false leaves the file as it was.
  bool WriteGroup(std::size_t first, std::size_t last);

  std::string directory_;
  std::vector<PendingRow> pending_;
  std::uint64_t rowsWritten_ = 0;
  std::uint64_t rowsDropped_ = 0;
  std::string currentFile_;
  std::string lastError_;
};

}  // namespace climate
