// Why a port did not open, in words an operator can act on: the detailed text of the "Open
// Serial Port Fail" box. The system's own words ("Permission error while locking the device")
// often point the wrong way, so the device is looked at once more after the failure.
#pragma once

#include <optional>
#include <string>

#include "app/language.hpp"
#include "serial/serial_devices.hpp"

namespace climate {

class DeviceOpenError;

enum class OpenProblem { NoSuchDevice, PermissionDenied, Busy, Other };

struct OpenFailureFacts {
  std::string device;
  OpenProblem problem = OpenProblem::Other;
  std::string group;                   // PermissionDenied: the device's group, when not root
  std::optional<DeviceHolder> holder;  // Busy: who holds it, when that can be seen
  std::string systemText;              // Other: what the system said
};

OpenFailureFacts ExamineOpenFailure(const DeviceOpenError& error);

// "Device: /dev/ttyUSB0\nReason: Permission denied: add the user to the dialout group".
std::string OpenFailureDetails(const OpenFailureFacts& facts, Language language);
// The same two lines for a port that failed before reaching a device (a device server, an entry
// that cannot be used): "Address: ..." or "Device: ..." and the reason as given.
std::string PortFailureDetails(const std::string& entry, bool network, const std::string& reason,
                               Language language);

}  // namespace climate
