// The serial devices of this machine as the operator chooses among them: what each one is, the
// stable name that survives re-plugging, and whether some program holds it. The list itself
// comes from a DeviceEnumerator (QSerialPortInfo in the program, a fixed list in tests).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace climate {

struct DetectedDevice {
  std::string path;        // what to store: the /dev/serial/by-id/... link when there is one
  std::string systemPath;  // the kernel's name, "/dev/ttyUSB0"
  std::string description;
  std::string manufacturer;
  std::string serialNumber;
  bool inUse = false;  // a program (this one included) has it open or locked
};

class DeviceEnumerator {
 public:
  virtual ~DeviceEnumerator() = default;
  // Devices with a stable path first, each group in the order of its system paths.
  virtual std::vector<DetectedDevice> Devices() = 0;
};

// Stable paths first, then by system path.
void SortDevices(std::vector<DetectedDevice>& devices);

// The first link in byIdFolder (by name) that leads to the same device as systemPath; empty when
// there is none.
std::string StablePathFor(const std::string& systemPath,
                          const std::string& byIdFolder = "/dev/serial/by-id");

// A program that holds a device: through a live lock file (LCK..name, as Qt, minicom and other
// terminal programs write them) or an open descriptor of another process.
struct DeviceHolder {
  int pid = 0;
  std::string program;  // empty when the process cannot be looked at
};

// The holder of the device behind path, if any can be seen. Descriptors of this process do not
// count (the console's own port is closed before it opens again); its lock files do.
std::optional<DeviceHolder> FindDeviceHolder(const std::string& path);
// Whether anyone holds it, this process's descriptors included.
bool DeviceInUse(const std::string& path);
// The same for many devices with one look at the processes, which a busy desktop has hundreds of.
std::vector<bool> DevicesInUse(const std::vector<std::string>& paths);

}  // namespace climate
