#include "serial/qt_device_enumerator.hpp"

#include <QSerialPortInfo>

namespace climate {

std::vector<DetectedDevice> QtDeviceEnumerator::Devices() {
  std::vector<DetectedDevice> devices;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    DetectedDevice device;
    device.systemPath = info.systemLocation().toStdString();
    const std::string stable = StablePathFor(device.systemPath);
    device.path = stable.empty() ? device.systemPath : stable;
    device.description = info.description().toStdString();
    device.manufacturer = info.manufacturer().toStdString();
    device.serialNumber = info.serialNumber().toStdString();
    device.inUse = DeviceInUse(device.systemPath);
    devices.push_back(std::move(device));
  }
  SortDevices(devices);
  return devices;
}

}  // namespace climate
