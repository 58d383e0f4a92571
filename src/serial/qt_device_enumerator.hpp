// The serial devices Qt finds on this machine (QSerialPortInfo), each with its stable
// /dev/serial/by-id/... name where udev made one and whether a program holds it.
#pragma once

#include "serial/serial_devices.hpp"

namespace climate {

class QtDeviceEnumerator final : public DeviceEnumerator {
 public:
  std::vector<DetectedDevice> Devices() override;
};

}  // namespace climate
