// The message log on disk: every memo line that arrives while logging is on, appended once and
// in order to one file per run, whatever happens to the memo afterwards.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/local_time.hpp"

namespace climate {

// "yyyy-mm-dd hh-nn-ss", the stem of a log file name.
std::string FormatLogFileStem(const LocalDateTime& time);

class LogFile {
 public:
  // Files go into directory; the clock names the file at the first write of the run.
  LogFile(std::string directory, const Clock& clock);

  // A memo line (UTF-8) to be written at the next Flush.
  void Append(std::string line);

  // Writes the waiting lines in GBK, each followed by CR LF, at the end of the file. The first
  // write of the run fixes the file name; it stays across stops and restarts of logging. A write
  // that fails leaves the file as it was and keeps the lines for the next try. True when nothing
  // is left waiting.
  bool Flush();

  bool Named() const { return !fileName_.empty(); }
  // "2011-03-05 14-07-09.txt"; empty before the first write.
  const std::string& FileName() const { return fileName_; }
  std::string Path() const;
  std::size_t PendingLines() const { return pending_.size(); }

 private:
  std::string directory_;
  const Clock& clock_;
  std::string fileName_;
  std::vector<std::string> pending_;
};

}  // namespace climate
