// The console's side of an end-to-end test: a QtSerialPort on the simulator's link, the stream
// framer on what arrives, and waiting with deadlines on the Qt event loop.
#pragma once

#include <QElapsedTimer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/config/protocol_settings.hpp"
#include "protocol/framer.hpp"
#include "protocol/receive.hpp"
#include "serial/qt_serial_port.hpp"
#include "sim_process.hpp"

namespace climate::test {

// Runs the event loop until done() or timeoutMs has passed; returns done().
bool WaitFor(const std::function<bool()>& done, int timeoutMs);

// Runs the event loop until a port's line check has had `checks` chances to run, and everything
// queued before has been delivered: a timer of the same interval armed now fires only after every
// one armed before it. On a loaded machine this takes longer rather than ending early.
bool RunLineChecks(int checks);

// Process CPU time spent while the event loop runs for wallMs.
double CpuMsWhileRunning(int wallMs);

class LinkClient {
 public:
  explicit LinkClient(const std::string& devicePath, std::uint8_t startByte = 0x7E);

  QtSerialPort& Port() { return port_; }
  void Open();

  // Writes the request and waits until `count` frames have come back; returns what came by the
  // deadline (fewer frames means a timeout).
  std::vector<Bytes> Exchange(const Bytes& request, std::size_t count = 1, int timeoutMs = 2000);
  bool WaitForFrames(std::size_t count, int timeoutMs);
  std::vector<Bytes> TakeFrames();

  const FramerCounters& Counters() const { return framer_.Counters(); }
  int ReceiveNotifications() const { return notifications_; }
  // The reason given with onLinkLost, and when it came (ms on the client's timer).
  const std::optional<std::string>& LostReason() const { return lostReason_; }
  qint64 LostAtMs() const { return lostAtMs_; }
  int LossReports() const { return lossReports_; }
  qint64 NowMs() const { return clock_.elapsed(); }

 private:
  void Collect();

  QtSerialPort port_;
  StreamFramer framer_;
  std::vector<Bytes> frames_;
  QElapsedTimer clock_;
  int notifications_ = 0;
  std::optional<std::string> lostReason_;
  qint64 lostAtMs_ = -1;
  int lossReports_ = 0;
};

// A simulator of the given kind on a fresh link, and a client with its port open on it.
struct OpenLink {
  OpenLink(const std::string& kind, const std::string& name)
      : link(dir.File(name)), sim({"--kind", kind, "--link", link}), client(link) {
    client.Open();
  }

  TempDir dir;
  std::string link;
  SimProcess sim;
  LinkClient client;
};

// The receive path's verdict on one frame, in English.
ReceiveOutcome Judge(const Bytes& frame, const ProtocolSettings& protocol, DeviceKind kind,
                     int pendingCommand = 0);

}  // namespace climate::test
