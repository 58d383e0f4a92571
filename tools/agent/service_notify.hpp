// Tells systemd how the agent is doing when it runs as a Type=notify service: ready once it has
// started, a watchdog ping from the event loop at half the watchdog period (so a frozen loop gets
// the service restarted), and stopping at shutdown. Outside systemd every call does nothing.
#pragma once

#include <QObject>
#include <QTimer>

namespace climate {

class ServiceNotifier final : public QObject {
 public:
  explicit ServiceNotifier(QObject* parent = nullptr);

  void Ready();
  void Stopping();
  // The ping interval in ms, 0 when systemd set no watchdog.
  int WatchdogIntervalMs() const { return watchdog_.interval(); }

 private:
  QTimer watchdog_;
};

}  // namespace climate
