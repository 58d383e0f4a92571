// The one serial port as a small set of operations. Backends: QtSerialPort (QSerialPort) for the
// real line and FakeSerialPort (in memory) for tests. A backend never shows anything: it reports
// through the two notifications and the window decides what the operator sees.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "serial/line_negotiation.hpp"

namespace climate {

class SerialError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
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

  // Bytes arrived (raised on the event loop as soon as they do).
  std::function<void()> onReceive;
  // The link failed while open (cable pulled, device gone, read or write error). The port has
  // already closed itself; the text says why.
  std::function<void(const std::string& reason)> onLinkLost;
  // LineSettingsState changed (the server answered, confirmed or stayed silent too long).
  std::function<void()> onLineSettingsChange;
};

}  // namespace climate
