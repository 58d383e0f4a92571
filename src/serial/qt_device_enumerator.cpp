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
    devices.push_back(std::move(device));
  }
  std::vector<std::string> paths;
  for (const DetectedDevice& device : devices) paths.push_back(device.systemPath);
  const std::vector<bool> inUse = DevicesInUse(paths);
  for (std::size_t i = 0; i < devices.size(); ++i) devices[i].inUse = inUse[i];
  SortDevices(devices);
  return devices;
}

}  // namespace climate
