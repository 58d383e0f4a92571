// An in-memory serial port for tests: records what is written, delivers injected bytes, and can
// be told to fail opening or to lose the link.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "serial/serial_port.hpp"

namespace climate {

class FakeSerialPort final : public SerialPort {
 public:
  void SetPortNumber(int number) override { portNumber_ = number; }
  int PortNumber() const override { return portNumber_; }
  void SetSettings(const std::string& settings) override;
  std::string GetSettings() const override { return settings_; }

  bool IsOpen() const override { return open_; }
  void Open() override;
  void Close() override { open_ = false; }
  void DiscardBuffers() override { input_.clear(); }

  int BytesWaiting() const override { return static_cast<int>(input_.size()); }
  std::vector<std::uint8_t> ReadAll() override;
  void Write(const std::vector<std::uint8_t>& bytes) override;

  // Test controls.
  std::set<int> missingPorts;                      // port numbers whose Open fails
  bool failWrites = false;                         // Write throws SerialError
  std::vector<std::vector<std::uint8_t>> written;  // one entry per Write
  int openCount = 0;
  // Bytes arrive from the unit; raises onReceive when the port is open.
  void Inject(const std::vector<std::uint8_t>& bytes);
  // The device disappears: the port closes and onLinkLost fires.
  void LoseLink(const std::string& reason);

 private:
  int portNumber_ = 1;
  std::string settings_ = "9600,n,8,1";
  bool open_ = false;
  std::vector<std::uint8_t> input_;
};

}  // namespace climate
