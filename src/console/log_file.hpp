// The message log on disk: every memo line that arrives while logging is on, appended once and
// in order to one file per run, whatever happens to the memo afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/language.hpp"
#include "app/local_time.hpp"

namespace climate {

// "yyyy-mm-dd hh-nn-ss", the stem of a log file name.
std::string FormatLogFileStem(const LocalDateTime& time);

class LogFile {
 public:
  // What may wait in memory while the file cannot be written: about an hour of replies every two
  // seconds, or over a minute of a unit flooding the line.
  static constexpr std::size_t DefaultMaxWaitingBytes = 4 * 1024 * 1024;

  // Files go into directory; the clock names the file at the first write of the run.
  LogFile(std::string directory, const Clock& clock,
          std::size_t maxWaitingBytes = DefaultMaxWaitingBytes);

  // A memo line (UTF-8) to be written at the next Flush. It is encoded once, here, so a write
  // that keeps failing costs only the lines that are new. A line that would take the waiting
  // lines past the bound is not kept but counted.
  void Append(std::string_view line);

  // Writes the waiting lines in GBK, each followed by CR LF, at the end of the file; lines that
  // the bound left out are named by a note line in the given language, where they are missing.
  // The first write of the run fixes the file name; it stays across stops and restarts of
  // logging. A write that fails leaves the file as it was and keeps the lines for the next try.
  // True when nothing is left waiting.
  bool Flush(Language language = Language::English);

  bool Named() const { return !fileName_.empty(); }
  // "2011-03-05 14-07-09.txt"; empty before the first write.
  const std::string& FileName() const { return fileName_; }
  std::string Path() const;
  std::size_t PendingLines() const { return pendingLines_; }
  std::size_t PendingBytes() const { return pending_.size(); }
  // Lines left out by the bound since the file was last written.
  std::uint64_t DroppedLines() const { return droppedLines_; }
  // The last write failed and nothing has been written since.
  bool Failing() const { return failing_; }

  // The note that stands in the file where lines are missing.
  static std::string DroppedNote(std::uint64_t lines, Language language);

 private:
  std::string directory_;
  const Clock& clock_;
  std::size_t maxWaitingBytes_;
  std::string fileName_;
  std::string pending_;  // GBK, CR LF after each line
  std::size_t pendingLines_ = 0;
  std::uint64_t droppedLines_ = 0;
  bool failing_ = false;
};

}  // namespace climate
