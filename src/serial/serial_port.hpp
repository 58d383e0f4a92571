// The one serial port as a small set of operations. Backends: QtSerialPort (QSerialPort) for the
// real line and FakeSerialPort (in memory) for tests. A backend never shows anything: it reports
// through the two notifications and the window decides what the operator sees.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "serial/line_negotiation.hpp"

namespace climate {

class SerialError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A local device that would not open: which device, how the system classed the refusal and its
// own words. The window turns this into advice the operator can act on.
class DeviceOpenError : public SerialError {
 public:
  enum class Cause { Missing, Refused, Other };
  DeviceOpenError(const std::string& message, std::string device, Cause cause,
                  std::string systemText)
      : SerialError(message),
        device_(std::move(device)),
        cause_(cause),
        systemText_(std::move(systemText)) {}
  const std::string& Device() const { return device_; }
  Cause GetCause() const { return cause_; }
  const std::string& SystemText() const { return systemText_; }

 private:
  std::string device_;
  Cause cause_;
  std::string systemText_;
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // 1..4; takes effect at the next Open.
  virtual void SetPortNumber(int number) = 0;
  virtual int PortNumber() const = 0;
  // A PortSettingsString such as "9600,n,8,1"; applied at once to an open port. Throws
  // SerialError for a text it cannot apply.
  virtual void SetSettings(const std::string& settings) = 0;
  virtual std::string GetSettings() const = 0;

  virtual bool IsOpen() const = 0;
  // Opens the mapped device with the current settings, DTR and RTS asserted, no flow control.
  // Throws SerialError when the device is missing or busy.
  virtual void Open() = 0;
  virtual void Close() = 0;
  virtual void DiscardBuffers() = 0;

  virtual int BytesWaiting() const = 0;
  virtual std::vector<std::uint8_t> ReadAll() = 0;
  // Queues the whole frame; throws SerialError when the port refuses it.
  virtual void Write(const std::vector<std::uint8_t>& bytes) = 0;

  // Where the line of the current port number is: empty for a local device, otherwise the device
  // server as "tcp://host:port" or "rfc2217://host:port".
  virtual std::string RemoteEndpoint() const { return {}; }
  // The local device the current port number maps to; empty for a line behind a device server
  // and for backends without a device.
  virtual std::string DevicePath() const { return {}; }
  // False when line settings cannot reach the line (a raw TCP device server sets it itself);
  // SetSettings still keeps them.
  virtual bool AppliesLineSettings() const { return true; }
  // What became of the line settings on the remote line (rfc2217://): agreed and confirmed,
  // refused, unanswered or confirmed with other values. A local line reports Local.
  virtual LineSettingsReport LineSettingsState() const { return {}; }

  // What COM1 to COM4 map to (the SerialPorts entries), and a new mapping, which takes effect at
  // the next Open. A port that maps nothing keeps the default paths.
  virtual std::array<std::string, 4> PortEntries() const { return entries_; }
  virtual void SetPortEntries(const std::array<std::string, 4>& entries) { entries_ = entries; }

  // Bytes arrived (raised on the event loop as soon as they do).
  std::function<void()> onReceive;
  // The link failed while open (cable pulled, device gone, read or write error). The port has
  // already closed itself; the text says why.
  std::function<void(const std::string& reason)> onLinkLost;
  // LineSettingsState changed (the server answered, confirmed or stayed silent too long).
  std::function<void()> onLineSettingsChange;

 private:
  std::array<std::string, 4> entries_ = {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};
};

}  // namespace climate
