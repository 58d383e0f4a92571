// Creating, locking and clearing away the temporaries of the atomic settings save.
#include "app/config/save_temporary.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string_view>

namespace climate {
namespace {

constexpr std::string_view TemporaryTag = ".saving-";
constexpr std::size_t RandomLength = 6;  // mkstemp's "XXXXXX"
// A cleanup elsewhere can take a new temporary in the instant before it is locked; a fresh
// name is then tried.
constexpr int CreateAttempts = 4;

bool IsLetterOrDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsTemporaryName(std::string_view name, std::string_view settingsName) {
  if (name.size() != settingsName.size() + TemporaryTag.size() + RandomLength ||
      !name.starts_with(settingsName)) {
    return false;
  }
  name.remove_prefix(settingsName.size());
  if (!name.starts_with(TemporaryTag)) return false;
  name.remove_prefix(TemporaryTag.size());
  for (const char c : name) {
    if (!IsLetterOrDigit(c)) return false;
  }
  return true;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A plain file of this user under this one name: what a killed save leaves, and nothing an
// operator or another program would have linked there.
bool LooksLeftBehind(const struct stat& info) {
  return S_ISREG(info.st_mode) && info.st_nlink == 1 && info.st_uid == ::geteuid();
}

// Removes candidate when it is still a leftover and no save holds it. The lock taken here also
// tells a save that has just created the file, and has not locked it yet, to pick another.
bool RemoveIfStale(const std::string& candidate) {
  struct stat named {};
  if (::lstat(candidate.c_str(), &named) != 0 || !LooksLeftBehind(named)) return false;
  const int fd = ::open(candidate.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  bool removed = false;
  struct stat held {};
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && SameFile(named, held) &&
      ::lstat(candidate.c_str(), &named) == 0 && SameFile(named, held)) {
    removed = ::unlink(candidate.c_str()) == 0;
  }
  ::close(fd);
  return removed;
}

}  // namespace

std::string ResolveSaveTarget(const std::string& path) {
  struct stat linkInfo {};
  if (::lstat(path.c_str(), &linkInfo) != 0 || !S_ISLNK(linkInfo.st_mode)) return path;
  std::error_code error;
  const auto resolved = std::filesystem::weakly_canonical(path, error);
  return error ? path : resolved.string();
}

SaveTemporary CreateSaveTemporary(const std::string& target) {
  for (int attempt = 0; attempt < CreateAttempts; ++attempt) {
    std::string path = target + std::string(TemporaryTag) + std::string(RandomLength, 'X');
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) return {};
    int locked = -1;
    do {
      locked = ::flock(fd, LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    // A file system without locks still saves; only the protection against a concurrent
    // cleanup is lost there.
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_nlink > 0) return {fd, std::move(path)};
    ::close(fd);
  }
  return {};
}

std::size_t RemoveStaleSaveTemporaries(const std::string& path) {
  const std::filesystem::path target(ResolveSaveTarget(path));
  const std::string settingsName = target.filename().string();
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  if (settingsName.empty()) return 0;

  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) return 0;
  std::size_t removed = 0;
  while (const dirent* entry = ::readdir(listing)) {
    if (IsTemporaryName(entry->d_name, settingsName) &&
        RemoveIfStale((folder / entry->d_name).string())) {
      ++removed;
    }
  }
  ::closedir(listing);
  return removed;
}

}  // namespace climate
