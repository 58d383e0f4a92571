#include "serial/serial_devices.hpp"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace climate {

namespace fs = std::filesystem;

namespace {

std::string Canonical(const std::string& path) {
  std::error_code error;
  const fs::path canonical = fs::canonical(path, error);
  return error ? std::string() : canonical.string();
}

bool ProcessAlive(int pid) {
  return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

std::string ProgramOf(int pid) {
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(comm, name);
  return name;
}

// Lock file names for a device: "/dev/ttyUSB0" -> "LCK..ttyUSB0"; other paths with their
// slashes turned into underscores, as Qt names them.
std::string LockName(const std::string& path) {
  std::string name = path.rfind("/dev/", 0) == 0 ? path.substr(5) : path;
  std::replace(name.begin(), name.end(), '/', '_');
  return "LCK.." + name;
}

// The first number in a lock file: Qt writes "pid\napp\nhost", UUCP a padded decimal.
int LockOwner(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  if (!std::getline(in, line)) return 0;
  const std::size_t start = line.find_first_not_of(' ');
  if (start == std::string::npos) return 0;
  int pid = 0;
  const auto [end, ec] = std::from_chars(line.data() + start, line.data() + line.size(), pid);
  return ec == std::errc() ? pid : 0;
}

std::optional<DeviceHolder> LockHolder(const std::string& path, const std::string& canonical) {
  for (const char* folder : {"/run/lock", "/var/lock"}) {
    for (const std::string& name : {LockName(path), LockName(canonical)}) {
      const int pid = LockOwner(fs::path(folder) / name);
      if (ProcessAlive(pid)) return DeviceHolder{pid, ProgramOf(pid)};
    }
  }
  return std::nullopt;
}

std::optional<DeviceHolder> DescriptorHolder(const std::string& canonical, bool selfToo) {
  const int self = static_cast<int>(::getpid());
  std::error_code error;
  for (fs::directory_iterator process("/proc", error), end; !error && process != end;
       process.increment(error)) {
    const std::string name = process->path().filename().string();
    int pid = 0;
    const auto [last, ec] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (ec != std::errc() || last != name.data() + name.size()) continue;
    if (pid == self && !selfToo) continue;
    std::error_code fdError;
    for (fs::directory_iterator fd(process->path() / "fd", fdError), fdEnd; !fdError && fd != fdEnd;
         fd.increment(fdError)) {
      std::error_code linkError;
      if (fs::read_symlink(fd->path(), linkError).string() == canonical) {
        return DeviceHolder{pid, ProgramOf(pid)};
      }
    }
  }
  return std::nullopt;
}

std::optional<DeviceHolder> Holder(const std::string& path, bool selfToo) {
  const std::string canonical = Canonical(path);
  if (canonical.empty()) return std::nullopt;
  if (auto holder = LockHolder(path, canonical)) return holder;
  return DescriptorHolder(canonical, selfToo);
}

// Every file some process holds open, by the path its descriptor leads to.
std::vector<std::string> OpenTargets() {
  std::vector<std::string> targets;
  std::error_code error;
  for (fs::directory_iterator process("/proc", error), end; !error && process != end;
       process.increment(error)) {
    const std::string name = process->path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code fdError;
    for (fs::directory_iterator fd(process->path() / "fd", fdError), fdEnd; !fdError && fd != fdEnd;
         fd.increment(fdError)) {
      std::error_code linkError;
      const fs::path target = fs::read_symlink(fd->path(), linkError);
      if (!linkError && target.string().rfind("/dev/", 0) == 0) targets.push_back(target.string());
    }
  }
  std::sort(targets.begin(), targets.end());
  return targets;
}

}  // namespace

std::vector<bool> DevicesInUse(const std::vector<std::string>& paths) {
  const std::vector<std::string> targets = OpenTargets();
  std::vector<bool> inUse;
  for (const std::string& path : paths) {
    const std::string canonical = Canonical(path);
    inUse.push_back(!canonical.empty() &&
                    (LockHolder(path, canonical).has_value() ||
                     std::binary_search(targets.begin(), targets.end(), canonical)));
  }
  return inUse;
}

void SortDevices(std::vector<DetectedDevice>& devices) {
  std::stable_sort(devices.begin(), devices.end(),
                   [](const DetectedDevice& a, const DetectedDevice& b) {
                     const bool aStable = a.path != a.systemPath;
                     const bool bStable = b.path != b.systemPath;
                     if (aStable != bStable) return aStable;
                     return a.systemPath < b.systemPath;
                   });
}

std::string StablePathFor(const std::string& systemPath, const std::string& byIdFolder) {
  const std::string target = Canonical(systemPath);
  if (target.empty()) return {};
  std::vector<std::string> links;
  std::error_code error;
  for (fs::directory_iterator entry(byIdFolder, error), end; !error && entry != end;
       entry.increment(error)) {
    if (Canonical(entry->path().string()) == target) links.push_back(entry->path().string());
  }
  std::sort(links.begin(), links.end());
  return links.empty() ? std::string() : links.front();
}

std::optional<DeviceHolder> FindDeviceHolder(const std::string& path) {
  return Holder(path, false);
}

bool DeviceInUse(const std::string& path) {
  return Holder(path, true).has_value();
}

}  // namespace climate
