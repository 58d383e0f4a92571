#include "unitsim/pseudo_terminal.hpp"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace climate::unitsim {

namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

std::string ReadLink(const std::string& path) {
  std::vector<char> target(4096);
  const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
  if (length < 0) return {};
  return std::string(target.data(), static_cast<std::size_t>(length));
}

}  // namespace

int PseudoTerminal::OpenRawSlave(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) Fail("cannot open " + path);
  termios settings{};
  if (::tcgetattr(fd, &settings) == 0) {
    ::cfmakeraw(&settings);
    ::tcsetattr(fd, TCSANOW, &settings);
  }
  return fd;
}

PseudoTerminal::PseudoTerminal(const std::string& linkPath) : linkPath_(linkPath) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) Fail("cannot open a pseudo-terminal");
  try {
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) Fail("cannot unlock the terminal");
    const char* name = ::ptsname(master_);
    if (name == nullptr) Fail("cannot name the terminal");
    slavePath_ = name;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    holder_ = OpenRawSlave(slavePath_);

    struct stat existing {};
    if (::lstat(linkPath_.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
      errno = EEXIST;
      Fail("refusing to replace " + linkPath_ + " (not a symbolic link)");
    }
    // Build the link beside its place and rename it over: a console retrying its open never
    // finds the path missing while a restarted simulator takes over.
    const std::string temporary = linkPath_ + ".climate-sim-" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(slavePath_.c_str(), temporary.c_str()) != 0) Fail("cannot create " + temporary);
    if (::rename(temporary.c_str(), linkPath_.c_str()) != 0) {
      const int error = errno;
      ::unlink(temporary.c_str());
      errno = error;
      Fail("cannot create " + linkPath_);
    }
  } catch (...) {
    if (holder_ >= 0) ::close(holder_);
    ::close(master_);
    throw;
  }
}

PseudoTerminal::~PseudoTerminal() {
  // Leave a link alone that another simulator has taken over meanwhile.
  if (ReadLink(linkPath_) == slavePath_) ::unlink(linkPath_.c_str());
  if (holder_ >= 0) ::close(holder_);
  if (master_ >= 0) ::close(master_);
}

void PseudoTerminal::RenewHolder() {
  // The new descriptor is opened before the old one goes, so the slave is never without one.
  int fresh = -1;
  try {
    fresh = OpenRawSlave(slavePath_);
  } catch (const std::runtime_error&) {
    return;  // try again on the next hang-up report
  }
  if (holder_ >= 0) ::close(holder_);
  holder_ = fresh;
}

}  // namespace climate::unitsim
