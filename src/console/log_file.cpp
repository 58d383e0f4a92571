// Appending rather than rebuilding the file from the memo means a memo clear (line limit, Clear,
// device switch) or a restart of logging never takes back lines that were already logged.
#include "console/log_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "app/config/gbk.hpp"

namespace climate {

namespace {

// Writes all of bytes at the end of the file or puts the file back to its old length.
bool AppendAll(const std::string& path, const std::string& bytes) {
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

LogFile::LogFile(std::string directory, const Clock& clock)
    : directory_(std::move(directory)), clock_(clock) {}

void LogFile::Append(std::string line) {
  pending_.push_back(std::move(line));
}

std::string LogFile::Path() const {
  if (directory_.empty() || directory_.back() == '/') return directory_ + fileName_;
  return directory_ + "/" + fileName_;
}

bool LogFile::Flush() {
  if (pending_.empty()) return true;
  if (fileName_.empty()) fileName_ = FormatLogFileStem(clock_.Now()) + ".txt";

  std::string bytes;
  for (const std::string& line : pending_) {
    bytes += Utf8ToGbk(line);
    bytes += "\r\n";
  }
  if (!AppendAll(Path(), bytes)) return false;
  pending_.clear();
  return true;
}

}  // namespace climate
