// The console's port: COM1 to COM4 as the SerialPorts entries map them, each to a local device
// (QtSerialPort) or to a device server (NetworkSerialPort). The backend is chosen at each Open by
// the entry of the current port number; a malformed entry opens nothing and the error names it.
#pragma once

#include <array>
#include <string>

#include "serial/network_serial_port.hpp"
#include "serial/port_entry.hpp"
#include "serial/qt_serial_port.hpp"
#include "serial/serial_port.hpp"

namespace climate {

class MappedSerialPort final : public SerialPort {
 public:
  explicit MappedSerialPort(std::array<std::string, 4> entries);
  ~MappedSerialPort() override;

  void SetPortNumber(int number) override;
  int PortNumber() const override { return portNumber_; }
  void SetSettings(const std::string& settings) override;
  std::string GetSettings() const override { return settings_; }

  bool IsOpen() const override { return active_->IsOpen(); }
  void Open() override;
  void Close() override { active_->Close(); }
  void DiscardBuffers() override { active_->DiscardBuffers(); }

  int BytesWaiting() const override { return active_->BytesWaiting(); }
  std::vector<std::uint8_t> ReadAll() override { return active_->ReadAll(); }
  void Write(const std::vector<std::uint8_t>& bytes) override { active_->Write(bytes); }

  std::array<std::string, 4> PortEntries() const override { return entries_; }
  void SetPortEntries(const std::array<std::string, 4>& entries) override;

  std::string RemoteEndpoint() const override;
  std::string DevicePath() const override;
  bool AppliesLineSettings() const override;
  LineSettingsReport LineSettingsState() const override { return active_->LineSettingsState(); }

  QtSerialPort& Local() { return local_; }
  NetworkSerialPort& Network() { return network_; }

 private:
  // The entry text of the current port number ("" outside 1 to 4).
  std::string EntryText() const;

  std::array<std::string, 4> entries_;
  int portNumber_ = 1;
  std::string settings_ = "9600,n,8,1";
  QtSerialPort local_;
  NetworkSerialPort network_;
  SerialPort* active_ = &local_;
};

// "UserSet.INI: [SerialPorts] COM2=... cannot be used: ..." for every entry that is malformed,
// one line each; empty when all can be used.
std::string BadPortEntriesText(const std::array<std::string, 4>& entries, Language language);

}  // namespace climate
