// A fixed list of serial devices in place of what the machine has, for the serial devices
// window.
#pragma once

#include <vector>

#include "serial/serial_devices.hpp"

namespace climate::test {

class FakeDevices final : public DeviceEnumerator {
 public:
  std::vector<DetectedDevice> devices;
  int listed = 0;  // how often the list was asked for
  std::vector<DetectedDevice> Devices() override {
    ++listed;
    return devices;
  }
};

}  // namespace climate::test
