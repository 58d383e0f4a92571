// Appending rather than rebuilding the file from the memo means a memo clear (line limit, Clear,
// device switch) or a restart of logging never takes back lines that were already logged.
#include "console/log_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "app/config/gbk.hpp"

namespace climate {

namespace {

// Writes all of bytes at the end of the file or puts the file back to its old length.
bool AppendAll(const std::string& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    ::close(fd);
    return false;
  }
  const off_t oldSize = info.st_size;
  std::size_t done = 0;
  bool ok = true;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  // A half-written batch would be written again in full by the next try.
  if (!ok && done > 0) (void)::ftruncate(fd, oldSize);
  if (::close(fd) != 0) ok = false;
  return ok;
}

}  // namespace

std::string FormatLogFileStem(const LocalDateTime& time) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d-%02d-%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
  return text;
}

LogFile::LogFile(std::string directory, const Clock& clock, std::size_t maxWaitingBytes)
    : directory_(std::move(directory)), clock_(clock), maxWaitingBytes_(maxWaitingBytes) {}

void LogFile::Append(std::string_view line) {
  // Once a line is left out, the ones after it are too until the file is written: the note then
  // stands for one unbroken gap.
  std::string bytes = Utf8ToGbk(line);
  bytes += "\r\n";
  if (droppedLines_ > 0 || pending_.size() + bytes.size() > maxWaitingBytes_) {
    ++droppedLines_;
    return;
  }
  // Grow by doubling as usual, but never past the bound, so the bound holds for memory too.
  if (pending_.size() + bytes.size() > pending_.capacity()) {
    pending_.reserve(std::min(maxWaitingBytes_, 2 * (pending_.size() + bytes.size())));
  }
  pending_ += bytes;
  ++pendingLines_;
}

std::string LogFile::DroppedNote(std::uint64_t lines, Language language) {
  const std::string count = std::to_string(lines);
  if (language == Language::Chinese) {
    return "*** 日志文件无法写入期间有 " + count + " 行未能记录 ***";
  }
  return "*** " + count + " lines were not logged while the log file could not be written ***";
}

std::string LogFile::Path() const {
  if (directory_.empty() || directory_.back() == '/') return directory_ + fileName_;
  return directory_ + "/" + fileName_;
}

bool LogFile::Flush(Language language) {
  if (pending_.empty() && droppedLines_ == 0) return true;
  if (fileName_.empty()) fileName_ = FormatLogFileStem(clock_.Now()) + ".txt";

  // The note goes in the same write as the lines before the gap, so it is never lost or doubled.
  const std::size_t linesEnd = pending_.size();
  if (droppedLines_ > 0) pending_ += Utf8ToGbk(DroppedNote(droppedLines_, language)) + "\r\n";
  const bool written = AppendAll(Path(), pending_);
  if (!written) {
    pending_.resize(linesEnd);
    failing_ = true;
    return false;
  }
  pending_.clear();
  // Give back what a long failure made the buffer hold.
  if (pending_.capacity() > 64 * 1024) pending_.shrink_to_fit();
  pendingLines_ = 0;
  droppedLines_ = 0;
  failing_ = false;
  return true;
}

}  // namespace climate
