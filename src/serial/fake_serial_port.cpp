#include "serial/fake_serial_port.hpp"

#include "serial/port_settings.hpp"

namespace climate {

void FakeSerialPort::SetSettings(const std::string& settings) {
  if (!ParsePortSettings(settings)) throw SerialError("Invalid port settings '" + settings + "'");
  settings_ = settings;
}

void FakeSerialPort::Open() {
  if (missingPorts.count(portNumber_) != 0) {
    throw SerialError("COM" + std::to_string(portNumber_) + ": no such device");
  }
  ++openCount;
  open_ = true;
}

std::vector<std::uint8_t> FakeSerialPort::ReadAll() {
  std::vector<std::uint8_t> bytes;
  bytes.swap(input_);
  return bytes;
}

void FakeSerialPort::Write(const std::vector<std::uint8_t>& bytes) {
  if (!open_) throw SerialError("write to a closed port");
  if (failWrites) throw SerialError("write failed");
  written.push_back(bytes);
}

void FakeSerialPort::Inject(const std::vector<std::uint8_t>& bytes) {
  if (!open_) return;  // a closed port hears nothing
  input_.insert(input_.end(), bytes.begin(), bytes.end());
  if (onReceive) onReceive();
}

void FakeSerialPort::LoseLink(const std::string& reason) {
  if (!open_) return;
  open_ = false;
  input_.clear();
  if (onLinkLost) onLinkLost(reason);
}

}  // namespace climate
